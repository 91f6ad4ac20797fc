#include "fitness/ranking.h"

#include "platform/large_blocks.h"

// A grid index with its fitness above it in one 64-bit word: the fitness,
// its sign bit flipped, in the upper half, so that words compare as their
// fitness where the upper halves differ. A word w has greater fitness than
// t exactly when w > (t with every lower bit set), one comparison of whole
// words that the insertion loop makes without unpacking.
static uint64_t ranked_word(int32_t fitness, int32_t index) {
  return static_cast<uint64_t>(static_cast<uint32_t>(fitness) ^ 0x80000000u) << 32 |
         static_cast<uint32_t>(index);
}

// One gapped insertion pass: each run of positions h apart sorted by
// insertion, an element passing only those of strictly greater fitness.
static void insertion_pass(uint64_t* a, std::size_t n, std::size_t h) {
  for (std::size_t i = h; i < n; ++i) {
    const uint64_t t = a[i];
    const uint64_t above = t | 0xffffffffu;
    if (a[i - h] <= above) continue;
    std::size_t j = i;
    do {
      a[j] = a[j - h];
      j -= h;
    } while (j >= h && a[j - h] > above);
    a[j] = t;
  }
}

// The fitness of the words, as the whole numbers 0 .. range - 1 above the
// least.
struct KeyRange {
  uint32_t least;  // upper half of the word of least fitness
  uint64_t range;
};

// The sort's working memory, in one large block: its pages would each cost
// a fault, a huge page costs one. Nothing of it is set before it is
// written.
struct SortBlock {
  explicit SortBlock(std::size_t n)
      : bytes(n * (3 * sizeof(uint64_t) + 2 * sizeof(uint32_t))), memory(allocate_large_block(bytes)) {
    if (memory == nullptr) throw std::bad_alloc();
    ranked = static_cast<uint64_t*>(memory);
    words[0] = ranked + n;
    words[1] = words[0] + n;
    runs[0] = reinterpret_cast<uint32_t*>(words[1] + n);
    runs[1] = runs[0] + n;
  }
  ~SortBlock() { free_large_block(memory, bytes); }
  SortBlock(const SortBlock&) = delete;
  SortBlock& operator=(const SortBlock&) = delete;

  std::size_t bytes;
  void* memory;
  uint64_t* ranked;    // the words being sorted
  uint64_t* words[2];  // a counting pass's words, by a digit of their fitness
  uint32_t* runs[2];   // and the run each came from
};

// A digit of a word's fitness above the least: `shift` bits up, below `mask`.
struct Digit {
  int shift;
  uint32_t mask;
  uint32_t values;  // how many values it takes
};

static uint32_t digit_of(uint64_t word, uint32_t least, const Digit& digit) {
  return (static_cast<uint32_t>(word >> 32) - least) >> digit.shift & digit.mask;
}

// Fitness of at most this many values is counted in one pass, else in two
// of 16 bits each.
constexpr uint64_t ONE_DIGIT = uint64_t{1} << 16;

// The digits of the fitness, and how many words take each value of each:
// a pass only moves the words, so these counts serve every pass.
struct DigitCounts {
  std::vector<Digit> digits;                 // the lower first
  std::vector<std::vector<uint32_t>> counts;  // of each digit, by its value
};

static DigitCounts count_digits(const uint64_t* words, std::size_t n, const KeyRange& keys) {
  DigitCounts counted;
  if (keys.range <= ONE_DIGIT) {
    counted.digits = {Digit{0, ~0u, static_cast<uint32_t>(keys.range)}};
  } else {
    counted.digits = {Digit{0, 0xffffu, 1u << 16},
                      Digit{16, ~0u, static_cast<uint32_t>((keys.range - 1) >> 16) + 1}};
  }
  for (const Digit& digit : counted.digits) {
    std::vector<uint32_t> counts(digit.values, 0);
    for (std::size_t i = 0; i < n; ++i) ++counts[digit_of(words[i], keys.least, digit)];
    counted.counts.push_back(std::move(counts));
  }
  return counted;
}

// The words sorted stably by one digit of their fitness, each with its
// run: from `runs`, or, where that is null, the run of position i is
// i mod h. `counts` are the digit's counts; `places` is scratch.
static void sort_by_digit(const uint64_t* words, const uint32_t* runs, std::size_t n,
                          std::size_t h, uint32_t least, const Digit& digit,
                          const std::vector<uint32_t>& counts, std::vector<uint32_t>& places,
                          uint64_t* to_words, uint32_t* to_runs) {
  places.resize(counts.size());
  uint32_t start = 0;
  for (std::size_t v = 0; v < counts.size(); ++v) {
    places[v] = start;
    start += counts[v];
  }
  uint32_t* place = places.data();
  if (runs != nullptr) {
    for (std::size_t i = 0; i < n; ++i) {
      const uint32_t at = place[digit_of(words[i], least, digit)]++;
      to_words[at] = words[i];
      to_runs[at] = runs[i];
    }
    return;
  }
  uint32_t run = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const uint32_t at = place[digit_of(words[i], least, digit)]++;
    to_words[at] = words[i];
    to_runs[at] = run;
    if (++run == h) run = 0;
  }
}

// The same pass by counting, every run at once: an insertion moves an
// element past greater ones only, so it sorts each run of positions h
// apart stably by fitness. So does this: the elements sorted stably by
// fitness (counting sorts of its digits, the lower first), then dealt back
// in that order, each to the next free place of its own run. No branch of
// it depends on the data.
static void counting_pass(SortBlock& block, std::size_t n, std::size_t h, const KeyRange& keys,
                          const DigitCounts& counted, std::vector<uint32_t>& places) {
  const uint64_t* words = block.ranked;
  const uint32_t* runs = nullptr;
  for (std::size_t d = 0; d < counted.digits.size(); ++d) {
    sort_by_digit(words, runs, n, h, keys.least, counted.digits[d], counted.counts[d], places,
                  block.words[d], block.runs[d]);
    words = block.words[d];
    runs = block.runs[d];
  }
  places.resize(h);
  for (std::size_t r = 0; r < h; ++r) places[r] = static_cast<uint32_t>(r);
  for (std::size_t q = 0; q < n; ++q) {
    uint32_t& place = places[runs[q]];
    block.ranked[place] = words[q];
    place += static_cast<uint32_t>(h);
  }
}

// Where there are few runs and few values, the same pass counts each
// run's values apart: a word's place is then its run's first position
// plus h for each word of its run before it in the result, those of
// lesser fitness and those of equal fitness that came before it. One
// pass counts, one places, and nothing is sorted twice. With one run,
// its counts are those of the whole, `counted`.
static void run_counting_pass(SortBlock& block, std::size_t n, std::size_t h, uint32_t least,
                              uint32_t values, const DigitCounts& counted,
                              std::vector<uint32_t>& places) {
  const uint64_t* words = block.ranked;
  std::size_t row = 0;  // the run of position i, times `values`
  if (h == 1 && counted.digits.size() == 1) {
    places = counted.counts[0];
  } else {
    places.assign(h * values, 0);
    for (std::size_t i = 0; i < n; ++i) {
      ++places[row + (static_cast<uint32_t>(words[i] >> 32) - least)];
      row += values;
      if (row == h * values) row = 0;
    }
  }
  uint32_t* place = places.data();
  for (std::size_t r = 0; r < h; ++r) {
    uint32_t at = static_cast<uint32_t>(r);
    for (std::size_t v = r * values; v < (r + 1) * values; ++v) {
      const uint32_t here = place[v];
      place[v] = at;
      at += here * static_cast<uint32_t>(h);
    }
  }
  uint64_t* to = block.words[0];
  row = 0;
  for (std::size_t i = 0; i < n; ++i) {
    uint32_t& at = place[row + (static_cast<uint32_t>(words[i] >> 32) - least)];
    to[at] = words[i];
    at += static_cast<uint32_t>(h);
    row += values;
    if (row == h * values) row = 0;
  }
  std::swap(block.ranked, block.words[0]);
}

// Counting costs a few passes over all the words, whatever the gap; it
// pays where the runs are long enough that the insertions would move many.
static bool counting_pays(std::size_t n, std::size_t h) { return 8 * h <= n; }

// Counting each run apart pays while its counts are not many more than
// the words: they are only cleared and summed in order, where the words
// are moved at random (measured on the grid: up to four times as many).
static bool run_counting_pays(std::size_t n, std::size_t h, const KeyRange& keys) {
  return keys.range <= n && h * keys.range <= 4 * n;
}

std::vector<int32_t> sort_gridpoints(const GridValues& fitness) {
  const std::size_t n = fitness.size();
  if (n == 0) return {};
  SortBlock block(n);
  uint64_t* ranked = block.ranked;
  for (std::size_t k = 0; k < n; ++k) ranked[k] = ranked_word(fitness[k], static_cast<int32_t>(k));
  uint32_t least = static_cast<uint32_t>(ranked[0] >> 32), most = least;
  for (std::size_t k = 0; k < n; ++k) {
    const uint32_t upper = static_cast<uint32_t>(ranked[k] >> 32);
    least = upper < least ? upper : least;
    most = upper > most ? upper : most;
  }
  const KeyRange keys = {least, static_cast<uint64_t>(most - least) + 1};
  const DigitCounts counted = count_digits(ranked, n, keys);
  std::vector<uint32_t> places;
  std::size_t h = 1;
  while (h <= n) h = 3 * h + 1;
  do {
    h /= 3;
    if (run_counting_pays(n, h, keys)) {
      run_counting_pass(block, n, h, keys.least, static_cast<uint32_t>(keys.range), counted,
                        places);
      ranked = block.ranked;
    } else if (counting_pays(n, h)) {
      counting_pass(block, n, h, keys, counted, places);
    } else {
      insertion_pass(ranked, n, h);
    }
  } while (h != 1);
  std::vector<int32_t> order(n);
  for (std::size_t k = 0; k < n; ++k) order[k] = static_cast<int32_t>(static_cast<uint32_t>(ranked[k]));
  return order;
}

int32_t lowest_fitness(const GridValues& fitness, const std::vector<int32_t>& order) {
  return order.empty() ? 0 : fitness[static_cast<std::size_t>(order[0])];
}

GridValues shift_fitness(const GridValues& fitness, const std::vector<int32_t>& order) {
  GridValues shifted(fitness);
  const int32_t lowest = lowest_fitness(fitness, order);
  for (int32_t& value : shifted) value -= lowest;
  return shifted;
}
