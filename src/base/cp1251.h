#pragma once
// Single-byte text in code page 1251, the program's internal text form.
// Conversion to Unicode happens only at the widget and file-name boundary.
#include <cstdint>
#include <string>
#include <string_view>

namespace korvant::cp1251 {

// Unicode code point of one CP1251 byte; 0x98 (unassigned) maps to '?'.
char32_t toUnicode(unsigned char byte);

// CP1251 byte of a code point; characters CP1251 cannot hold become '?'.
unsigned char fromUnicode(char32_t cp);

std::string toUtf8(std::string_view cp1251Text);
std::u16string toUtf16(std::string_view cp1251Text);

// Ill-formed UTF-8 (stray or cut sequences, overlong forms, encoded
// surrogates) becomes one '?' per bad byte; characters outside CP1251 one '?' each.
std::string fromUtf8(std::string_view utf8Text);
// Unpaired surrogates become '?'.
std::string fromUtf16(std::u16string_view utf16Text);

}  // namespace korvant::cp1251
