#include "common/run_settings.h"

#include <string>

void report_progress_line(const RunSettings& settings, std::string_view line) {
  if (settings.quiet || settings.progress.write == nullptr) return;
  settings.progress.write(settings.progress.context, line);
}

void report_progress_message(const RunSettings& settings, std::string_view text) {
  if (settings.quiet || settings.progress.write == nullptr) return;
  std::string line = " ";
  line += text;
  settings.progress.write(settings.progress.context, line);
}
