#include "plot/projection.h"

#include <cmath>

static const double DEGREE = M_PI / 180.0;

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

NetPoint project_axis_degrees(double azimuth, double plunge) {
  double a = azimuth * DEGREE;
  double p = plunge * DEGREE;
  return project_downward(std::cos(p) * std::sin(a), std::cos(p) * std::cos(a), std::sin(p));
}

NetPoint project_vector(Vec3 v) {
  double length = std::sqrt(double(v.x) * v.x + double(v.y) * v.y + double(v.z) * v.z);
  if (length == 0.0) return NetPoint{0.0, 0.0};
  return project_downward(v.x / length, v.y / length, -v.z / length);
}

std::vector<NetPoint> great_circle(double dip_direction, double dip, int segments) {
  double a = dip_direction * DEGREE;
  double d = dip * DEGREE;
  // Strike line (dip direction - 90 degrees, horizontal) and dip line.
  double strike_east = -std::cos(a), strike_north = std::sin(a);
  double dip_east = std::cos(d) * std::sin(a), dip_north = std::cos(d) * std::cos(a);
  double dip_down = std::sin(d);
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
