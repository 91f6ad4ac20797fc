// The programs of the page in one WebAssembly module. The worker starts
// it as a command line: the program's name, then its arguments, exactly
// as they would be typed; each program is the native one, compiled with
// its `main` renamed.
//
//   [--fill-share=I/N | --fill-from=FILE,FILE...] PROGRAM ARGUMENTS...
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <sys/stat.h>

int web_main_sorvel(int argc, char** argv);
int web_main_sorvel_cim(int argc, char** argv);
int web_main_sorvel_mim(int argc, char** argv);
int web_main_sorvel_import(int argc, char** argv);

namespace {

struct Program {
  const char* name;
  int (*main)(int argc, char** argv);
};

const Program PROGRAMS[] = {
    {"sorvel", web_main_sorvel},
    {"sorvel-cim", web_main_sorvel_cim},
    {"sorvel-mim", web_main_sorvel_mim},
    {"sorvel-import", web_main_sorvel_import},
};

}  // namespace

int main(int argc, char** argv) {
  // The module starts with a mask of 0777, under which a file the program
  // writes could not be read again (the MIM picture reads the results
  // file back): the mask a shell gives instead.
  umask(022);
  // The page's own options before the program's name: the fill's share of
  // a helper worker, or the helpers' files (fill_shares.cpp).
  while (argc >= 2 && (std::strncmp(argv[1], "--fill-share=", 13) == 0 ||
                       std::strncmp(argv[1], "--fill-from=", 12) == 0)) {
    const bool share = argv[1][7] == 's';
    setenv(share ? "SORVEL_FILL_SHARE" : "SORVEL_FILL_FROM", argv[1] + (share ? 13 : 12), 1);
    --argc;
    ++argv;
  }
  if (argc >= 2) {
    for (const Program& program : PROGRAMS)
      if (std::strcmp(argv[1], program.name) == 0) return program.main(argc - 1, argv + 1);
  }
  std::fprintf(stderr, "no such program: %s\n", argc >= 2 ? argv[1] : "(none)");
  return 2;
}
