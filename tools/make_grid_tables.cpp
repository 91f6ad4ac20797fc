// Writes the C++ source of the grid's built-in tables (grid/
// built_in_tables.h) to standard output, from the grid as a run makes it.
// Run by the build; a test makes the tables again and compares.
#include <cstdio>
#include <cstring>
#include <vector>

#include "analyses/mim/bounded_search.h"
#include "grid/grid_labels.h"
#include "grid/gss.h"
#include "grid/rotation_memo.h"
#include "grid/stress_order.h"
#include "grid/stress_tensors.h"

int main() {
  Gss gss;
  if (!is_GSS_generation_successful(gss)) {
    std::fprintf(stderr, "make_grid_tables: the grid could not be made\n");
    return 1;
  }
  compute_stress_tensors(gss);
  const std::vector<int32_t> order = stress_grouped_order(gss, SEARCH_BLOCK, SEARCH_GROUP, 2);
  std::printf("// Made by tools/make_grid_tables.cpp when the programs were built.\n");
  std::printf("#include \"grid/built_in_tables.h\"\n\n");
  std::printf("static constexpr int32_t STRESS_ORDER[%zu] = {", order.size());
  for (std::size_t k = 0; k < order.size(); ++k)
    std::printf("%s%d,", k % 12 == 0 ? "\n" : " ", order[k]);
  std::printf("\n};\n\n");
  std::printf("std::span<const int32_t> built_in_stress_order() { return STRESS_ORDER; }\n\n");
  // Linked without tables of its own, label_grid works every run out.
  const GridLabels labels = label_grid(gss);
  if (!labels.complete) {
    std::fprintf(stderr, "make_grid_tables: the grid's labels do not fit\n");
    return 1;
  }
  std::printf("static constexpr BuiltInRun RUNS[%zu] = {\n", labels.runs.size());
  for (std::size_t k = 0, run = 0; k < gss.points.size(); ++k) {
    const GridPoint& point = gss.points[k];
    if (k > 0 && same_angles(point, gss.points[k - 1])) continue;
    uint32_t bits[3];
    std::memcpy(&bits[0], &point.euler_theta, 4);
    std::memcpy(&bits[1], &point.euler_phi, 4);
    std::memcpy(&bits[2], &point.euler_psi, 4);
    const RunAxes& axes = labels.runs[run++];
    std::printf("    {0x%08xu, 0x%08xu, 0x%08xu, {%d, %d, %d, %d}},\n", bits[0], bits[1], bits[2],
                axes.sigma1_azimuth, axes.sigma1_plunge, axes.sigma3_azimuth, axes.sigma3_plunge);
  }
  std::printf("};\n\n");
  std::printf("std::span<const BuiltInRun> built_in_runs() { return RUNS; }\n");
  return std::ferror(stdout) ? 1 : 0;
}
