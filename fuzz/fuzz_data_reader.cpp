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

#include "data/fault_data_reader.h"
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
  FaultSet set = {0, nullptr};
  DataFileError error;
  if (load_fault_data(scratch_path(), set, error)) {
    if (set.count < 0 || (set.count > 0) != (set.data != nullptr)) std::abort();
    for (int32_t i = 0; i < set.count; ++i) {
      FaultDatum& d = set.data[i];
      if (!std::isfinite(d.dip_direction) || !std::isfinite(d.dip_angle) ||
          !std::isfinite(d.slip_azimuth) || !std::isfinite(d.slip_plunge) ||
          std::strchr("NRSDnrsd", d.sense) == nullptr || d.sense == '\0')
        std::abort();
      prepare_datum_geometry(d);
    }
  } else {
    if (error.message.empty() || error.line < 0 || error.line > 32768) std::abort();
    if (set.data != nullptr || set.count != 0) std::abort();
  }
  std::free(set.data);
  return 0;
}
