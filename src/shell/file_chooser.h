// Choice of the data file and the results file. The console chooser asks
// for a typed name; a platform with file dialogs can put its own chooser
// behind the same interface.
#ifndef SORVEL_SHELL_FILE_CHOOSER_H_
#define SORVEL_SHELL_FILE_CHOOSER_H_

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_system.h"

/// One entry of a dialog's file-type list.
struct FileFilter {
  std::string display;  // "Fault Data Files (*.fdt)"
  std::string pattern;  // "*.fdt"
};

class FileChooser {
 public:
  virtual ~FileChooser() = default;
  /// A file to read, or nothing when the user cancels.
  virtual std::optional<std::string> choose_open(const std::vector<FileFilter>& filters) = 0;
  /// A file to write, proposing `proposed`; nothing when the user cancels.
  virtual std::optional<std::string> choose_save(const std::vector<FileFilter>& filters,
                                                 const std::string& proposed) = 0;
};

/// Asks at the console: one typed line per question.
class ConsoleFileChooser : public FileChooser {
 public:
  std::optional<std::string> choose_open(const std::vector<FileFilter>& filters) override;
  std::optional<std::string> choose_save(const std::vector<FileFilter>& filters,
                                         const std::string& proposed) override;
};

/// The chooser of the dialogue on this platform: the console's on POSIX;
/// on Windows the common file dialogs, or the console's where the
/// environment variable SORVEL_FILE_CHOOSER is "console" (as the tests
/// set it), so that a run with redirected input still gets the dialogs.
std::unique_ptr<FileChooser> dialogue_file_chooser();

/// The data file; a cancel ends the run with its message line.
std::string choose_data_file(FileChooser& chooser);

/// The results file; a cancel ends the run with the same message line.
std::string choose_save_file(FileChooser& chooser, const std::vector<FileFilter>& filters,
                             const std::string& proposed);

/// The typed name completed as a dialog would: blanks around it dropped,
/// ".txt" added when the name has no extension.
std::string completed_file_name(const std::string& typed);

/// The data file name with its extension replaced by `extension`.
std::string proposed_results_name(const std::string& data_file, const std::string& extension);

#endif  // SORVEL_SHELL_FILE_CHOOSER_H_
