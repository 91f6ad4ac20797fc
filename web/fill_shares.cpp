// The fitness sums of a CDM run without a table, shared between the page's
// Web Workers, which share no memory. A helper worker runs the very
// command line of the run with SORVEL_FILL_SHARE=i/n (programs.cpp sets
// it from the module's own leading options): it reads the data as
// the run does, sums them over share i of the grid's n (whole runs of
// GridPoints), writes the sums to the file fill-share-i and ends there.
// The run itself, with SORVEL_FILL_FROM naming those files, takes its sums
// from them. A GridPoint's sum is the same in any share, each pair scored
// lane by lane as alone, so the run's files are those it writes alone.
// Files that are not whole, or not of these data and this weight
// function, are left aside and the run sums the data itself.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "fitness/fitness_table.h"
#include "fitness/pair_kernels.h"

namespace {

constexpr uint32_t SHARE_MAGIC = 0x53465653;  // "SVFS"

struct ShareHeader {
  uint32_t magic;
  int32_t points, first, count, data;
  uint32_t fingerprint;  // of the data's vectors and the score table
};

uint32_t add_bytes(uint32_t hash, const void* bytes, std::size_t size) {
  const unsigned char* p = static_cast<const unsigned char*>(bytes);
  for (std::size_t i = 0; i < size; ++i) hash = (hash ^ p[i]) * 16777619u;
  return hash;
}

uint32_t fingerprint(const FaultDatum* data, int32_t n, const StepTable& scores) {
  uint32_t hash = 2166136261u;
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

// A helper's share: summed, written, and the program ended (the run's
// later stages are the run's own worker's).
[[noreturn]] void sum_share(const char* share, const GridPoint* grid, int32_t points,
                            const FaultDatum* data, int32_t n, const StepTable& scores) {
  int part = 0, parts = 0;
  if (std::sscanf(share, "%d/%d", &part, &parts) != 2 || parts < 1 || part < 0 || part >= parts) {
    std::fprintf(stderr, "SORVEL_FILL_SHARE must be i/n with 0 <= i < n: %s\n", share);
    std::exit(2);
  }
  ShareHeader header{SHARE_MAGIC, points, 0, 0, n, fingerprint(data, n, scores)};
  share_range(points, part, parts, header.first, header.count);
  const std::vector<int32_t> sums =
      sum_score_columns(grid + header.first, header.count, data, n, scores, 1);
  const std::string name = "fill-share-" + std::to_string(part);
  std::FILE* file = std::fopen(name.c_str(), "wb");
  const bool written = file != nullptr && std::fwrite(&header, sizeof header, 1, file) == 1 &&
                       std::fwrite(sums.data(), sizeof(int32_t), sums.size(), file) == sums.size();
  if (file != nullptr) std::fclose(file);
  std::exit(written ? 0 : 1);
}

// One helper's file into `sums`; false when it is not whole or not of this
// run, or overlaps a share already read.
bool read_share(const std::string& name, int32_t points, int32_t n, uint32_t print,
                std::vector<char>& covered, std::vector<int32_t>& sums) {
  std::FILE* file = std::fopen(name.c_str(), "rb");
  if (file == nullptr) return false;
  ShareHeader header{};
  bool good = std::fread(&header, sizeof header, 1, file) == 1 && header.magic == SHARE_MAGIC &&
              header.points == points && header.data == n && header.fingerprint == print &&
              header.first >= 0 && header.count >= 0 && header.count <= points - header.first;
  for (int32_t k = header.first; good && k < header.first + header.count; ++k)
    good = !covered[static_cast<std::size_t>(k)];
  good = good && std::fread(sums.data() + header.first, sizeof(int32_t),
                            static_cast<std::size_t>(header.count), file) ==
                     static_cast<std::size_t>(header.count);
  good = good && std::fgetc(file) == EOF;
  std::fclose(file);
  if (good) std::memset(covered.data() + header.first, 1, static_cast<std::size_t>(header.count));
  return good;
}

}  // namespace

bool shared_fitness_sums(const GridPoint* grid, int32_t points, const FaultDatum* data, int32_t n,
                         const StepTable& scores, std::vector<int32_t>& sums) {
  if (const char* share = std::getenv("SORVEL_FILL_SHARE"))
    sum_share(share, grid, points, data, n, scores);
  const char* from = std::getenv("SORVEL_FILL_FROM");
  if (from == nullptr || *from == '\0') return false;
  const uint32_t print = fingerprint(data, n, scores);
  std::vector<char> covered(static_cast<std::size_t>(points), 0);
  std::vector<int32_t> shared(static_cast<std::size_t>(points), 0);
  const std::string names = from;
  bool whole = true;
  for (std::size_t start = 0; start <= names.size() && whole;) {
    std::size_t comma = names.find(',', start);
    if (comma == std::string::npos) comma = names.size();
    whole = read_share(names.substr(start, comma - start), points, n, print, covered, shared);
    start = comma + 1;
  }
  for (std::size_t k = 0; k < covered.size() && whole; ++k) whole = covered[k] != 0;
  if (!whole) {
    // Said, so that a fault of the page's shares shows and is not merely slow.
    std::fprintf(stderr, "the helpers' sums (%s) are not this run's whole grid: summed here\n", from);
    return false;
  }
  sums = std::move(shared);
  return true;
}
