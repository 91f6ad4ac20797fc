#include "support/grid_fixture.h"

#include <cstdlib>

#include "grid/gss.h"
#include "grid/stress_tensors.h"

static Gss make_grid() {
  Gss gss;
  if (!is_GSS_generation_successful(gss)) std::abort();
  compute_stress_tensors(gss);
  return gss;
}

const Gss& generated_grid() {
  static const Gss gss = make_grid();
  return gss;
}

const GridPoint& grid_point(int32_t k) {
  return generated_grid().points[static_cast<std::size_t>(k - 1)];
}
