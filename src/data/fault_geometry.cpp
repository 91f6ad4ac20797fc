// Unit normal and slip vector of each fault-slip datum, in the
// east-north-up frame. The slip vector is turned so that it gives the
// motion of the hanging wall: reversed for reverse faults, and for
// strike-slip data reversed when its horizontal part lies on the wrong
// side of the dip direction for the stated sense.
#include "data/fault_geometry.h"

#include <cmath>

#include "common/constants.h"
#include "grid/orientation.h"
#include "math/float_functions.h"

Orientation pole_of_plane(Orientation plane) {
  return Orientation{plane.azimuth + PI, PI_HALF - plane.plunge};
}

float horizontal_slip_angle(Orientation plane, Orientation slip) {
  Vec3 hp = orientation_to_vector(make_orientation(plane.azimuth, 0.0f));
  Vec3 hs = orientation_to_vector(make_orientation(slip.azimuth, 0.0f));
  Vec3 w = cross_product(hs, hp);
  // w.z is sin(t - a) for two unit vectors; a rounding step past 1 would
  // give NaN and so turn a sinistral datum the wrong way.
  float z = w.z;
  if (z > 1.0f) z = 1.0f;
  if (z < -1.0f) z = -1.0f;
  return asin_cr(z);
}

static Vec3 negated(Vec3 v) { return Vec3{-v.x, -v.y, -v.z}; }

void prepare_datum_geometry(FaultDatum& datum) {
  float a = datum.dip_direction * DEG_TO_RAD;
  float d = datum.dip_angle * DEG_TO_RAD;
  float t = datum.slip_azimuth * DEG_TO_RAD;
  float u = datum.slip_plunge * DEG_TO_RAD;
  Orientation plane = make_orientation(a, d);
  Orientation slip = make_orientation(t, u);
  datum.normal_vector = orientation_to_vector(pole_of_plane(plane));
  datum.slip_vector = orientation_to_vector(slip);
  switch (datum.sense) {
    case 'R':
    case 'r':
      datum.slip_vector = negated(datum.slip_vector);
      break;
    case 'D':
    case 'd':
      if (horizontal_slip_angle(plane, slip) < 0.0f) datum.slip_vector = negated(datum.slip_vector);
      break;
    case 'S':
    case 's':
      if (horizontal_slip_angle(plane, slip) > 0.0f) datum.slip_vector = negated(datum.slip_vector);
      break;
    default:  // normal: the downward slip of the hanging wall as measured
      break;
  }
}

void prepare_fault_geometry(FaultSet& faults) {
  for (int32_t i = 0; i < faults.count; ++i) prepare_datum_geometry(faults.data[i]);
}
