// Windows has no POSIX shell: the arguments are taken apart as one
// would (words between blanks, '...' quoting), and sorvel-plot is run
// with them directly.
#include <vector>

#include "plot/picture_reading.h"
#include "support/program_runner.h"

PlotRun run_plot(const std::string& folder, const std::string& arguments) {
  std::vector<std::string> words;
  std::string word;
  bool in_word = false, quoted = false;
  for (char c : arguments) {
    if (quoted) {
      if (c == '\'') {
        quoted = false;
      } else {
        word += c;
      }
    } else if (c == '\'') {
      quoted = in_word = true;
    } else if (c == ' ' || c == '\t') {
      if (in_word) words.push_back(word);
      word.clear();
      in_word = false;
    } else {
      word += c;
      in_word = true;
    }
  }
  if (in_word) words.push_back(word);
  ProgramRun r = run_program_with_arguments("sorvel-plot", folder, words);
  PlotRun run;
  run.status = r.status;
  run.out = r.output;
  run.err = r.errors;
  return run;
}
