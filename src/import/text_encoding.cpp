#include "import/text_encoding.h"

#include <cstdint>

namespace {

void append_utf8(uint32_t c, std::string& out) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace

TextEncoding as_utf8(const std::string& bytes, std::string& text) {
  const bool little = bytes.compare(0, 2, "\xFF\xFE") == 0;
  if (!little && bytes.compare(0, 2, "\xFE\xFF") != 0) {
    text = bytes;
    return TextEncoding::utf8;
  }
  text.clear();
  if (bytes.size() % 2 != 0) return TextEncoding::bad_utf16;
  auto unit = [&](std::size_t i) {
    auto b0 = static_cast<uint32_t>(static_cast<unsigned char>(bytes[i]));
    auto b1 = static_cast<uint32_t>(static_cast<unsigned char>(bytes[i + 1]));
    return little ? b0 | (b1 << 8) : (b0 << 8) | b1;
  };
  for (std::size_t i = 2; i < bytes.size(); i += 2) {
    uint32_t c = unit(i);
    if (c >= 0xDC00 && c < 0xE000) return TextEncoding::bad_utf16;
    if (c >= 0xD800 && c < 0xDC00) {  // a pair of surrogates
      if (i + 2 >= bytes.size()) return TextEncoding::bad_utf16;
      uint32_t low = unit(i + 2);
      if (low < 0xDC00 || low >= 0xE000) return TextEncoding::bad_utf16;
      c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
      i += 2;
    }
    append_utf8(c, text);
  }
  return TextEncoding::utf16;
}
