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
#include "common/state.h"
#include "grid/orientation.h"
#include "math/float_functions.h"
#include "shell/console.h"

static SphericalPoint* directions = nullptr;  // the sigma3 direction set, 1 to n
static int16_t direction_count = 0;           // N, the points made
static int16_t spiral_count = 0;              // M = 2N, the points of the whole spiral
static Vec3 mean_accumulator = {0.0f, 0.0f, 0.0f};  // sum of the recentring directions

static const float PSI_STEP = 0.17453292f;    // 10 degrees, the turn of sigma1 about sigma3
static const float RATIO_STEP = 0.1f;         // step of the stress ratio
static const float SPIRAL_STEP = 3.6f;        // longitude step factor of the spiral

bool generate_sigma3_directions(int16_t n) {
  direction_count = n;
  spiral_count = static_cast<int16_t>(2 * n);
  release_sigma3_directions();
  directions = new (std::nothrow) SphericalPoint[n > 0 ? n : 0];
  if (directions == nullptr) {
    message_line("  Memory allocation error in is_GSS_generation_successful");
    return false;
  }
  if (n < 1) return true;
  directions[0] = SphericalPoint{PI, 0.0f};
  float root_m = std::sqrt(static_cast<float>(spiral_count));
  for (int16_t k = 2; k <= n; ++k) {
    float h = static_cast<float>(2 * (k - 1)) / static_cast<float>(spiral_count - 1) - 1.0f;
    float s = std::sqrt(1.0f - h * h);
    float longitude = directions[k - 2].longitude + SPIRAL_STEP / root_m / s + FOUR_PI;
    directions[k - 1] = SphericalPoint{acos_cr(h), amod(longitude, TWO_PI)};
  }
  recentre_first_direction();
  return true;
}

void recentre_first_direction() {
  // Position 3 is left out of the mean on purpose; the grid is defined
  // with this choice. The accumulator starts from zero on every call so
  // that a second generation in one process yields the same grid.
  static const int16_t positions[] = {1, 2, 4, 5, 6};
  mean_accumulator = Vec3{0.0f, 0.0f, 0.0f};
  if (directions == nullptr || direction_count < 1) return;
  for (int16_t position : positions) {
    if (position > direction_count) continue;
    Vec3 v = spherical_to_vector(directions[position - 1]);
    mean_accumulator.x = mean_accumulator.x + v.x;
    mean_accumulator.y = mean_accumulator.y + v.y;
    mean_accumulator.z = mean_accumulator.z + v.z;
  }
  directions[0] = vector_to_spherical(normalize(mean_accumulator));
}

SphericalPoint sigma3_direction(int16_t k, bool& in_range) {
  in_range = directions != nullptr && k >= 1 && k <= direction_count;
  if (!in_range) return SphericalPoint{0.0f, 0.0f};
  return directions[k - 1];
}

void release_sigma3_directions() {
  delete[] directions;
  directions = nullptr;
}

bool is_GSS_generation_successful() {
  if (!generate_sigma3_directions(GSS_SIGMA3_COUNT)) {
    message_line("  GSS generation error.");
    return false;
  }
  int32_t k = 0;
  for (int16_t i = 1; i <= GSS_SIGMA3_COUNT; ++i) {
    bool in_range;
    SphericalPoint p = sigma3_direction(i, in_range);
    for (int m = 0; m < GSS_SIGMA1_COUNT; ++m) {
      float psi = static_cast<float>(m) * PSI_STEP;
      for (int j = 0; j < GSS_RATIO_COUNT; ++j) {
        GridPoint& point = gss[k++];
        point.euler_theta = p.colatitude;
        point.euler_phi = p.longitude;
        point.euler_psi = psi;
        point.stress_ratio = RATIO_STEP * static_cast<float>(j);
      }
    }
  }
  release_sigma3_directions();
  return true;
}
