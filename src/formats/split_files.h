// The split files of a MIM run: the data of each population, and those
// no population explains, each in a data file of its own, the lines of
// the data file as they stand.
#ifndef SORVEL_FORMATS_SPLIT_FILES_H_
#define SORVEL_FORMATS_SPLIT_FILES_H_

#include <string>
#include <vector>

#include "report/population_report.h"

/// The names of the data files of --split: PREFIX1.fdt, ... one a
/// population, and PREFIX0.fdt for the data no population explains when
/// there are any.
std::vector<std::string> split_file_names(const std::string& prefix,
                                          const PopulationRunReport& report);

/// Writes each population's data, the lines of the data file as they
/// stand, to its file of split_file_names; the problem, or an empty text.
std::string write_split_files(const std::string& prefix, const std::string& data_file,
                              const PopulationRunReport& report);

#endif  // SORVEL_FORMATS_SPLIT_FILES_H_
