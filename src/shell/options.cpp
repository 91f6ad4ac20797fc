#include "shell/options.h"

#include <cstdio>
#include <string_view>

#include "shell/program_info.h"

static const KnownOption* find_option(const OptionTable& table, std::string_view name) {
  for (const KnownOption& option : table.options) {
    if (name == option.name) return &option;
  }
  return nullptr;
}

static bool starts_long_option(std::string_view word) { return word.substr(0, 2) == "--"; }

static bool is_option(const OptionTable& table, std::string_view word) {
  return starts_long_option(word) ||
         (table.dash_words_are_options && word.size() > 1 && word[0] == '-');
}

// The option at argv[i], "--name" or "--name=value"; steps i over a value
// given as the next argument.
static std::string parse_option(int& i, int argc, const char* const* argv,
                                const OptionTable& table, ParsedArguments& parsed) {
  std::string_view word = argv[i];
  size_t equals = word.find('=');
  std::string name(word.substr(0, equals));
  const KnownOption* option = find_option(table, name);
  if (option == nullptr) return "unknown option " + std::string(word);
  std::string key = option->same_as != nullptr ? option->same_as : name;
  bool joined = equals != std::string_view::npos;
  if (joined && !option->takes_value) return name + " takes no value";
  if (joined) {
    parsed.options[key] = word.substr(equals + 1);
  } else if (!option->takes_value) {
    parsed.options[key] = "";
  } else if (i + 1 < argc && !starts_long_option(argv[i + 1])) {
    parsed.options[key] = argv[++i];
  } else {
    return "missing value of " + name;
  }
  return "";
}

std::string parse_arguments(int argc, const char* const* argv, const OptionTable& table,
                            ParsedArguments& parsed) {
  bool options_ended = false;
  for (int i = 1; i < argc; ++i) {
    std::string_view word = argv[i];
    if (options_ended || !is_option(table, word)) {
      parsed.operands.emplace_back(word);
    } else if (word == "--") {
      options_ended = true;
    } else if (std::string problem = parse_option(i, argc, argv, table, parsed); !problem.empty()) {
      return problem;
    }
  }
  return "";
}

const std::string* given_value(const ParsedArguments& parsed, std::string_view name) {
  auto option = parsed.options.find(name);
  return option == parsed.options.end() ? nullptr : &option->second;
}

int usage_error(const ProgramTexts& texts, const std::string& problem) {
  std::fprintf(stderr, "%s: %s\nusage: %s\n", texts.name.c_str(), problem.c_str(),
               texts.usage.c_str());
  return EXIT_USAGE;
}

std::optional<int> help_or_version(const ProgramTexts& texts, const ParsedArguments& parsed) {
  if (parsed.options.contains("--help")) {
    std::printf("usage: %s\n%s\n%s\n%s", texts.usage.c_str(), texts.about.c_str(), DATA_FORMAT_HELP,
                texts.exit_status.c_str());
    return 0;
  }
  if (parsed.options.contains("--version")) {
    std::printf("%s\n", version_line(texts.name).c_str());
    return 0;
  }
  return std::nullopt;
}
