#include "shell/file_chooser.h"

std::unique_ptr<FileChooser> dialogue_file_chooser() {
  return std::make_unique<ConsoleFileChooser>();
}
