// The axes that label the results files' lines, of which the build keeps a
// table for the grid: they must be the axes of each state's own angles,
// for the grid the programs generate and for any other.
#include "grid/grid_labels.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "common/bit_cast.h"
#include "grid/built_in_tables.h"
#include "grid/rotation_memo.h"
#include "grid/state_axes.h"
#include "support/grid_fixture.h"

namespace {

// A point's axes the long way: its Euler matrix, each axis turned down.
RunAxes axes_the_long_way(const GridPoint& point) {
  const GridPointAxes axes = axes_of_gridpoint(point);
  const Orientation s1 = downward_axis(axes.sigma1), s3 = downward_axis(axes.sigma3);
  return RunAxes{static_cast<int32_t>(whole_degrees(s1.azimuth)),
                 static_cast<int32_t>(whole_degrees(s1.plunge)),
                 static_cast<int32_t>(whole_degrees(s3.azimuth)),
                 static_cast<int32_t>(whole_degrees(s3.plunge))};
}

void expect_own_axes(const Gss& gss, const GridLabels& labels) {
  ASSERT_TRUE(labels.complete);
  ASSERT_EQ(labels.points.size(), gss.points.size());
  for (std::size_t k = 0; k < gss.points.size(); ++k) {
    const RunAxes want = axes_the_long_way(gss.points[k]);
    const RunAxes& got = labels.runs.at(labels.points[k].run);
    ASSERT_EQ(std::memcmp(&want, &got, sizeof want), 0) << "point " << k;
    ASSERT_EQ(labels.points[k].phi_tenths, std::lround(10.0f * gss.points[k].stress_ratio));
  }
}

TEST(GridLabelsTest, TheBuiltInRunsAreTheGridsOwn) {
  const Gss& gss = generated_grid();
  const std::span<const BuiltInRun> built_in = built_in_runs();
#ifdef SORVEL_NO_BUILT_IN_TABLES
  EXPECT_TRUE(built_in.empty());
#else
  std::size_t run = 0;
  for (std::size_t k = 0; k < gss.points.size(); ++k) {
    const GridPoint& point = gss.points[k];
    if (k > 0 && same_angles(point, gss.points[k - 1])) continue;
    ASSERT_LT(run, built_in.size());
    const BuiltInRun& entry = built_in[run++];
    ASSERT_EQ(entry.theta_bits, bit_cast_to<uint32_t>(point.euler_theta)) << k;
    ASSERT_EQ(entry.phi_bits, bit_cast_to<uint32_t>(point.euler_phi)) << k;
    ASSERT_EQ(entry.psi_bits, bit_cast_to<uint32_t>(point.euler_psi)) << k;
    const RunAxes want = axes_the_long_way(point);
    ASSERT_EQ(std::memcmp(&want, &entry.axes, sizeof want), 0) << "point " << k;
  }
  EXPECT_EQ(run, built_in.size());
#endif
  expect_own_axes(gss, label_grid(gss));
}

// Runs whose angles differ from the table's by a bit, runs cut in two and
// a shorter grid: the table is used only where it holds the very angles.
TEST(GridLabelsTest, OtherAnglesGetTheirOwnAxes) {
  Gss gss;
  gss.points.assign(generated_grid().points.begin(), generated_grid().points.end());
  for (std::size_t k = 0; k < 11; ++k)  // the first run turned by one bit
    gss.points[k].euler_psi = std::nextafter(gss.points[k].euler_psi, 1.0f);
  for (std::size_t k = 2205; k < 2211; ++k)  // half a run moved to other angles
    gss.points[k].euler_theta = std::nextafter(gss.points[k].euler_theta, 0.0f);
  for (std::size_t k = 33000; k < 33011; ++k) gss.points[k].euler_phi += 0.01f;
  expect_own_axes(gss, label_grid(gss));
  gss.points.erase(gss.points.begin(), gss.points.begin() + 5);  // every run shifted
  expect_own_axes(gss, label_grid(gss));
}

}  // namespace
