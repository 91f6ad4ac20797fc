#include "analyses/mim/subset_counting.h"

// After step i the product is C(n - k + i, i), which grows with i up to
// C(n, k): once it reaches the bound the count does too, and the product
// stays far below 2^63 until then.
int32_t count_combinations(int32_t n, int32_t k) {
  if (k < 0 || n < k) return 0;
  int64_t c = 1;
  for (int64_t i = 1; i <= k; ++i) {
    c = c * (n - k + i) / i;
    if (c >= SUBSET_COUNTER_BOUND) return -1;
  }
  return static_cast<int32_t>(c);
}
