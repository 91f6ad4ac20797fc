// sorvel-grid: writes the listing of the whole grid of stress states,
// gridpoints.txt and stresstensors.txt, in the current folder.
#include <string>

#include "grid/grid_listing.h"
#include "grid/gss.h"
#include "shell/banner.h"
#include "shell/console.h"
#include "shell/error_reporter.h"

// The first non-blank character of the answer; an empty answer or the
// end of the input asks for whole numbers.
static std::string read_listing_mode() {
  write_prompt("  Fixed-point listing (r) or whole numbers (any other answer)? ");
  std::string answer;
  if (!console_input().next_line(answer)) return "";
  size_t first = answer.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  return answer.substr(first, 1);
}

int main() {
  write_banner();
  std::string mode = read_listing_mode();
  if (!is_GSS_generation_successful()) ErrorReporter("sorvel-grid", "");
  if (!write_grid_listing(mode)) {
    flush_console();
    return 1;
  }
  flush_console();
  return 0;
}
