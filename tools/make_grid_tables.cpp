// Writes the C++ source of the grid's built-in tables (grid/
// built_in_tables.h) to standard output, from the grid as a run makes it.
// Run by the build; a test makes the tables again and compares.
#include <cstdio>
#include <vector>

#include "analyses/mim/bounded_search.h"
#include "grid/gss.h"
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
  std::printf("std::span<const int32_t> built_in_stress_order() { return STRESS_ORDER; }\n");
  return std::ferror(stdout) ? 1 : 0;
}
