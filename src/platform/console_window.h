// The console a program runs in, where platforms differ: how its streams
// are set up, and whether the program owns the console window.
#ifndef SORVEL_PLATFORM_CONSOLE_WINDOW_H_
#define SORVEL_PLATFORM_CONSOLE_WINDOW_H_

/// Sets up the standard streams before anything is written: line ends go
/// out as written (one line feed, as on every platform) and the console
/// shows UTF-8.
void prepare_console();

/// True when the program was started with a console window of its own
/// (a double-click), which closes the moment the program ends; false in
/// a console shared with a shell or a script, or with redirected input.
bool console_window_is_own();

#endif  // SORVEL_PLATFORM_CONSOLE_WINDOW_H_
