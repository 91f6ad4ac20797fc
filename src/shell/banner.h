// The banner that every program of the system starts with.
#ifndef SORVEL_SHELL_BANNER_H_
#define SORVEL_SHELL_BANNER_H_

void write_banner();

#endif  // SORVEL_SHELL_BANNER_H_
