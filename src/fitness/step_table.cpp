#include "fitness/step_table.h"

#include <cstring>
#include <limits>

#include "common/vector_clones.h"

// Beyond this many buckets per unit the table would outgrow the caches;
// a function whose steps lie closer is left to its reference.
static const float MAX_SCALE = 1048576.0f;

// Floats of [-1, 1] in ascending order, as consecutive whole numbers:
// the order of the bit patterns of non-negative floats is their numeric
// order, and negative ones are mirrored below them. -0 and +0 share 0.
static int64_t ordinal_of(float d) {
  int32_t bits;
  std::memcpy(&bits, &d, sizeof bits);
  if (bits < 0) return -static_cast<int64_t>(bits & 0x7fffffff);
  return bits;
}

static float float_of(int64_t ordinal) {
  uint32_t bits = ordinal < 0 ? static_cast<uint32_t>(-ordinal) | 0x80000000u
                              : static_cast<uint32_t>(ordinal);
  float d;
  std::memcpy(&d, &bits, sizeof d);
  return d;
}

struct Step {
  float at;    // the least d with the new value
  long value;  // the value from there on
};

// Every place in [-1, 1] where the function changes value, in ascending
// order: from each value, bisect for the least d with another one.
static std::vector<Step> steps_of(StepFunction function, const void* context, long& start) {
  std::vector<Step> steps;
  int64_t low = ordinal_of(-1.0f), last = ordinal_of(1.0f);
  start = function(-1.0f, context);
  long current = start;
  while (function(1.0f, context) != current) {
    int64_t high = last;  // the value differs at high and equals current at low
    while (high - low > 1) {
      int64_t middle = low + (high - low) / 2;
      if (function(float_of(middle), context) == current) low = middle;
      else high = middle;
    }
    current = function(float_of(high), context);
    steps.push_back(Step{float_of(high), current});
    low = high;
  }
  return steps;
}

static bool fits_16_bits(long value) { return value >= -32768 && value <= 32767; }

// Fills the buckets for the table's scale; false when a bucket would
// hold two steps or a value does not fit.
static bool fill_buckets(StepTable& table, const std::vector<Step>& steps, long start) {
  std::size_t count = static_cast<std::size_t>(step_bucket(table, 1.0f)) + 1;
  table.step.assign(count, std::numeric_limits<float>::infinity());
  table.packed.assign(count, 0);
  long value = start;
  std::size_t next = 0;
  for (std::size_t b = 0; b < count; ++b) {
    long low = value, rise = 0;
    if (next < steps.size() && static_cast<std::size_t>(step_bucket(table, steps[next].at)) == b) {
      table.step[b] = steps[next].at;
      value = steps[next].value;
      rise = value - low;
      ++next;
      if (next < steps.size() && static_cast<std::size_t>(step_bucket(table, steps[next].at)) == b)
        return false;
    }
    if (!fits_16_bits(low) || !fits_16_bits(rise)) return false;
    table.packed[b] = static_cast<int32_t>(static_cast<uint32_t>(low & 0xffff) |
                                           (static_cast<uint32_t>(rise) << 16));
  }
  return true;
}

StepTable build_step_table(StepFunction function, const void* context) {
  StepTable table{1024.0f, {}, {}, false, function, context};
  long start = 0;
  std::vector<Step> steps = steps_of(function, context, start);
  while (!(table.usable = fill_buckets(table, steps, start)) && table.scale < MAX_SCALE)
    table.scale *= 2.0f;
  if (!table.usable) {
    table.step.clear();
    table.packed.clear();
  }
  return table;
}

SORVEL_VECTOR_KERNEL(void, step_values_to_bytes,
                     (const StepTable& table, const float* d, int32_t count, int8_t* values),
                     (table, d, count, values)) {
  if (!table.usable) {
    for (int32_t i = 0; i < count; ++i) values[i] = static_cast<int8_t>(step_value(table, d[i]));
    return;
  }
  const StepLookup lookup = step_lookup(table);
  int any_nan = 0;
#pragma omp simd reduction(| : any_nan)
  for (int32_t i = 0; i < count; ++i) {
    float di = d[i];
    values[i] = static_cast<int8_t>(lookup_value(lookup, di));
    any_nan |= di != di ? 1 : 0;
  }
  if (!any_nan) return;
  for (int32_t i = 0; i < count; ++i)
    if (d[i] != d[i]) values[i] = static_cast<int8_t>(table.function(d[i], table.context));
}
