#include "shell/banner.h"

#include "shell/console.h"

void write_banner() {
  message_line("");
  message_line("");
  message_line("");
  message_line("  The Main Processor for Sorvel Method");
  message_line("");
  message_line("  sorvel 1.0.0");
  message_line("  Stress inversion of fault-slip data");
  message_line("  Released under the MIT License");
  message_line("");
}
