#include "grid/stress_order.h"

#include <algorithm>
#include <cmath>

#include "common/threads.h"
#include "grid/built_in_tables.h"

namespace {

// A state with its deviatoric stress in an orthonormal basis of the
// symmetric traceless matrices: distances between these are Frobenius
// distances between the tensors' deviatoric parts.
struct Item {
  float d[5];
  int32_t index;
};

Item item_of(const GridPoint& point, int32_t index) {
  const float* s = point.stress_tensor;  // column by column
  const float s11 = s[0], s22 = s[4], s33 = s[8];
  return Item{{(s11 - s22) / std::sqrt(2.0f), (s11 + s22 - 2.0f * s33) / std::sqrt(6.0f),
               std::sqrt(2.0f) * s[3], std::sqrt(2.0f) * s[6], std::sqrt(2.0f) * s[7]},
              index};
}

struct Cuts {
  int32_t block, group;
};

// The component of widest spread, judged on at most about 512 of the
// states: the order needs a good cut, not the best.
int widest_component(const Item* first, const Item* last) {
  const std::ptrdiff_t step = (last - first) / 512 + 1;
  float low[5], high[5];
  for (int c = 0; c < 5; ++c) low[c] = high[c] = first->d[c];
  for (const Item* p = first; p < last; p += step)
    for (int c = 0; c < 5; ++c) {
      low[c] = std::min(low[c], p->d[c]);
      high[c] = std::max(high[c], p->d[c]);
    }
  int widest = 0;
  for (int c = 1; c < 5; ++c)
    if (high[c] - low[c] > high[widest] - low[widest]) widest = c;
  return widest;
}

// Where a range of `size` states is cut: near its middle, at a multiple of
// a group while it holds more than two, else of a block; 0 when it is a
// block or less.
int32_t cut_of(const Cuts& cuts, int32_t size) {
  if (size <= cuts.block) return 0;
  for (int32_t unit : {size > 2 * cuts.group ? cuts.group : cuts.block, cuts.block}) {
    const int32_t half = (size / 2 + unit / 2) / unit * unit;
    if (half > 0 && half < size) return half;
  }
  return 0;
}

// Splits [first, last) at its cut along its widest component and returns
// the cut (0: not split). Ties in the component go by index, so that each
// half is the same set of states on every platform.
int32_t split_once(const Cuts& cuts, Item* first, Item* last) {
  const int32_t half = cut_of(cuts, static_cast<int32_t>(last - first));
  if (half == 0) return 0;
  const int c = widest_component(first, last);
  std::nth_element(first, first + half, last, [c](const Item& a, const Item& b) {
    return a.d[c] < b.d[c] || (a.d[c] == b.d[c] && a.index < b.index);
  });
  return half;
}

void split_range(const Cuts& cuts, Item* first, Item* last) {
  const int32_t half = split_once(cuts, first, last);
  if (half == 0) return;
  split_range(cuts, first, first + half);
  split_range(cuts, first + half, last);
}

}  // namespace

std::vector<int32_t> stress_grouped_order(const Gss& gss, int32_t block, int32_t group,
                                          int threads) {
  const Cuts cuts = {block < 1 ? 1 : block, group < 1 ? 1 : group};
  const int32_t count = static_cast<int32_t>(gss.points.size());
  std::vector<Item> items(static_cast<std::size_t>(count));
  for (int32_t k = 0; k < count; ++k)
    items[static_cast<std::size_t>(k)] = item_of(gss.points[static_cast<std::size_t>(k)], k);
  // The first cut here, its two halves on two threads.
  Item* first = items.data();
  Item* last = first + count;
  const int32_t half = split_once(cuts, first, last);
  if (half == 0) {
    split_range(cuts, first, last);
  } else {
    parallel_for(2, threads, [&](int32_t side) {
      if (side == 0) split_range(cuts, first, first + half);
      else split_range(cuts, first + half, last);
    });
  }
  std::vector<int32_t> order(static_cast<std::size_t>(count));
  for (int32_t k = 0; k < count; ++k) order[static_cast<std::size_t>(k)] = items[static_cast<std::size_t>(k)].index;
  return order;
}

std::vector<int32_t> search_stress_order(const Gss& gss, int threads) {
  const std::span<const int32_t> built_in = built_in_stress_order();
  if (built_in.size() == gss.points.size()) return {built_in.begin(), built_in.end()};
  return stress_grouped_order(gss, SEARCH_BLOCK, SEARCH_GROUP, threads);
}
