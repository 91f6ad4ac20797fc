#include "grid/grid_labels.h"

#include <cstring>
#include <limits>

#include "common/number_format.h"
#include "grid/orientation.h"
#include "grid/rotation_memo.h"
#include "grid/state_axes.h"

static RunAxes axes_of_rotation(const Matrix3& r) {
  Orientation s1 = downward_axis(vector_to_trend_plunge(Vec3{r.m[0][0], r.m[0][1], r.m[0][2]}));
  Orientation s3 = downward_axis(vector_to_trend_plunge(Vec3{r.m[2][0], r.m[2][1], r.m[2][2]}));
  return RunAxes{whole_degrees(s1.azimuth), whole_degrees(s1.plunge), whole_degrees(s3.azimuth),
                 whole_degrees(s3.plunge)};
}

// The grid has 11 stress ratios: each is rounded once, known by its bits.
struct RatioTenths {
  uint32_t bits;
  long tenths;
};

static long tenths_of(std::vector<RatioTenths>& known, float ratio) {
  uint32_t bits;
  std::memcpy(&bits, &ratio, sizeof bits);
  for (const RatioTenths& k : known)
    if (k.bits == bits) return k.tenths;
  const long tenths = round_half_away(10.0f * ratio);
  if (known.size() < 32) known.push_back(RatioTenths{bits, tenths});
  return tenths;
}

GridLabels label_grid(const Gss& gss) {
  GridLabels labels{{}, std::vector<PointLabel>(gss.points.size()), true};
  RotationMemo memo;
  std::vector<RatioTenths> ratios;
  for (std::size_t k = 0; k < gss.points.size(); ++k) {
    const GridPoint& point = gss.points[k];
    if (k == 0 || !same_angles(point, gss.points[k - 1]))
      labels.runs.push_back(axes_of_rotation(memo_rotation(memo, point)));
    const long tenths = tenths_of(ratios, point.stress_ratio);
    const std::size_t run = labels.runs.size() - 1;
    if (run > std::numeric_limits<uint16_t>::max() || tenths < std::numeric_limits<int16_t>::min() ||
        tenths > std::numeric_limits<int16_t>::max())
      labels.complete = false;
    labels.points[k] = PointLabel{static_cast<uint16_t>(run), static_cast<int16_t>(tenths)};
  }
  return labels;
}
