#include "fitness/weight_functions.h"

#include <cmath>
#include <vector>

#include "common/constants.h"
#include "common/state.h"
#include "shell/console.h"
#include "shell/error_reporter.h"

// The constants are single-precision values widened to double, as the
// weights have always been computed.
static const double PI_SINGLE = PI;
static const double QUARTER_PI_SINGLE = 0.7853982f;
static const double SIXTH_PI_SINGLE = 0.5235988f;  // 30 degrees
static const double TANH_FLOOR = 1.1920929e-7f;    // 2 to the power -23

double weight_cosine(float x) { return 0.5 * std::cos(static_cast<double>(x)) + 0.5; }

double weight_linear(float x) { return 1.0 - static_cast<double>(x) / PI_SINGLE; }

double weight_tangent(float x) {
  if (static_cast<double>(x) < QUARTER_PI_SINGLE) return 1.0 - std::tan(static_cast<double>(x));
  return 0.0;
}

double weight_hyperbolic_tangent(float x) {
  return 0.5 * std::tanh(10.0 * (SIXTH_PI_SINGLE - static_cast<double>(x))) + 0.5 + TANH_FLOOR;
}

static const WeightFunction WEIGHT_FUNCTIONS[4] = {
    {1, "cosine", weight_cosine},
    {2, "linear", weight_linear},
    {3, "tangent", weight_tangent},
    {4, "hyperbolic tangent", weight_hyperbolic_tangent},
};

const WeightFunction& weight_function_of(int id) { return WEIGHT_FUNCTIONS[id - 1]; }

std::string padded_weight_name(int id) {
  std::string name = weight_function_of(id).name;
  name.resize(40, ' ');
  return name;
}

int8_t score_of_weight(double w) {
  return static_cast<int8_t>(std::lround(200.0 * w - 100.0));
}

int8_t read_weight_function_number(LineSource& input) {
  std::vector<FreeFormValue> values;
  if (read_free_form(input, {ValueKind::integer}, values) != ReadStatus::ok) return 0;
  if (!values[0].set || values[0].integer < 1 || values[0].integer > 4) return 0;
  return static_cast<int8_t>(values[0].integer);
}

void determine_weightfunc() {
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
  weightfunc_id = id;
  weightfunc_name = padded_weight_name(id);
  message_line("  Weight function = " + weightfunc_name);
}
