// Text as some spreadsheet programs save it ("Unicode text"): UTF-16 with
// a byte-order mark, turned into the UTF-8 that the readers take.
#ifndef SORVEL_IMPORT_TEXT_ENCODING_H_
#define SORVEL_IMPORT_TEXT_ENCODING_H_

#include <string>

enum class TextEncoding { utf8, utf16, bad_utf16 };

/// `bytes` as UTF-8: unchanged unless they begin with a UTF-16 byte-order
/// mark (FF FE little-endian, FE FF big-endian), which is then left out.
/// bad_utf16 when such text is cut in the middle of a character.
TextEncoding as_utf8(const std::string& bytes, std::string& text);

#endif  // SORVEL_IMPORT_TEXT_ENCODING_H_
