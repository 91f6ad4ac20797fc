// Every float d in [-1, 1] (about 2.1 thousand million of them) through
// the lookup tables against the functions they stand for: the score of a
// pair under each weight function, and the misfit in whole degrees. The
// tables find their steps by bisection, which is exact only if these
// functions are monotone in d; this is the proof that they are, on this
// machine's arithmetic. It runs for minutes, in CI's later stage.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <vector>

#include "formats/cdm_file.h"
#include "common/threads.h"
#include "fitness/fill_reference.h"
#include "fitness/fitness_table.h"
#include "fitness/step_table.h"
#include "fitness/weight_functions.h"
#include "math/float_functions.h"

namespace {

const uint32_t CHUNK = 1 << 16;

float float_of(uint32_t bits) {
  float d;
  std::memcpy(&d, &bits, sizeof d);
  return d;
}

// Bit patterns of [0, 1] are 0 .. 0x3f800000, those of [-1, -0] the same
// with the sign bit set; chunk c of the 2 x 0x3f80 chunks covers one run.
uint32_t chunk_start(int32_t c) {
  uint32_t half = 0x3f800000u / CHUNK;
  return (static_cast<uint32_t>(c) % half) * CHUNK | (static_cast<uint32_t>(c) >= half ? 0x80000000u : 0u);
}
int32_t chunk_count() { return static_cast<int32_t>(2 * (0x3f800000u / CHUNK)); }

// Counts the floats whose tabulated value differs from the reference;
// the chunks include 1.0 and -1.0 through an extra check.
template <typename Check>
long mismatches(Check check) {
  std::atomic<long> wrong{0};
  parallel_for(chunk_count(), hardware_thread_count(), [&](int32_t c) {
    wrong += check(chunk_start(c), CHUNK);
  });
  wrong += check(0x3f800000u, 1) + check(0xbf800000u, 1);
  return wrong;
}

TEST(StepTablesExhaustiveTest, ScoreTablesGiveTheScoreOfEveryDotProduct) {
  for (int id = 1; id <= 4; ++id) {
    const WeightFunction& weight = weight_function_of(id);
    StepTable table = score_step_table(weight);
    ASSERT_TRUE(table.usable) << id;
    long wrong = mismatches([&](uint32_t first, uint32_t count) {
      std::vector<float> d(count);
      std::vector<int8_t> fast(count);
      for (uint32_t i = 0; i < count; ++i) d[i] = float_of(first + i);
      step_values_to_bytes(table, d.data(), static_cast<int32_t>(count), fast.data());
      long bad = 0;
      for (uint32_t i = 0; i < count; ++i)
        bad += fast[i] != score_of_weight(weight.weight(acos_cr(d[i])));
      return bad;
    });
    EXPECT_EQ(wrong, 0) << weight.name;
  }
}

// The table against the very function the CIM writer tabulates.
long degrees_of_dot(float d, const void*) { return degrees_of_cosine(d); }

TEST(StepTablesExhaustiveTest, DegreeTableGivesTheMisfitOfEveryDotProduct) {
  StepTable table = build_step_table(degrees_of_dot, nullptr);
  ASSERT_TRUE(table.usable);
  long wrong = mismatches([&](uint32_t first, uint32_t count) {
    long bad = 0;
    for (uint32_t i = 0; i < count; ++i) {
      float d = float_of(first + i);
      bad += step_value(table, d) != degrees_of_dot(d, nullptr);
    }
    return bad;
  });
  EXPECT_EQ(wrong, 0);
}

}  // namespace
