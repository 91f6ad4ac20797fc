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

/// Standard input as a line source (shared by every console question).
LineSource& console_input();

#endif  // SORVEL_SHELL_CONSOLE_H_
