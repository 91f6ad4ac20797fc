#include "confidence/paired_draws.h"

#include <algorithm>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define SORVEL_PAIRED_X86 1
#endif

namespace {

constexpr int32_t MOST_IN_A_RUN = 255;  // draws of one resample, so that 255 * 128 fits 16 bits
constexpr int32_t AT_ONCE = 4;          // resamples whose sums the kernel keeps in registers

std::size_t count_at(const PairedDraws& draws, int32_t pair, int32_t resample) {
  return (static_cast<std::size_t>(resample / AT_ONCE) * draws.pairs + pair) * AT_ONCE + resample % AT_ONCE;
}

// The counts that the 16-bit sums cannot take, added in 32 bits.
void add_apart(const int8_t* base, std::size_t stride, int32_t width, const PairedDraws& draws,
               int32_t* sums) {
  for (const PairedDraws::Apart& a : draws.apart) {
    int32_t* row = sums + static_cast<std::size_t>(a.resample) * static_cast<std::size_t>(width);
    const int8_t* column = base + static_cast<std::size_t>(a.datum) * stride;
    for (int32_t k = 0; k < width; ++k) row[k] += a.count * column[k];
  }
}

#ifdef SORVEL_PAIRED_X86

constexpr int32_t TILE = 32;  // states of a tile: two vectors of sixteen sums

// The span's scores of every pair, interleaved, tile by tile: tile t of
// pair p at scratch + (t * pairs + p) * 64, where byte 2k of the first
// vector is state k's score for the pair's first datum and byte 2k + 1
// for its second, and the second vector holds states 16 to 31 the same
// way. Each column is read once along the span (whole cache lines of one
// page) rather than once a tile. The 64-bit quarters are reordered first
// because AVX2 interleaves within each 128-bit half.
__attribute__((target("avx2"))) void interleave_span(const int8_t* base, std::size_t stride, int32_t width,
                                                     int32_t data, int8_t* scratch) {
  const int32_t pairs = (data + 1) / 2;
  const std::size_t tile_bytes = static_cast<std::size_t>(pairs) * 64;
  for (int32_t p = 0; p < pairs; ++p) {
    const int8_t* first = base + static_cast<std::size_t>(2 * p) * stride;
    const bool second = 2 * p + 1 < data;
    // Columns a few pairs ahead, whose lines the processor would not guess.
    if (2 * p + 9 < data)
      for (int32_t t = 0; t < width; t += 64) {
        _mm_prefetch(reinterpret_cast<const char*>(first + 8 * stride + t), _MM_HINT_T0);
        _mm_prefetch(reinterpret_cast<const char*>(first + 9 * stride + t), _MM_HINT_T0);
      }
    for (int32_t t = 0; t < width; t += TILE) {
      const __m256i a = _mm256_permute4x64_epi64(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(first + t)), 0xD8);
      __m256i b = _mm256_setzero_si256();
      if (second)
        b = _mm256_permute4x64_epi64(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(first + stride + t)), 0xD8);
      __m256i* out = reinterpret_cast<__m256i*>(scratch + static_cast<std::size_t>(t / TILE) * tile_bytes +
                                                static_cast<std::size_t>(p) * 64);
      _mm256_storeu_si256(out, _mm256_unpacklo_epi8(a, b));
      _mm256_storeu_si256(out + 1, _mm256_unpackhi_epi8(a, b));
    }
  }
}

__attribute__((target("avx2"))) void add_widened(__m256i low_states, __m256i high_states, int32_t* sums) {
  __m256i* out = reinterpret_cast<__m256i*>(sums);
  const __m256i parts[4] = {_mm256_cvtepi16_epi32(_mm256_castsi256_si128(low_states)),
                            _mm256_cvtepi16_epi32(_mm256_extracti128_si256(low_states, 1)),
                            _mm256_cvtepi16_epi32(_mm256_castsi256_si128(high_states)),
                            _mm256_cvtepi16_epi32(_mm256_extracti128_si256(high_states, 1))};
  for (int i = 0; i < 4; ++i) _mm256_storeu_si256(out + i, _mm256_add_epi32(_mm256_loadu_si256(out + i), parts[i]));
}

// Four resamples over one run of pairs of the tile in `scratch`, their
// sums added to rows sums[b * width], b < `count`. The eight sums are
// named one by one so that they stay in registers.
__attribute__((target("avx2"))) void four_resamples(const int8_t* scratch, const uint16_t* counts,
                                                    int32_t first_pair, int32_t end_pair,
                                                    int32_t count, int32_t width, int32_t* sums) {
  __m256i low0 = _mm256_setzero_si256(), high0 = low0, low1 = low0, high1 = low0;
  __m256i low2 = low0, high2 = low0, low3 = low0, high3 = low0;
  for (int32_t p = first_pair; p < end_pair; ++p) {
    const __m256i* pair = reinterpret_cast<const __m256i*>(scratch + static_cast<std::size_t>(p) * 64);
    const __m256i s0 = _mm256_loadu_si256(pair), s1 = _mm256_loadu_si256(pair + 1);
    const uint16_t* c = counts + static_cast<std::size_t>(p) * AT_ONCE;
    __m256i m = _mm256_set1_epi16(static_cast<int16_t>(c[0]));
    low0 = _mm256_add_epi16(low0, _mm256_maddubs_epi16(m, s0));
    high0 = _mm256_add_epi16(high0, _mm256_maddubs_epi16(m, s1));
    m = _mm256_set1_epi16(static_cast<int16_t>(c[1]));
    low1 = _mm256_add_epi16(low1, _mm256_maddubs_epi16(m, s0));
    high1 = _mm256_add_epi16(high1, _mm256_maddubs_epi16(m, s1));
    m = _mm256_set1_epi16(static_cast<int16_t>(c[2]));
    low2 = _mm256_add_epi16(low2, _mm256_maddubs_epi16(m, s0));
    high2 = _mm256_add_epi16(high2, _mm256_maddubs_epi16(m, s1));
    m = _mm256_set1_epi16(static_cast<int16_t>(c[3]));
    low3 = _mm256_add_epi16(low3, _mm256_maddubs_epi16(m, s0));
    high3 = _mm256_add_epi16(high3, _mm256_maddubs_epi16(m, s1));
  }
  const __m256i low[AT_ONCE] = {low0, low1, low2, low3}, high[AT_ONCE] = {high0, high1, high2, high3};
  for (int i = 0; i < count; ++i) add_widened(low[i], high[i], sums + static_cast<std::size_t>(i) * width);
}

__attribute__((target("avx2"))) void paired_sums_avx2(int32_t width, const PairedDraws& draws,
                                                      const int8_t* scratch, int32_t* sums) {
  const std::size_t runs = draws.run_start.size() - 1;
  for (int32_t t = 0; t < width; t += TILE) {
    const int8_t* tile = scratch + static_cast<std::size_t>(t / TILE) * static_cast<std::size_t>(draws.pairs) * 64;
    for (std::size_t run = 0; run < runs; ++run)
      for (int32_t b = 0; b < draws.resamples; b += AT_ONCE)
        four_resamples(tile, draws.counts.data() + static_cast<std::size_t>(b) * draws.pairs, draws.run_start[run],
                       draws.run_start[run + 1], std::min(AT_ONCE, draws.resamples - b), width,
                       sums + static_cast<std::size_t>(b) * width + t);
  }
}

#endif

// The same sums one count at a time, where the processor lacks AVX2.
void paired_sums_plain(const int8_t* base, std::size_t stride, int32_t width, const PairedDraws& draws,
                       int32_t* sums) {
  for (int32_t p = 0; p < draws.pairs; ++p)
    for (int32_t b = 0; b < draws.resamples; ++b) {
      const uint16_t word = draws.counts[count_at(draws, p, b)];
      int32_t* row = sums + static_cast<std::size_t>(b) * width;
      for (int32_t half = 0; half < 2; ++half) {
        const int32_t count = half == 0 ? word & 0xFF : word >> 8;
        if (count == 0) continue;
        const int8_t* column = base + static_cast<std::size_t>(2 * p + half) * stride;
        for (int32_t k = 0; k < width; ++k) row[k] += count * column[k];
      }
    }
}

}  // namespace

void gather_paired_draws(std::span<const uint16_t* const> counts, const std::vector<int32_t>& members,
                         int32_t n, PairedDraws& draws) {
  draws = PairedDraws{};
  const int32_t resamples = static_cast<int32_t>(members.size());
  draws.resamples = resamples;
  draws.lanes = (resamples + AT_ONCE - 1) / AT_ONCE * AT_ONCE;
  draws.data = n;
  draws.pairs = (n + 1) / 2;
  draws.counts.assign(static_cast<std::size_t>(draws.pairs) * draws.lanes, 0);
  draws.run_start.push_back(0);
  std::vector<int32_t> run(static_cast<std::size_t>(resamples), 0);  // draws in the run so far
  for (int32_t p = 0; p < draws.pairs; ++p) {
    bool full = false;
    for (int32_t b = 0; b < resamples; ++b) {
      const uint16_t* drawn = counts[static_cast<std::size_t>(members[static_cast<std::size_t>(b)])];
      int32_t first = drawn[2 * p], second = 2 * p + 1 < n ? drawn[2 * p + 1] : 0;
      if (first > MOST_IN_A_RUN) {
        draws.apart.push_back({b, 2 * p, first});
        first = 0;
      }
      if (second > 0 && first + second > MOST_IN_A_RUN) {
        draws.apart.push_back({b, 2 * p + 1, second});
        second = 0;
      }
      draws.counts[count_at(draws, p, b)] = static_cast<uint16_t>(first | second << 8);
      full = full || run[static_cast<std::size_t>(b)] + first + second > MOST_IN_A_RUN;
    }
    if (full) {
      draws.run_start.push_back(p);
      std::fill(run.begin(), run.end(), 0);
    }
    for (int32_t b = 0; b < resamples; ++b) {
      const uint16_t word = draws.counts[count_at(draws, p, b)];
      run[static_cast<std::size_t>(b)] += (word & 0xFF) + (word >> 8);
    }
  }
  draws.run_start.push_back(draws.pairs);
}

bool paired_sums_available() {
#ifdef SORVEL_PAIRED_X86
  return __builtin_cpu_supports("avx2");
#else
  return false;
#endif
}

void interleave_pairs(const int8_t* base, std::size_t stride, int32_t width, int32_t data, int8_t* scratch) {
#ifdef SORVEL_PAIRED_X86
  if (paired_sums_available()) interleave_span(base, stride, width, data, scratch);
#else
  (void)base, (void)stride, (void)width, (void)data, (void)scratch;
#endif
}

void paired_batch_sums(const int8_t* base, std::size_t stride, int32_t width, const PairedDraws& draws,
                       const int8_t* interleaved, int32_t* sums) {
  std::fill(sums, sums + static_cast<std::size_t>(draws.resamples) * width, 0);
#ifdef SORVEL_PAIRED_X86
  if (paired_sums_available())
    paired_sums_avx2(width, draws, interleaved, sums);
  else
    paired_sums_plain(base, stride, width, draws, sums);
#else
  (void)interleaved;
  paired_sums_plain(base, stride, width, draws, sums);
#endif
  add_apart(base, stride, width, draws, sums);
}
