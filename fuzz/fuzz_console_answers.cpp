// Fuzz target: any bytes as the console answers of a run: the overwrite
// answer, the weight-function number and the subset size, read one after
// the other from the same input as the programs read them.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "common/free_format.h"
#include "shell/main_program.h"
#include "shell/questions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  StringLineSource input(std::string(reinterpret_cast<const char*>(bytes), size));
  read_overwrite_answer(input);
  int8_t id = read_weight_function_number(input);
  if (id < 0 || id > 4) std::abort();
  int8_t k = read_subset_size(input);
  if (k != 0 && (k < 2 || k > 8)) std::abort();
  return 0;
}
