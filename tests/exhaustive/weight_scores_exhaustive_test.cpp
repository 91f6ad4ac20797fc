// The weight functions take cos, tan and tanh of a double, whose last
// bits depend on how they are computed (ours are within 4 ulps of the
// exact value; C libraries differ from each other). The score,
// 200 w - 100 rounded to a whole number, cannot depend on them: for every
// float angle from 0 to pi, every double within 2^-48 of the computed
// weight gives the same score. That interval holds every double within 4
// ulps of the exact weight (the weights stay below 2, where 4 ulps are at
// most 2^-50). The score is monotone in w, so the two ends of the
// interval decide. The linear weight calls no such function; it reaches
// a half exactly at some angles (0.9375 at pi/16), which IEEE arithmetic
// rounds the same way everywhere.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstring>

#include "common/threads.h"
#include "fitness/weight_functions.h"

namespace {

const double WEIGHT_SPREAD = 0x1p-48;

TEST(WeightScoresExhaustiveTest, NoLibraryRoundingMovesAScore) {
  const uint32_t last = 0x40490fdbu;  // pi as a float, the largest misfit angle
  const uint32_t chunk = 1u << 20;
  for (int id : {1, 3, 4}) {
    const WeightFunction& weight = weight_function_of(id);
    std::atomic<long> moved{0};
    std::atomic<uint32_t> first_moved{UINT32_MAX};
    parallel_for(static_cast<int32_t>(last / chunk + 1), hardware_thread_count(), [&](int32_t c) {
      uint32_t begin = static_cast<uint32_t>(c) * chunk;
      uint32_t end = begin + chunk - 1 < last ? begin + chunk - 1 : last;
      for (uint32_t bits = begin; bits <= end; ++bits) {
        float x;
        std::memcpy(&x, &bits, sizeof x);
        double w = weight.weight(x);
        if (score_of_weight(w - WEIGHT_SPREAD) != score_of_weight(w + WEIGHT_SPREAD)) {
          ++moved;
          uint32_t seen = first_moved;
          while (bits < seen && !first_moved.compare_exchange_weak(seen, bits)) {
          }
        }
      }
    });
    EXPECT_EQ(moved, 0) << weight.name << ", first at the angle with bits " << std::hex
                        << first_moved;
  }
}

}  // namespace
