#include "platform/console_window.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>

void prepare_console() {
  // Text mode would write "\r\n" for each line end; standard input stays
  // in text mode, as the readers take either line end.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  SetConsoleOutputCP(CP_UTF8);
  SetConsoleCP(CP_UTF8);
}

bool console_window_is_own() {
  DWORD processes[2];
  if (GetConsoleProcessList(processes, 2) != 1) return false;
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
}
