// The lower-hemisphere equal-area projection: known points of the net and
// the property that gives the net its name.
#include <gtest/gtest.h>

#include <cmath>

#include "geometry/vectors.h"

#include "grid/orientation.h"
#include "plot/projection.h"

namespace {

const double EPS = 1e-12;

TEST(ProjectionTest, VerticalAxisLiesAtTheCentre) {
  for (double azimuth : {0.0, 37.0, 200.0}) {
    NetPoint p = project_axis_degrees(azimuth, 90.0);
    EXPECT_NEAR(p.x, 0.0, EPS);
    EXPECT_NEAR(p.y, 0.0, EPS);
  }
  NetPoint down = project_vector(Vec3{0.0f, 0.0f, -1.0f});
  NetPoint up = project_vector(Vec3{0.0f, 0.0f, 1.0f});
  EXPECT_EQ(down.x, 0.0);
  EXPECT_EQ(down.y, 0.0);
  EXPECT_EQ(up.x, 0.0);
  EXPECT_EQ(up.y, 0.0);
}

TEST(ProjectionTest, HorizontalAxisLiesOnThePrimitiveAtItsAzimuth) {
  struct Case { double azimuth, x, y; };
  // North up, east right.
  for (Case c : {Case{0, 0, 1}, Case{90, 1, 0}, Case{180, 0, -1}, Case{270, -1, 0},
                 Case{45, std::sqrt(0.5), std::sqrt(0.5)}}) {
    NetPoint p = project_axis_degrees(c.azimuth, 0.0);
    EXPECT_NEAR(p.x, c.x, EPS) << c.azimuth;
    EXPECT_NEAR(p.y, c.y, EPS) << c.azimuth;
    EXPECT_NEAR(std::hypot(p.x, p.y), 1.0, EPS);
  }
}

TEST(ProjectionTest, RadiusIsRootTwoTimesSineOfHalfTheColatitude) {
  for (double plunge = 0.0; plunge <= 90.0; plunge += 7.5) {
    double colatitude = (90.0 - plunge) * DEGREE;  // from the downward vertical
    NetPoint p = project_axis_degrees(120.0, plunge);
    double r = std::sqrt(2.0) * std::sin(colatitude / 2.0);
    EXPECT_NEAR(std::hypot(p.x, p.y), r, EPS) << plunge;
    if (r > 0) {
      EXPECT_NEAR(p.x, r * std::sin(120.0 * DEGREE), EPS);
      EXPECT_NEAR(p.y, r * std::cos(120.0 * DEGREE), EPS);
    }
  }
  // Hand value: plunge 30 at azimuth 60 has colatitude 60, radius 1/sqrt(2).
  NetPoint p = project_axis_degrees(60.0, 30.0);
  EXPECT_NEAR(p.x, std::sqrt(0.5) * std::sqrt(3.0) / 2.0, EPS);
  EXPECT_NEAR(p.y, std::sqrt(0.5) * 0.5, EPS);
}

// Equal area: the disc of radius r holds the share r^2 of the net, and the
// cap of the hemisphere around the downward axis holds 1 - cos c of its
// area, so a cap of colatitude c must project to a disc of radius^2 1 - cos c.
TEST(ProjectionTest, CapsOfTheHemisphereKeepTheirShareOfTheArea) {
  for (double c = 5.0; c <= 90.0; c += 5.0) {
    NetPoint p = project_axis_degrees(300.0, 90.0 - c);
    EXPECT_NEAR(p.x * p.x + p.y * p.y, 1.0 - std::cos(c * DEGREE), 1e-12) << c;
  }
}

TEST(ProjectionTest, UpwardAxisIsShownByItsDownwardEnd) {
  NetPoint up = project_axis_degrees(10.0, -30.0);
  NetPoint down = project_axis_degrees(190.0, 30.0);
  EXPECT_NEAR(up.x, down.x, EPS);
  EXPECT_NEAR(up.y, down.y, EPS);
  NetPoint v = project_vector(Vec3{-1.0f, 0.0f, 0.5f});  // west and up
  NetPoint w = project_vector(Vec3{1.0f, 0.0f, -0.5f});
  EXPECT_NEAR(v.x, w.x, EPS);
  EXPECT_NEAR(v.y, w.y, EPS);
  EXPECT_GT(v.x, 0.0);  // shown on the east side
}

TEST(ProjectionTest, VectorsAgreeWithTheirAzimuthAndPlunge) {
  for (double az : {0.0, 33.0, 145.0, 271.0}) {
    for (double pl : {0.0, 12.0, 48.0, 89.0}) {
      Vec3 v = orientation_to_vector(make_orientation(float(az * DEGREE), float(pl * DEGREE)));
      NetPoint a = project_vector(v);
      NetPoint b = project_axis_degrees(az, pl);
      // The vector is single precision.
      EXPECT_NEAR(a.x, b.x, 1e-6) << az << " " << pl;
      EXPECT_NEAR(a.y, b.y, 1e-6) << az << " " << pl;
    }
  }
}

TEST(ProjectionTest, GreatCircleRunsFromStrikeThroughDipLineToStrike) {
  std::vector<NetPoint> arc = great_circle(120.0, 50.0, 90);
  ASSERT_EQ(arc.size(), 91u);
  NetPoint first = project_axis_degrees(30.0, 0.0), last = project_axis_degrees(210.0, 0.0);
  EXPECT_NEAR(arc.front().x, first.x, EPS);
  EXPECT_NEAR(arc.front().y, first.y, EPS);
  EXPECT_NEAR(arc.back().x, last.x, 1e-9);
  EXPECT_NEAR(arc.back().y, last.y, 1e-9);
  NetPoint dip_line = project_axis_degrees(120.0, 50.0);
  EXPECT_NEAR(arc[45].x, dip_line.x, EPS);
  EXPECT_NEAR(arc[45].y, dip_line.y, EPS);
  // Every point is a line of the plane: perpendicular to its pole.
  NetPoint pole = project_axis_degrees(300.0, 40.0);
  for (NetPoint p : arc) {
    double r2 = p.x * p.x + p.y * p.y;
    double down = 1.0 - r2, horizontal = std::sqrt(r2 * (2.0 - r2));
    double scale = r2 > 0 ? horizontal / std::sqrt(r2) : 0.0;
    double pr2 = pole.x * pole.x + pole.y * pole.y;
    double pole_down = 1.0 - pr2, pole_scale = std::sqrt(2.0 - pr2);
    double dot = p.x * scale * pole.x * pole_scale + p.y * scale * pole.y * pole_scale +
                 down * pole_down;
    EXPECT_NEAR(dot, 0.0, 1e-9);
  }
}

TEST(ProjectionTest, VerticalPlaneIsADiameterAndHorizontalPlaneThePrimitive) {
  // Dipping east, striking north-south.
  for (NetPoint p : great_circle(90.0, 90.0, 36)) EXPECT_NEAR(p.x, 0.0, 1e-9);
  for (NetPoint p : great_circle(0.0, 0.0, 36)) EXPECT_NEAR(std::hypot(p.x, p.y), 1.0, 1e-9);
}

}  // namespace
