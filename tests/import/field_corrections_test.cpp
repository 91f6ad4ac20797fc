#include "import/field_corrections.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "import/slip_geometry.h"

namespace {

void expect_datum(const ImportedDatum& d, double dd, double dip, double trend, double plunge,
                  char sense) {
  const double tol = 1e-9;
  EXPECT_NEAR(d.dip_direction, dd, tol);
  EXPECT_NEAR(d.dip, dip, tol);
  EXPECT_NEAR(d.trend, trend, tol);
  EXPECT_NEAR(d.plunge, plunge, tol);
  EXPECT_EQ(d.sense, sense);
}

// Worked by hand: an east-dipping bedding raised by its dip takes an
// east-dipping fault's dip down by as much; paleo-north 30 takes every
// azimuth down by 30; the bedding comes first.
TEST(FieldCorrectionsTest, WorkedExamples) {
  const ImportedDatum fault{90, 60, 90, 60, 'N'};
  Bedding east{90, 30, false};
  expect_datum(corrected_datum(fault, {east, std::nullopt}), 90, 30, 90, 30, 'N');
  expect_datum(corrected_datum(fault, {std::nullopt, 30.0}), 60, 60, 60, 60, 'N');
  // Paleo-north first would tilt the fault about a strike line 30 degrees
  // off its own, and give an oblique plane.
  expect_datum(corrected_datum(fault, {east, 30.0}), 60, 30, 60, 30, 'N');
  // A reverse fault stays reverse, a dextral one dextral.
  expect_datum(corrected_datum({90, 60, 90, 60, 'R'}, {east, std::nullopt}), 90, 30, 90, 30, 'R');
  expect_datum(corrected_datum({90, 60, 180, 0, 'D'}, {east, std::nullopt}), 90, 30, 180, 0, 'D');
  // A fault steeper than the back-tilt turns past the vertical: the
  // blocks change places, and the dip direction with them; the motion
  // (up the west-dipping plane's dip) is read as reverse... of the other
  // block: the same motion.
  ImportedDatum steep = corrected_datum({270, 80, 270, 80, 'N'}, {Bedding{90, 30, false}, {}});
  expect_datum(steep, 90, 70, 90, 70, 'R');
}

// The bedding itself becomes horizontal, upright or overturned.
TEST(FieldCorrectionsTest, BeddingBecomesHorizontal) {
  for (bool overturned : {false, true}) {
    for (double dd : {0.0, 50.0, 137.5, 301.0}) {
      for (double dip : {10.0, 45.0, 80.0, 90.0}) {
        Bedding b{dd, dip, overturned};
        // The bedding as a plane with its dip line as the slip line.
        ImportedDatum bed = corrected_datum({dd, dip, dd, dip, 'N'}, {b, std::nullopt});
        EXPECT_NEAR(bed.dip, 0.0, 1e-9) << dd << "/" << dip << (overturned ? "/O" : "");
      }
    }
  }
}

// The correction built another way than the program builds it: the turn
// that takes the bedding's upward pole onto the vertical (about their
// cross product), then paleo-north.
Vec3d corrected_here(Vec3d v, const Bedding& b, double paleonorth) {
  Vec3d down = plane_pole(b.dip_direction, b.dip), up{-down.x, -down.y, -down.z};
  Vec3d k = cross(up, Vec3d{0, 0, 1});
  double length = std::sqrt(dot(k, k));
  if (length > 0) {
    k = {k.x / length, k.y / length, k.z / length};
    v = turned(v, k, b.dip + (b.overturned ? 180 : 0));
  }
  return turned(v, Vec3d{0, 0, 1}, paleonorth);
}

// Any datum: the slip line stays on its plane, and the sense is kept. The
// sense is the couple of the two blocks: the pole into the footwall
// crossed with the hanging wall's motion is its axis, which the blocks'
// change of places (both negated) leaves as it is and a turn turns.
TEST(FieldCorrectionsTest, LineStaysOnItsPlaneAndTheSenseIsKept) {
  std::mt19937 random(29);
  std::uniform_real_distribution<double> azimuth(0, 360), dip(5, 88), pitch(5, 175);
  const char senses[] = "NRDS";
  for (int i = 0; i < 2000; ++i) {
    double dd = azimuth(random), d = dip(random);
    Vec3d line = line_of_pitch(dd, d, dd - 90, pitch(random));
    ImportedDatum datum{dd, d, 0, 0, senses[i % 4]};
    TrendPlunge down = downward_trend_plunge(line);
    datum.trend = down.trend;
    datum.plunge = down.plunge;
    Bedding bedding{azimuth(random), dip(random), i % 3 == 0};
    double north = azimuth(random);
    ImportedDatum out = corrected_datum(datum, {bedding, north});
    Vec3d pole = plane_pole(out.dip_direction, out.dip);
    EXPECT_LT(angle_to_plane(axis_vector(out.trend, out.plunge), pole), 0.01) << i;
    EXPECT_GE(out.plunge, 0.0) << i;
    Vec3d couple = cross(plane_pole(datum.dip_direction, datum.dip), motion_of_datum(datum));
    Vec3d expected = corrected_here(couple, bedding, north);
    Vec3d got = cross(pole, motion_of_datum(out));
    EXPECT_GT(dot(expected, got), 0.99999) << i;
  }
}

}  // namespace
