// A lookup table for a whole-number function of the clamped dot product
// d in [-1, 1] of two unit vectors, such as the score of a pair (through
// the arccosine and a weight function) or its misfit in whole degrees.
// Such a function takes a few hundred values and steps between them at a
// few hundred points of d; the table finds the steps by bisection on the
// function itself, so it gives the function's own value for every float,
// provided the function is monotone in d (a test checks every float).
#ifndef SORVEL_FITNESS_STEP_TABLE_H_
#define SORVEL_FITNESS_STEP_TABLE_H_

#include <cstdint>
#include <vector>

/// The function tabulated: any whole-number function of d.
using StepFunction = long (*)(float d, const void* context);

/// Buckets of equal width in d + 1, each with at most one step: bucket b
/// has the value `low` below step[b] and `low + rise` from there on,
/// packed as low in the lower 16 bits and rise in the upper ones.
struct StepTable {
  float scale;                  // buckets per unit of d + 1 (a power of two)
  std::vector<float> step;      // 2 * scale + 1 buckets, for d + 1 in [0, 2]
  std::vector<int32_t> packed;  // low | rise << 16
  bool usable;                  // false when the steps lie too close for any bucket width
  StepFunction function;        // the reference
  const void* context;
};

/// Builds the table of `function`, assumed monotone in d over [-1, 1].
StepTable build_step_table(StepFunction function, const void* context);

/// The bucket of d; d + 1 rounds monotonically, so every bucket holds one
/// interval of floats.
inline int32_t step_bucket(const StepTable& table, float d) {
  return static_cast<int32_t>((d + 1.0f) * table.scale);
}

/// The tabulated value at d (in [-1, 1]; the reference answers for a d
/// that is not a number, or when the table is not usable).
inline long step_value(const StepTable& table, float d) {
  if (d != d || !table.usable) return table.function(d, table.context);
  int32_t b = step_bucket(table, d);
  int32_t packed = table.packed[static_cast<std::size_t>(b)];
  return static_cast<int16_t>(packed & 0xffff) + (d >= table.step[static_cast<std::size_t>(b)] ? (packed >> 16) : 0);
}

/// A usable table as the vector loops read it.
struct StepLookup {
  const float* step;
  const int32_t* packed;
  float last;   // the last bucket's number
  float scale;
};

inline StepLookup step_lookup(const StepTable& table) {
  return StepLookup{table.step.data(), table.packed.data(),
                    static_cast<float>(table.step.size() - 1), table.scale};
}

/// The bucket of d as the vector loops find it: every d, even one beyond
/// [-1, 1], falls in a bucket, and a greater d never in an earlier one. A d
/// that is not a number falls in bucket 0.
inline int32_t lookup_bucket(const StepLookup& table, float d) {
  float at = (d + 1.0f) * table.scale;
  at = at >= 0.0f ? at : 0.0f;
  at = at <= table.last ? at : table.last;
  return static_cast<int32_t>(at);
}

/// The tabulated value at d, the vector loops' body: a d that is not a
/// number falls in bucket 0 rather than outside the table (its value is
/// then wrong, and the caller's to mend). Beyond [-1, 1] the value is that
/// at -1 or 1, the first step lying above -1.
inline int32_t lookup_value(const StepLookup& table, float d) {
  int32_t b = lookup_bucket(table, d);
  int32_t p = table.packed[b];
  return static_cast<int16_t>(p & 0xffff) + (d >= table.step[b] ? (p >> 16) : 0);
}

/// values[i] = the tabulated value at d[i] as a signed byte, for i < count;
/// the loop the fills run, written so that it vectorises.
void step_values_to_bytes(const StepTable& table, const float* d, int32_t count, int8_t* values);

#endif  // SORVEL_FITNESS_STEP_TABLE_H_
