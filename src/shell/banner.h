// The banner that every program of the system prints first.
#ifndef SORVEL_SHELL_BANNER_H_
#define SORVEL_SHELL_BANNER_H_

/// The title, the program and its licence, framed by empty message lines.
void write_banner();

#endif  // SORVEL_SHELL_BANNER_H_
