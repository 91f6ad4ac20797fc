#include "platform/text_file.h"

#include <fstream>
#include <sstream>

#include "platform/results_file.h"

TextRead read_text_file(const std::string& path, std::string& text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return TextRead::not_opened;
  std::ostringstream buffer;
  buffer << in.rdbuf();
  text = buffer.str();
  return in.bad() ? TextRead::failed : TextRead::read;
}

bool write_text_file(const std::string& path, const std::string& text) {
  // Handed over in pieces: a picture of many data is megabytes long.
  const std::size_t piece = 65536;
  ResultsFile file;
  if (!results_file_open(file, path)) return false;
  for (std::size_t at = 0; at < text.size(); at += piece)
    results_file_write(file, text.substr(at, piece));
  return results_file_commit(file);
}
