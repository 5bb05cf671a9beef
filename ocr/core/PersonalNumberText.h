#pragma once
// The text tests a recognised personal number must pass (12-digit form
// YYYYMMDDNNNN, day + 60 for a coordination number) and the hyphen rewriting.

#include <string>

namespace ocr {

// Digits and "-" only; a capital "A" only as the first of the last four characters.
bool IsPersonalNumberText(const std::string& text);
// Characters 1-8 form a calendar date; a day of 60 or more is taken minus 60.
bool IsPersonalNumberDate(const std::string& text);
// "07" then two characters then "9000": accepted though not a date.
bool IsSpecialQ7Number(const std::string& text);
// A text without any hyphen gets one before its last four characters.
std::string InsertHyphen(const std::string& text);

} // namespace ocr
