// Fuzz target: any bytes as a command line, one word a line, read with
// the option table of every program and, for the analysis programs, into
// their run options. Reading must never crash or hang, and what it gives
// back must hold its promises: options by their table's names, a value
// only for an option that takes one, a problem text of a known kind.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "shell/command_line.h"
#include "shell/options.h"

static bool known_key(const OptionTable& table, const std::string& key, bool& takes_value) {
  for (const KnownOption& option : table.options) {
    if (option.same_as == nullptr && key == option.name) {
      takes_value = option.takes_value;
      return true;
    }
  }
  return false;
}

static bool is_known_problem(std::string_view problem) {
  return problem.starts_with("unknown option ") || problem.starts_with("missing value of ") ||
         problem.ends_with(" takes no value");
}

static void check_parse(const OptionTable& table, const std::vector<const char*>& argv) {
  ParsedArguments parsed;
  std::string problem = parse_arguments(static_cast<int>(argv.size()), argv.data(), table, parsed);
  if (!problem.empty()) {
    if (!is_known_problem(problem)) std::abort();
    return;
  }
  if (parsed.operands.size() + parsed.options.size() + 1 > argv.size()) std::abort();
  for (const auto& [key, value] : parsed.options) {
    bool takes_value = false;
    if (!known_key(table, key, takes_value)) std::abort();
    if (!takes_value && !value.empty()) std::abort();
  }
}

static void check_run_options(const CommandLineProgram& program,
                              const std::vector<const char*>& argv) {
  ParsedArguments parsed;
  if (!parse_arguments(static_cast<int>(argv.size()), argv.data(), option_table(program), parsed)
           .empty())
    return;
  RunOptions options;
  if (!read_run_options(program, ".cdm", parsed, options).empty()) return;
  if (options.run.weight_id < 1 || options.run.weight_id > 4) std::abort();
  bool k_in_range = options.run.subset_size >= 2 && options.run.subset_size <= 8;
  if (program.takes_subset_size != k_in_range) std::abort();
  if (options.threads < 0 || options.threads > 1024) std::abort();
  if (options.run.data_file != parsed.operands.at(0)) std::abort();
  if (!program.takes_subset_size) return;
  const SeparationOptions& s = options.run.separation;
  if (!options.run.find_populations || !(s.separation > 0 && s.separation <= 180) ||
      !(s.min_votes >= 0 && s.min_votes <= 1) || !(s.fit_limit > 0 && s.fit_limit <= 180) ||
      s.count < 0 || s.count > 8)
    std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  std::string text(reinterpret_cast<const char*>(bytes), size);
  std::vector<std::string> words = {"program"};
  for (size_t start = 0; start <= text.size() && words.size() < 256;) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    words.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  std::vector<const char*> argv;
  for (const std::string& word : words) argv.push_back(word.c_str());

  constexpr const OptionTable* TABLES[] = {&CDM_CIM_TABLE, &MIM_TABLE, &GRID_TABLE, &PLOT_TABLE,
                                           &IMPORT_TABLE};
  for (const OptionTable* table : TABLES) check_parse(*table, argv);
  check_run_options({"sorvel", "", false, nullptr}, argv);
  check_run_options({"sorvel-mim", "", true, nullptr}, argv);
  check_run_options({"sorvel-mim", "", true, nullptr, true}, argv);
  return 0;
}
