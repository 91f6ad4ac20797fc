#include "analyses/mim/subset_size.h"

#include <vector>

#include "analyses/mim/subset_inversion.h"
#include "common/free_format.h"
#include "shell/console.h"
#include "shell/error_reporter.h"

int8_t read_subset_size(LineSource& input) {
  std::vector<FreeFormValue> values;
  if (read_free_form(input, {ValueKind::integer}, values) != ReadStatus::ok) return 0;
  if (!values[0].set) return 0;
  if (values[0].integer < MIN_SUBSET_SIZE || values[0].integer > MAX_SUBSET_SIZE) return 0;
  return static_cast<int8_t>(values[0].integer);
}

int8_t determine_subset_size() {
  write_prompt("   Subset size k (2 to 8) = ");
  int8_t k = read_subset_size(console_input());
  if (k == 0) ErrorReporter("determine_subset_size", "Invalid subset size specified");
  return k;
}
