// Lower-hemisphere equal-area (Schmidt) projection of axes and planes.
// Net coordinates are x east and y north, with the primitive circle of
// radius 1 about the origin: an axis at colatitude c from the downward
// vertical lies at radius sqrt(2) sin(c / 2), which is 1 for a
// horizontal axis (Lambert azimuthal equal-area projection).
#ifndef SORVEL_PLOT_PROJECTION_H_
#define SORVEL_PLOT_PROJECTION_H_

#include <vector>

#include "geometry/vectors.h"

struct NetPoint {
  double x;  // east, primitive circle at radius 1
  double y;  // north
};

/// The point of an axis given as (azimuth, plunge) in degrees; an upward
/// axis (negative plunge) is shown by its downward end.
NetPoint project_axis_degrees(double azimuth, double plunge);

/// The point of the line along a vector of the east-north-up frame,
/// shown by its downward end. The zero vector lies at the centre.
NetPoint project_vector(Vec3 v);

/// The great circle of a plane (dip direction, dip in degrees) as a
/// polyline from one end of its strike to the other through the lower
/// hemisphere, `segments` + 1 points.
std::vector<NetPoint> great_circle(double dip_direction, double dip, int segments);

#endif  // SORVEL_PLOT_PROJECTION_H_
