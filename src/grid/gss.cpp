// The grid of stress states. The sigma3 axes come from a generalised
// spiral over the sphere (Saff and Kuijlaars, "Distributing many points on
// a sphere", Math. Intelligencer 19, 1997) for M = 2N points, of which only
// the lower half, the first N, is made. The spiral's first point, the pole
// itself, sits oddly close to its neighbours, so it is moved to the mean
// direction of itself and a few of them.
#include "grid/gss.h"

#include <cmath>
#include <new>

#include "common/constants.h"
#include "grid/orientation.h"
#include "math/float_functions.h"

static const float PSI_STEP = 0.17453292f;    // 10 degrees, the turn of sigma1 about sigma3
static const float RATIO_STEP = 0.1f;         // step of the stress ratio
static const float SPIRAL_STEP = 3.6f;        // longitude step factor of the spiral

std::vector<SphericalPoint> generate_sigma3_directions(int16_t n) {
  std::vector<SphericalPoint> directions(static_cast<std::size_t>(n > 0 ? n : 0));
  if (n < 1) return directions;
  const int16_t spiral_count = static_cast<int16_t>(2 * n);  // M = 2N, the whole spiral
  directions[0] = SphericalPoint{PI, 0.0f};
  float root_m = std::sqrt(static_cast<float>(spiral_count));
  for (int16_t k = 2; k <= n; ++k) {
    float h = static_cast<float>(2 * (k - 1)) / static_cast<float>(spiral_count - 1) - 1.0f;
    float s = std::sqrt(1.0f - h * h);
    float longitude = directions[k - 2].longitude + SPIRAL_STEP / root_m / s + FOUR_PI;
    directions[k - 1] = SphericalPoint{acos_cr(h), amod(longitude, TWO_PI)};
  }
  recentre_first_direction(directions);
  return directions;
}

void recentre_first_direction(std::vector<SphericalPoint>& directions) {
  // Position 3 is left out of the mean on purpose; the grid is defined
  // with this choice.
  static const int16_t positions[] = {1, 2, 4, 5, 6};
  Vec3 sum = {0.0f, 0.0f, 0.0f};
  if (directions.empty()) return;
  for (int16_t position : positions) {
    if (static_cast<std::size_t>(position) > directions.size()) continue;
    Vec3 v = spherical_to_vector(directions[static_cast<std::size_t>(position - 1)]);
    sum.x = sum.x + v.x;
    sum.y = sum.y + v.y;
    sum.z = sum.z + v.z;
  }
  directions[0] = vector_to_spherical(normalize(sum));
}

static void fill_gss(Gss& gss) {
  std::vector<SphericalPoint> directions = generate_sigma3_directions(GSS_SIGMA3_COUNT);
  gss.points.assign(GSS_SIZE, GridPoint());
  int32_t k = 0;
  for (const SphericalPoint& p : directions) {
    for (int m = 0; m < GSS_SIGMA1_COUNT; ++m) {
      float psi = static_cast<float>(m) * PSI_STEP;
      for (int j = 0; j < GSS_RATIO_COUNT; ++j) {
        GridPoint& point = gss.points[static_cast<std::size_t>(k++)];
        point.euler_theta = p.colatitude;
        point.euler_phi = p.longitude;
        point.euler_psi = psi;
        point.stress_ratio = RATIO_STEP * static_cast<float>(j);
      }
    }
  }
}

bool is_GSS_generation_successful(Gss& gss) {
  try {
    fill_gss(gss);
  } catch (const std::bad_alloc&) {
    gss.points.clear();
    return false;
  }
  return true;
}
