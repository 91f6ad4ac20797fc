// What every program says of itself for --version and --help.
#ifndef SORVEL_SHELL_PROGRAM_INFO_H_
#define SORVEL_SHELL_PROGRAM_INFO_H_

#include <string>

inline constexpr const char* SORVEL_VERSION = "1.0.0";

/// "<program> 1.0.0", the answer to --version.
inline std::string version_line(const std::string& program) {
  return program + " " + SORVEL_VERSION;
}

/// The data file format in three lines, for every program's --help.
inline constexpr const char* DATA_FORMAT_HELP =
    "Data file: one datum a line, five values separated by blanks or commas:\n"
    "  dip direction, dip, slip trend, slip plunge (degrees, plunge down) and\n"
    "  the sense of slip N, R, D or S, e.g. \"  99 66  80 65 N\".\n";

#endif  // SORVEL_SHELL_PROGRAM_INFO_H_
