// The console: message lines, prompts and the lines the user types.
#ifndef SORVEL_SHELL_CONSOLE_H_
#define SORVEL_SHELL_CONSOLE_H_

#include <string_view>

#include "common/free_format.h"
#include "common/run_settings.h"

/// One blank, the text, a line end.
void message_line(std::string_view text);
/// The text as it stands, with no line end, flushed so that the answer is
/// typed on the same line.
void write_prompt(std::string_view text);
/// The text as it stands, followed by a line end.
void write_line(std::string_view text);
void flush_console();

/// A progress message line (one blank, the text, a line end), flushed so
/// that it shows while the stage runs.
void show_progress_message(std::string_view text);

/// The settings of a run from its options and the environment: `threads`
/// when given (0: SORVEL_THREADS, else every hardware thread; a value there
/// that cannot be used is said once on standard error), the reference paths
/// when SORVEL_REFERENCE is "1", progress lines on standard output unless
/// quiet.
RunSettings console_run_settings(int threads, bool quiet);

/// When the program owns its console window (started by a double-click),
/// asks for Enter as the program ends, so that the window does not close
/// before its last lines are read; nothing in a shared console.
void keep_own_window_open();

/// Waits for Enter after the prompt; the end of input ends the wait. The
/// window then needs no second pause.
void pause_for_enter(std::string_view prompt);

/// Standard input as a line source (shared by every console question).
LineSource& console_input();

#endif  // SORVEL_SHELL_CONSOLE_H_
