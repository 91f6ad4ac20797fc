// The small pieces of text that fault-slip tables are made of: numbers
// (with a decimal point, or a decimal comma in semicolon files), compass
// letters, a number with letters after it ("61S", "80E") and the sense of
// slip as a letter or a word.
#ifndef SORVEL_IMPORT_FIELD_TEXT_H_
#define SORVEL_IMPORT_FIELD_TEXT_H_

#include <string>

/// A whole field as a finite number; `decimal_comma` reads "61,5" as 61.5.
bool parse_decimal(const std::string& text, bool decimal_comma, double& value);

/// Azimuth in degrees of N, NE, E, SE, S, SW, W or NW (any case).
bool compass_azimuth(const std::string& letters, double& azimuth);

/// True when the field is one or two letters and nothing else.
bool is_compass_text(const std::string& text);

/// "61S" -> number "61", letters "S"; a field without letters keeps them empty.
struct NumberAndLetters {
  std::string number;
  std::string letters;
};
NumberAndLetters split_trailing_letters(const std::string& text);

/// N, R, D or S from a letter or a word (normal, reverse or inverse,
/// dextral, sinistral), in any case; false for anything else.
bool sense_of_text(const std::string& text, char& sense);

/// Lower case without blanks, underscores or hyphens: how header names
/// are compared.
std::string folded_name(const std::string& text);

#endif  // SORVEL_IMPORT_FIELD_TEXT_H_
