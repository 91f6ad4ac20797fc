#include "shell/questions.h"

#include <string>
#include <vector>

#include "analyses/mim/subset_inversion.h"
#include "fitness/weight_functions.h"
#include "shell/console.h"
#include "shell/error_reporter.h"

int8_t read_weight_function_number(LineSource& input) {
  std::vector<FreeFormValue> values;
  if (read_free_form(input, {ValueKind::integer}, values) != ReadStatus::ok) return 0;
  if (!values[0].set || values[0].integer < 1 || values[0].integer > 4) return 0;
  return static_cast<int8_t>(values[0].integer);
}

int8_t determine_weightfunc() {
  message_line("");
  message_line("  Select a weight function");
  message_line("");
  for (int id = 1; id <= 4; ++id) {
    message_line("      " + std::to_string(id) + " : " + padded_weight_name(id));
  }
  message_line("");
  write_prompt("   ID number of the function = ");
  int8_t id = read_weight_function_number(console_input());
  if (id == 0) ErrorReporter("determine_weightfunc", "Invalid number of weight function specified");
  message_line("  Weight function = " + padded_weight_name(id));
  return id;
}

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
