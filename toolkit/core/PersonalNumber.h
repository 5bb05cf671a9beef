#pragma once
// Tests and rewritings of Swedish personal identity numbers, shared by every
// place a number reaches the floater from. Pure text functions without state.
//
// Forms handled: 12 digits with a hyphen before the serial part
// (YYYYMMDD-NNNN, 13 characters), 12 digits without it, and "pnr=" + number.
// A day above 60 marks a coordination number (day + 60).

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace toolkit {

inline constexpr std::size_t kControlNumberLength = 13;    // Q7 edit controls
inline constexpr std::size_t kRecognisedNumberLength = 12; // caption recognition

// Digits and hyphens only; a capital "A" is allowed as the first of the last
// four characters. An empty text passes.
bool IsPersonalNumberText(std::string_view text);
// Characters 1-8 form a calendar date YYYYMMDD; days 61-91 count as day - 60.
bool IsPersonalNumberDate(std::string_view text);
// Q7's own numbers "07..9000.." whose date part is no date.
bool IsSpecialQ7Number(std::string_view text);
// Exactly requiredLength characters, the character test, then the date test
// or failing that the special-number test.
bool IsAcceptedPersonalNumber(std::string_view text, std::size_t requiredLength);

// Inserts a hyphen before the last four characters of a text that has none.
std::string InsertHyphen(std::string_view text);
// Deletes the first hyphen (Q7's database keeps the digits only).
std::string RemoveHyphen(std::string_view text);
// The number after "pnr=" when the text holds that prefix; else the text.
std::string RemovePrefix(std::string_view text);
// "%" + number + "%", for LIKE against the journal's PERSONNR.
std::string LookupPattern(std::string_view number);
// YYYY-MM-DD from the first eight characters, as Q7's date-of-birth box shows it.
std::string BirthDateText(std::string_view number);
// What a lookup stores as the current personal number: prefix removed, hyphen inserted.
std::string NumberForLookup(std::string_view text);
// A whole number: 12 characters without a hyphen, or 13 with the hyphen before
// the serial part, passing the character test and the date or special-number
// test. Returns it hyphenated; nothing for any other text.
std::optional<std::string> WholePersonalNumber(std::string_view text);

// Per-source rules. Each returns the number to use, or nothing when the
// source's text does not qualify.

// A Q7 edit or masked-edit control's text: accepted when, trimmed, it is an
// accepted 13-character number.
std::optional<std::string> NumberFromControlText(std::string_view text);
// Booking-dialog title: the text between the first "(" and the closing bracket
// at the end, when it is a whole number; hyphenated.
std::optional<std::string> NumberFromBookingTitle(std::string_view title);
// Payment-dialog title: its last 13 characters, when they are a whole number.
std::optional<std::string> NumberFromPaymentTitle(std::string_view title);
// Caption recognition: an accepted 12-character text, hyphenated.
std::optional<std::string> NumberFromRecognisedText(std::string_view text);
// A number read off the screen is only a guess at pixels: one misread digit
// names another person. It must therefore pass more than the other sources:
// the 12-character test above, a birth date from 1870 up to today, and
// the check digit (mod 10 over the last ten digits). "A" serials carry no
// check digit, and Q7's special numbers no date, so those two keep the
// plain rules (an "A" number still needs a birth date up to today).
enum class ScreenNumberVerdict { Accepted, NotANumber, NoDate, FutureDate, CheckDigit };
ScreenNumberVerdict CheckScreenNumber(std::string_view text, std::chrono::year_month_day today);
// The mod-10 check over the last ten digits of a 12-digit text (YYMMDDNNNC).
bool HasValidCheckDigit(std::string_view twelveDigits);
// Today's date in local time, what CheckScreenNumber compares with.
std::chrono::year_month_day LocalToday();

// A command-line parameter: 12 or 13 characters after trimming, character test
// on the untrimmed text. Returns the untrimmed parameter (first instance looks
// it up as given; a second instance trims it before handing it on).
std::optional<std::string> NumberFromCommandLine(std::string_view parameter);
// A number handed over by a second instance: trimmed, and only when it is a
// whole number (a booking reference or a LIKE wildcard must never be looked up).
std::optional<std::string> NumberFromHandOver(std::string_view text);

} // namespace toolkit
