// Fuzz target: any bytes as a data file. The reader must either load data
// that hold its promises or report one of its errors; never crash, hang or
// touch memory it does not own.
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "data/data_file.h"
#include "data/fault_geometry.h"

static std::string scratch_path() {
  static std::string path = "/tmp/sorvel-fuzz-" + std::to_string(getpid()) + ".fdt";
  return path;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  std::FILE* f = std::fopen(scratch_path().c_str(), "wb");
  if (f == nullptr) return 0;
  std::fwrite(bytes, 1, size, f);
  std::fclose(f);
  FaultSet set;
  StageResult error = read_data_file(scratch_path(), set);
  if (!error) {
    if (set.count < 0 || static_cast<std::size_t>(set.count) != set.data.size()) std::abort();
    for (int32_t i = 0; i < set.count; ++i) {
      FaultDatum& d = set.data[i];
      if (!std::isfinite(d.dip_direction) || !std::isfinite(d.dip_angle) ||
          !std::isfinite(d.slip_azimuth) || !std::isfinite(d.slip_plunge) ||
          std::strchr("NRSDnrsd", d.sense) == nullptr || d.sense == '\0')
        std::abort();
      prepare_datum_geometry(d);
    }
  } else {
    if (error->message.empty() || error->line.value_or(1) < 1 || error->line.value_or(1) > 32768)
      std::abort();
    if (!set.data.empty() || set.count != 0) std::abort();
  }
  return 0;
}
