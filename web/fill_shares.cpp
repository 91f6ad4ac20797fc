// The fitness sums of a CDM run, and with the bootstrap each resample's
// best state, shared between the page's Web Workers, which share no
// memory. A helper worker runs the very command line of the run with
// SORVEL_FILL_SHARE=i/n (programs.cpp sets it from the module's own
// leading options): it reads the data as the run does, sums them over
// share i of the grid's n (whole runs of GridPoints), writes the sums to
// the file fill-share-i and ends there. With the bootstrap it keeps its
// share's scores in a table of its own and searches every resample over
// it, the same seed drawing the same resamples, and writes each one's best
// state (global index and sum) after the sums. The run itself, with
// SORVEL_FILL_FROM naming those files, takes its sums from them, and per
// resample the greatest sum of the shares, the lowest grid index among
// equals: what its own search over the whole grid finds. A GridPoint's sum
// is the same in any share, each pair scored lane by lane as alone, so the
// run's files are those it writes alone. Files that are not whole, or not
// of these data, this weight function and these resamples, are left aside
// and the run sums (and searches) the data itself.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "confidence/bootstrap.h"
#include "confidence/resample_search.h"
#include "fitness/fitness_table.h"
#include "fitness/pair_kernels.h"
#include "grid/stress_order.h"

namespace {

constexpr uint32_t SHARE_MAGIC = 0x53465653;  // "SVFS"

struct ShareHeader {
  uint32_t magic;
  int32_t points, first, count, data, resamples;
  uint32_t fingerprint;  // of the data's vectors, the score table and the seed
};

// The resamples the run asks of its helpers' shares (none: sums only).
struct ShareSearch {
  int32_t resamples = 0;
  uint64_t seed = 0;
};

ShareSearch asked_search;
// Each resample's best grid index, from the shares the run took.
std::vector<int32_t> searched_best;

uint32_t add_bytes(uint32_t hash, const void* bytes, std::size_t size) {
  const unsigned char* p = static_cast<const unsigned char*>(bytes);
  for (std::size_t i = 0; i < size; ++i) hash = (hash ^ p[i]) * 16777619u;
  return hash;
}

uint32_t fingerprint(const FaultDatum* data, int32_t n, const StepTable& scores, uint64_t seed) {
  uint32_t hash = add_bytes(2166136261u, &seed, sizeof seed);
  for (int32_t j = 0; j < n; ++j) {
    const float v[6] = {data[j].normal_vector.x, data[j].normal_vector.y, data[j].normal_vector.z,
                        data[j].slip_vector.x, data[j].slip_vector.y, data[j].slip_vector.z};
    hash = add_bytes(hash, v, sizeof v);
  }
  hash = add_bytes(hash, scores.step.data(), scores.step.size() * sizeof(float));
  hash = add_bytes(hash, scores.packed.data(), scores.packed.size() * sizeof(int32_t));
  return add_bytes(hash, &scores.usable, sizeof scores.usable);
}

// Share `part` of `parts`: from `first`, `count` GridPoints, whole runs.
void share_range(int32_t points, int part, int parts, int32_t& first, int32_t& count) {
  const int32_t runs = (points + KERNEL_RUN - 1) / KERNEL_RUN;
  const int32_t begin = static_cast<int32_t>(static_cast<int64_t>(runs) * part / parts) * KERNEL_RUN;
  const int32_t end = static_cast<int32_t>(static_cast<int64_t>(runs) * (part + 1) / parts) * KERNEL_RUN;
  first = begin < points ? begin : points;
  count = (end < points ? end : points) - first;
}

// The scores of a share's `count` GridPoints from `first` kept in a table
// of its own: their sums, and every resample's best state searched over
// them, in global indices, its progress shown where `shown`. False when
// the memory cannot be had.
bool search_share(const Gss& gss, int32_t first, int32_t count, const FaultDatum* data, int32_t n,
                  const StepTable& scores, bool shown, std::vector<int32_t>& sums,
                  std::vector<ResampleBest>& best) {
  const std::size_t cells = static_cast<std::size_t>(n) * static_cast<std::size_t>(count);
  std::unique_ptr<int8_t[]> columns(
      new (std::nothrow) int8_t[cells + static_cast<std::size_t>(n) * TABLE_COLUMN_SPARE]);
  if (columns == nullptr) return false;
  fill_score_columns(gss.points.data() + first, count, data, n, scores, columns.get(), 1);
  sums.assign(static_cast<std::size_t>(count), 0);
  for (std::size_t j = 0; j < static_cast<std::size_t>(n); ++j) {
    const int8_t* column = columns.get() + j * static_cast<std::size_t>(count);
    for (int32_t k = 0; k < count; ++k) sums[static_cast<std::size_t>(k)] += column[k];
  }
  // The whole grid's search order, its states of the share in their local
  // indices: the same bounds, so much the same speed.
  std::vector<int32_t> order;
  for (int32_t k : search_stress_order(gss, 1))
    if (k >= first && k < first + count) order.push_back(k - first);
  BootstrapResult result =
      bootstrap_best_states(ScoreTable{columns.get(), count, n},
                            BootstrapSettings{asked_search.resamples, asked_search.seed, 1},
                            [shown](int32_t done, int32_t total) {
                              if (shown)
                                std::printf("  * Resampling %4d %% *\n",
                                            static_cast<int>(100LL * done / total));
                            },
                            order);
  if (!result.error.empty()) return false;
  best = std::move(result.best);
  for (ResampleBest& b : best) b.index += first;
  return true;
}

// A helper's share: summed (and searched), written, and the program ended
// (the run's later stages are the run's own worker's).
[[noreturn]] void sum_share(const char* share, const Gss& gss, const FaultDatum* data, int32_t n,
                            const StepTable& scores) {
  int part = 0, parts = 0;
  if (std::sscanf(share, "%d/%d", &part, &parts) != 2 || parts < 1 || part < 0 || part >= parts) {
    std::fprintf(stderr, "SORVEL_FILL_SHARE must be i/n with 0 <= i < n: %s\n", share);
    std::exit(2);
  }
  const int32_t points = static_cast<int32_t>(gss.points.size());
  ShareHeader header{SHARE_MAGIC, points, 0, 0, n, asked_search.resamples,
                     fingerprint(data, n, scores, asked_search.seed)};
  share_range(points, part, parts, header.first, header.count);
  std::vector<int32_t> sums;
  std::vector<ResampleBest> best;
  if (asked_search.resamples == 0)
    sums = sum_score_columns(gss.points.data() + header.first, header.count, data, n, scores, 1);
  else if (!search_share(gss, header.first, header.count, data, n, scores, part == 0, sums, best))
    std::exit(1);
  const std::string name = "fill-share-" + std::to_string(part);
  std::FILE* file = std::fopen(name.c_str(), "wb");
  bool written = file != nullptr && std::fwrite(&header, sizeof header, 1, file) == 1 &&
                 std::fwrite(sums.data(), sizeof(int32_t), sums.size(), file) == sums.size();
  for (const ResampleBest& b : best) {
    const int32_t pair[2] = {b.index, b.sum};
    written = written && std::fwrite(pair, sizeof pair, 1, file) == 1;
  }
  if (file != nullptr) std::fclose(file);
  std::exit(written ? 0 : 1);
}

// One helper's file into `sums`, and its resamples' best states into
// `best` where they beat those of the shares read before: the greater
// sum, the lower grid index among equals. False when it is not whole or
// not of this run, or overlaps a share already read.
bool read_share(const std::string& name, int32_t points, int32_t n, uint32_t print,
                std::vector<char>& covered, std::vector<int32_t>& sums,
                std::vector<ResampleBest>& best) {
  std::FILE* file = std::fopen(name.c_str(), "rb");
  if (file == nullptr) return false;
  ShareHeader header{};
  bool good = std::fread(&header, sizeof header, 1, file) == 1 && header.magic == SHARE_MAGIC &&
              header.points == points && header.data == n && header.fingerprint == print &&
              header.resamples == static_cast<int32_t>(best.size()) && header.first >= 0 &&
              header.count >= 0 && header.count <= points - header.first;
  for (int32_t k = header.first; good && k < header.first + header.count; ++k)
    good = !covered[static_cast<std::size_t>(k)];
  good = good && std::fread(sums.data() + header.first, sizeof(int32_t),
                            static_cast<std::size_t>(header.count), file) ==
                     static_cast<std::size_t>(header.count);
  std::vector<ResampleBest> own(best.size());
  for (ResampleBest& b : own) {
    int32_t pair[2] = {0, 0};
    good = good && std::fread(pair, sizeof pair, 1, file) == 1 && pair[0] >= header.first &&
           pair[0] < header.first + header.count;
    b = ResampleBest{pair[0], pair[1]};
  }
  good = good && std::fgetc(file) == EOF;
  std::fclose(file);
  if (!good) return false;
  std::memset(covered.data() + header.first, 1, static_cast<std::size_t>(header.count));
  for (std::size_t r = 0; r < best.size(); ++r)
    if (is_better(own[r], best[r])) best[r] = own[r];
  return true;
}

}  // namespace

bool share_resample_search(int32_t resamples, uint64_t seed) {
  asked_search = ShareSearch{resamples, seed};
  const char* share = std::getenv("SORVEL_FILL_SHARE");
  const char* from = std::getenv("SORVEL_FILL_FROM");
  return (share != nullptr && *share != '\0') || (from != nullptr && *from != '\0');
}

std::vector<int32_t> take_shared_resample_best() { return std::move(searched_best); }

bool shared_fitness_sums(const Gss& gss, const FaultDatum* data, int32_t n, const StepTable& scores,
                         std::vector<int32_t>& sums) {
  if (const char* share = std::getenv("SORVEL_FILL_SHARE")) sum_share(share, gss, data, n, scores);
  const char* from = std::getenv("SORVEL_FILL_FROM");
  if (from == nullptr || *from == '\0') return false;
  const int32_t points = static_cast<int32_t>(gss.points.size());
  const uint32_t print = fingerprint(data, n, scores, asked_search.seed);
  std::vector<char> covered(static_cast<std::size_t>(points), 0);
  std::vector<int32_t> shared(static_cast<std::size_t>(points), 0);
  std::vector<ResampleBest> best(static_cast<std::size_t>(asked_search.resamples),
                                 ResampleBest{points, std::numeric_limits<int32_t>::min()});
  const std::string names = from;
  bool whole = true;
  for (std::size_t start = 0; start <= names.size() && whole;) {
    std::size_t comma = names.find(',', start);
    if (comma == std::string::npos) comma = names.size();
    whole = read_share(names.substr(start, comma - start), points, n, print, covered, shared, best);
    start = comma + 1;
  }
  for (std::size_t k = 0; k < covered.size() && whole; ++k) whole = covered[k] != 0;
  if (!whole) {
    // Said, so that a fault of the page's shares shows and is not merely slow.
    std::fprintf(stderr, "the helpers' sums (%s) are not this run's whole grid: summed here\n", from);
    return false;
  }
  sums = std::move(shared);
  searched_best.clear();
  for (const ResampleBest& b : best) searched_best.push_back(b.index);
  return true;
}
