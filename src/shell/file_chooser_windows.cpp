// The common file dialogs. One dialog record serves both dialogs and is
// filled again before each; its name buffer is shared and kept between
// them, so the save dialog starts from the data file's name (the
// dialogue then refuses that very file as the results file).
#include "shell/file_chooser.h"

#include <windows.h>
#include <commdlg.h>

#include <cstdlib>
#include <cstring>

namespace {

const DWORD NAME_BUFFER_BYTES = 512;

#if defined(_WIN64)
// The whole record of Windows 2000 and later (76 bytes was the 32-bit
// record of earlier systems).
static_assert(sizeof(OPENFILENAMEA) == 152, "the dialog record of 64-bit Windows");
#endif

class DialogFileChooser : public FileChooser {
 public:
  std::optional<std::string> choose_open(const std::vector<FileFilter>& filters) override {
    fill_record(filters);
    if (!GetOpenFileNameA(&record_)) return std::nullopt;
    return std::string(name_);
  }

  // The proposed name is the one left in the shared buffer.
  std::optional<std::string> choose_save(const std::vector<FileFilter>& filters,
                                         const std::string&) override {
    fill_record(filters);
    if (!GetSaveFileNameA(&record_)) return std::nullopt;
    return std::string(name_);
  }

 private:
  void fill_record(const std::vector<FileFilter>& filters) {
    // "display\0pattern\0 ... \0": pairs of texts, ended by an empty one.
    filter_text_.clear();
    for (const FileFilter& filter : filters) {
      filter_text_ += filter.display;
      filter_text_ += '\0';
      filter_text_ += filter.pattern;
      filter_text_ += '\0';
    }
    filter_text_ += '\0';
    std::memset(&record_, 0, sizeof record_);
    record_.lStructSize = sizeof(OPENFILENAMEA);
    record_.hwndOwner = nullptr;
    record_.lpstrFilter = filter_text_.c_str();
    record_.nFilterIndex = 1;
    record_.lpstrFile = name_;
    record_.nMaxFile = NAME_BUFFER_BYTES;
    record_.lpstrTitle = "";
    record_.Flags = OFN_PATHMUSTEXIST;
    record_.lpstrDefExt = "txt";
  }

  OPENFILENAMEA record_;
  std::string filter_text_;
  char name_[NAME_BUFFER_BYTES] = {};
};

}  // namespace

std::unique_ptr<FileChooser> dialogue_file_chooser() {
  const char* chooser = std::getenv("SORVEL_FILE_CHOOSER");
  if (chooser != nullptr && std::strcmp(chooser, "console") == 0)
    return std::make_unique<ConsoleFileChooser>();
  return std::make_unique<DialogFileChooser>();
}
