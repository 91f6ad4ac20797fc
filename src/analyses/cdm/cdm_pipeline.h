// The CDM analysis: every stage once, in order, with progress lines.
#ifndef SORVEL_ANALYSES_CDM_CDM_PIPELINE_H_
#define SORVEL_ANALYSES_CDM_CDM_PIPELINE_H_

#include <string>

void CDM_execute(const std::string& data_file_name, const std::string& results_file_name);

#endif  // SORVEL_ANALYSES_CDM_CDM_PIPELINE_H_
