// The console: message lines, prompts and the lines the user types.
#ifndef SORVEL_SHELL_CONSOLE_H_
#define SORVEL_SHELL_CONSOLE_H_

#include <string_view>

#include "common/free_format.h"

/// One blank, the text, a line end.
void message_line(std::string_view text);
/// The text as it stands, with no line end, flushed so that the answer is
/// typed on the same line.
void write_prompt(std::string_view text);
/// The text as it stands, followed by a line end.
void write_line(std::string_view text);
void flush_console();

/// Progress lines are shown unless a command-line run asked for quiet;
/// the dialogue always shows them.
void set_progress_quiet(bool quiet);
/// A progress message line (one blank, the text, a line end), flushed so
/// that it shows while the stage runs; nothing when quiet.
void show_progress_message(std::string_view text);
/// A progress line written as it stands, with a line end; nothing when quiet.
void show_progress_line(std::string_view text);

/// Standard input as a line source (shared by every console question).
LineSource& console_input();

#endif  // SORVEL_SHELL_CONSOLE_H_
