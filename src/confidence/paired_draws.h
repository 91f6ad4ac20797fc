// A batch of resamples summed over a span of states with the data taken
// in pairs: each resample's two counts of a pair are the two bytes of one
// word, and one multiply-add instruction (x86's pmaddubsw) gives
// count_a * score_a + count_b * score_b for sixteen states at once. Every
// resample of the batch is summed over every pair, drawn or not: with
// dozens of resamples nearly every pair is drawn by most of them, and the
// sums stay in registers instead of going through memory at each datum.
//
// Exact: a run of pairs is cut wherever some resample would draw more
// than 255 times in it, so no 16-bit sum of a run and no product pair
// exceeds 255 * 128 = 32,640; counts that would not fit (a datum drawn
// more than 255 times, or a pair whose two counts pass 255) are summed in
// 32 bits apart.
#ifndef SORVEL_CONFIDENCE_PAIRED_DRAWS_H_
#define SORVEL_CONFIDENCE_PAIRED_DRAWS_H_

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

struct PairedDraws {
  int32_t resamples = 0;             // of the batch
  int32_t lanes = 0;                 // resamples rounded up to the kernel's four at a time
  int32_t data = 0;
  int32_t pairs = 0;                 // (data + 1) / 2
  std::vector<uint16_t> counts;      // low byte datum 2p, high 2p + 1; resample r of pair p at
                                     // ((r / 4) * pairs + p) * 4 + r % 4: four resamples side by side
  std::vector<int32_t> run_start;    // first pair of each run, and pairs at the end
  struct Apart {
    int32_t resample, datum, count;
  };
  std::vector<Apart> apart;          // counts summed in 32 bits
};

/// The draws of resamples `members` of `counts` (counts[r][j]: how often
/// resample r drew datum j of n), laid out for paired_batch_sums.
void gather_paired_draws(std::span<const uint16_t* const> counts, const std::vector<int32_t>& members,
                         int32_t n, PairedDraws& draws);

/// Whether this processor runs paired_batch_sums (x86-64 with AVX2).
bool paired_sums_available();

/// The scores of `width` states (a multiple of 32) of `data` columns from
/// `base` on, the columns `stride` apart, laid out in `scratch` for
/// paired_batch_sums: (data + 1) / 2 * width * 2 bytes. One layout of a
/// span serves every batch summed over it.
void interleave_pairs(const int8_t* base, std::size_t stride, int32_t width, int32_t data, int8_t* scratch);

/// sums[b * width + k] = the sum over data j of the b-th member's count of
/// j times base[j * stride + k], for k < width; width a multiple of 32.
/// `interleaved` is the span as interleave_pairs laid it out.
void paired_batch_sums(const int8_t* base, std::size_t stride, int32_t width, const PairedDraws& draws,
                       const int8_t* interleaved, int32_t* sums);

#endif  // SORVEL_CONFIDENCE_PAIRED_DRAWS_H_
