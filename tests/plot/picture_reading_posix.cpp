// sorvel-plot run through the shell, which takes the quoted arguments
// apart.
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>

#include "plot/picture_reading.h"
#include "support/program_runner.h"

PlotRun run_plot(const std::string& folder, const std::string& arguments) {
  std::string command = "cd '" + folder + "' && '" + SORVEL_BIN_DIR + "/sorvel-plot' " +
                        arguments + " > .out 2> .err";
  int raw = std::system(command.c_str());
  PlotRun run;
  if (raw != -1 && WIFEXITED(raw)) run.status = WEXITSTATUS(raw);
  run.out = read_file(folder + "/.out");
  run.err = read_file(folder + "/.err");
  std::filesystem::remove(folder + "/.out");
  std::filesystem::remove(folder + "/.err");
  return run;
}
