#include "plot/projection.h"

#include <cmath>

// A unit vector (east, north, down) turned to the lower hemisphere.
static NetPoint project_downward(double east, double north, double down) {
  if (down < 0.0) {
    east = -east;
    north = -north;
    down = -down;
  }
  if (down > 1.0) down = 1.0;
  // sqrt(2) sin(c / 2) = sqrt(1 - cos c) for the colatitude c from down.
  double radius = std::sqrt(1.0 - down);
  double horizontal = std::hypot(east, north);
  if (horizontal == 0.0) return NetPoint{0.0, 0.0};
  return NetPoint{radius * east / horizontal, radius * north / horizontal};
}

static NetPoint project_unit(Vec3d v) { return project_downward(v.x, v.y, -v.z); }

NetPoint project_axis_degrees(double azimuth, double plunge) {
  return project_unit(axis_vector(azimuth, plunge));
}

NetPoint project_vector(Vec3 v) { return project_unit(unit_vector(v)); }

std::vector<NetPoint> great_circle(double dip_direction, double dip, int segments) {
  double a = dip_direction * DEGREE;
  // Strike line (dip direction - 90 degrees, horizontal) and dip line.
  double strike_east = -std::cos(a), strike_north = std::sin(a);
  Vec3d dip_line = axis_vector(dip_direction, dip);
  double dip_east = dip_line.x, dip_north = dip_line.y, dip_down = -dip_line.z;
  std::vector<NetPoint> points;
  for (int i = 0; i <= segments; ++i) {
    double t = M_PI * i / segments;
    double east = std::cos(t) * strike_east + std::sin(t) * dip_east;
    double north = std::cos(t) * strike_north + std::sin(t) * dip_north;
    double down = std::sin(t) * dip_down;
    points.push_back(project_downward(east, north, down));
  }
  return points;
}
