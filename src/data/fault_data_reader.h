// The fault-slip data file: one datum per line, five values each (dip
// direction, dip, slip azimuth, slip plunge in degrees, sense of slip).
#ifndef SORVEL_DATA_FAULT_DATA_READER_H_
#define SORVEL_DATA_FAULT_DATA_READER_H_

#include <cstdint>
#include <string>

#include "common/state.h"

/// What stopped a load of a data file.
struct DataFileError {
  std::string message;  // the reader's message text
  int32_t line = 0;     // datum ordinal, 0 when none applies
};

/// Loads the data file at `path` into `set` (allocating set.data). On a
/// problem fills `error`, leaves `set` empty and returns false.
bool load_fault_data(const std::string& path, FaultSet& set, DataFileError& error);

/// Reads the data file named by file_names.data_file into the program-wide
/// fault-data array; every problem ends the run through ErrorReporter.
void read_data_file();

#endif  // SORVEL_DATA_FAULT_DATA_READER_H_
