// Choice of the data file and the results file. The console chooser asks
// for a typed name; a platform with file dialogs can put its own chooser
// behind the same interface.
#ifndef SORVEL_SHELL_FILE_CHOOSER_H_
#define SORVEL_SHELL_FILE_CHOOSER_H_

#include <optional>
#include <string>
#include <vector>

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

/// True when something (a file, a folder) of this name exists.
bool path_exists(const std::string& path);

/// True when `path` names a folder.
bool is_folder(const std::string& path);

/// True when the folder that would hold `path` exists.
bool folder_of_path_exists(const std::string& path);

/// True when writing `b` would replace `a`: the same file (through links
/// too), or, where one of them does not exist yet, the same absolute path.
bool same_file(const std::string& a, const std::string& b);

#endif  // SORVEL_SHELL_FILE_CHOOSER_H_
