#include "grid/grid_labels.h"

#include <limits>

#include "common/bit_cast.h"
#include "common/number_format.h"
#include "grid/built_in_tables.h"
#include "grid/orientation.h"
#include "grid/rotation_memo.h"
#include "grid/state_axes.h"

static bool fits_32_bits(long value) {
  return value >= std::numeric_limits<int32_t>::min() && value <= std::numeric_limits<int32_t>::max();
}

// The run's axes; false when a number does not fit.
static bool axes_of_rotation(const Matrix3& r, RunAxes& axes) {
  Orientation s1 = downward_axis(vector_to_trend_plunge(Vec3{r.m[0][0], r.m[0][1], r.m[0][2]}));
  Orientation s3 = downward_axis(vector_to_trend_plunge(Vec3{r.m[2][0], r.m[2][1], r.m[2][2]}));
  const long values[4] = {whole_degrees(s1.azimuth), whole_degrees(s1.plunge),
                          whole_degrees(s3.azimuth), whole_degrees(s3.plunge)};
  axes = RunAxes{static_cast<int32_t>(values[0]), static_cast<int32_t>(values[1]),
                 static_cast<int32_t>(values[2]), static_cast<int32_t>(values[3])};
  return fits_32_bits(values[0]) && fits_32_bits(values[1]) && fits_32_bits(values[2]) &&
         fits_32_bits(values[3]);
}

// The number of runs, so that their array is made once at its size.
static std::size_t count_runs(const Gss& gss) {
  std::size_t runs = 0;
  for (std::size_t k = 0; k < gss.points.size(); ++k)
    if (k == 0 || !same_angles(gss.points[k], gss.points[k - 1])) ++runs;
  return runs;
}

// The grid has 11 stress ratios: each is rounded once, known by its bits.
struct RatioTenths {
  uint32_t bits;
  long tenths;
};

static long tenths_of(std::vector<RatioTenths>& known, float ratio) {
  const uint32_t bits = bit_cast_to<uint32_t>(ratio);
  for (const RatioTenths& k : known)
    if (k.bits == bits) return k.tenths;
  const long tenths = phi_tenths(ratio);
  if (known.size() < 32) known.push_back(RatioTenths{bits, tenths});
  return tenths;
}

// Whether the build's table holds this run with these very angles.
static bool is_built_in(std::span<const BuiltInRun> built_in, std::size_t run,
                        const GridPoint& point) {
  if (run >= built_in.size()) return false;
  const BuiltInRun& entry = built_in[run];
  return entry.theta_bits == bit_cast_to<uint32_t>(point.euler_theta) &&
         entry.phi_bits == bit_cast_to<uint32_t>(point.euler_phi) &&
         entry.psi_bits == bit_cast_to<uint32_t>(point.euler_psi);
}

GridLabels label_grid(const Gss& gss) {
  GridLabels labels{{}, std::vector<PointLabel>(gss.points.size()), true};
  labels.runs.reserve(count_runs(gss));
  const std::span<const BuiltInRun> built_in = built_in_runs();
  RotationMemo memo;
  std::vector<RatioTenths> ratios;
  for (std::size_t k = 0; k < gss.points.size(); ++k) {
    const GridPoint& point = gss.points[k];
    if (k == 0 || !same_angles(point, gss.points[k - 1])) {
      RunAxes axes;
      if (is_built_in(built_in, labels.runs.size(), point))
        axes = built_in[labels.runs.size()].axes;
      else if (!axes_of_rotation(memo_rotation(memo, point), axes))
        labels.complete = false;
      labels.runs.push_back(axes);
    }
    const long tenths = tenths_of(ratios, point.stress_ratio);
    const std::size_t run = labels.runs.size() - 1;
    if (run > std::numeric_limits<uint16_t>::max() || tenths < std::numeric_limits<int16_t>::min() ||
        tenths > std::numeric_limits<int16_t>::max())
      labels.complete = false;
    labels.points[k] = PointLabel{static_cast<uint16_t>(run), static_cast<int16_t>(tenths)};
  }
  return labels;
}
