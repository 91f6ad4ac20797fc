// A whole file read into one text, or written from one through the safe
// results writer, so that it is complete or not there.
#ifndef SORVEL_PLATFORM_TEXT_FILE_H_
#define SORVEL_PLATFORM_TEXT_FILE_H_

#include <string>

enum class TextRead { read, not_opened, failed };

/// The bytes of the file at `path` into `text`: read, or the file could
/// not be opened, or a read failed.
TextRead read_text_file(const std::string& path, std::string& text);

/// Writes `text` as the whole file `path` (an earlier file of that name
/// replaced); false, and the earlier file as it was, on a failure.
bool write_text_file(const std::string& path, const std::string& text);

#endif  // SORVEL_PLATFORM_TEXT_FILE_H_
