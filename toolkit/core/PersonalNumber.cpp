#include "PersonalNumber.h"

#include "Text.h"

#include <chrono>
#include <ctime>

namespace toolkit {

namespace {

constexpr std::string_view kPrefix = "pnr=";

// A run of decimal digits as a number; nothing for any other text.
std::optional<int> decimal(std::string_view digits)
{
    if (digits.empty())
        return std::nullopt;
    int value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

} // namespace

bool IsPersonalNumberText(std::string_view text)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '-' || (c >= '0' && c <= '9'))
            continue;
        // The "A" serial of temporary numbers, first of the last four.
        if (c == 'A' && text.size() >= 4 && i == text.size() - 4)
            continue;
        return false;
    }
    return true;
}

bool IsPersonalNumberDate(std::string_view text)
{
    if (text.size() < 8)
        return false;
    const auto year = decimal(text.substr(0, 4));
    const auto month = decimal(text.substr(4, 2));
    auto day = decimal(text.substr(6, 2));
    if (!year || !month || !day)
        return false;
    if (*day > 31 && *day >= 60)
        *day -= 60;
    if (*year < 1 || *month < 1 || *month > 12 || *day < 1)
        return false;
    const std::chrono::year_month_day date{std::chrono::year{*year},
                                           std::chrono::month{static_cast<unsigned>(*month)},
                                           std::chrono::day{static_cast<unsigned>(*day)}};
    return date.ok();
}

bool IsSpecialQ7Number(std::string_view text)
{
    return text.size() >= 8 && text.substr(0, 2) == "07" && text.substr(4, 4) == "9000";
}

bool IsAcceptedPersonalNumber(std::string_view text, std::size_t requiredLength)
{
    return text.size() == requiredLength && IsPersonalNumberText(text) &&
           (IsPersonalNumberDate(text) || IsSpecialQ7Number(text));
}

std::string InsertHyphen(std::string_view text)
{
    std::string out(text);
    if (out.find('-') == std::string::npos)
        out.insert(out.size() >= 4 ? out.size() - 4 : 0, 1, '-');
    return out;
}

std::string RemoveHyphen(std::string_view text)
{
    std::string out(text);
    if (const std::size_t at = out.find('-'); at != std::string::npos)
        out.erase(at, 1);
    return out;
}

std::string RemovePrefix(std::string_view text)
{
    // The number follows the prefix wherever the prefix stands; taking a fixed
    // offset would keep junk when something precedes it.
    const std::size_t at = text.find(kPrefix);
    if (at == std::string_view::npos)
        return std::string(text);
    return std::string(text.substr(at + kPrefix.size()));
}

std::string LookupPattern(std::string_view number)
{
    return "%" + std::string(number) + "%";
}

std::string BirthDateText(std::string_view number)
{
    const auto part = [&](std::size_t from, std::size_t len) {
        return from < number.size() ? std::string(number.substr(from, len)) : std::string();
    };
    return part(0, 4) + "-" + part(4, 2) + "-" + part(6, 2);
}

std::string NumberForLookup(std::string_view text)
{
    return InsertHyphen(RemovePrefix(text));
}

std::optional<std::string> NumberFromControlText(std::string_view text)
{
    std::string trimmed = TrimControl(std::string(text));
    if (!IsAcceptedPersonalNumber(trimmed, kControlNumberLength))
        return std::nullopt;
    return trimmed;
}

std::optional<std::string> WholePersonalNumber(std::string_view text)
{
    const bool plain = text.size() == kRecognisedNumberLength && text.find('-') == std::string_view::npos;
    const bool hyphenated = text.size() == kControlNumberLength && text[8] == '-' &&
                            text.find('-', 9) == std::string_view::npos;
    if (!(plain || hyphenated) || !IsAcceptedPersonalNumber(text, text.size()))
        return std::nullopt;
    return InsertHyphen(text);
}

// Titles: the characters are tested as they stand, before any trimming, so a
// title that only ends in digits is not taken for a number.
std::optional<std::string> NumberFromBookingTitle(std::string_view title)
{
    const std::string trimmed = TrimControl(std::string(title));
    const std::size_t open = trimmed.find('(');
    if (open == std::string::npos)
        return std::nullopt;
    std::string inner = trimmed.substr(open + 1);
    if (!inner.empty())
        inner.pop_back(); // the closing bracket
    if (!IsPersonalNumberText(inner))
        return std::nullopt;
    return WholePersonalNumber(TrimControl(inner));
}

std::optional<std::string> NumberFromPaymentTitle(std::string_view title)
{
    const std::string trimmed = TrimControl(std::string(title));
    if (trimmed.size() <= kControlNumberLength)
        return std::nullopt;
    const std::string tail = trimmed.substr(trimmed.size() - kControlNumberLength);
    if (!IsPersonalNumberText(tail))
        return std::nullopt;
    return WholePersonalNumber(TrimControl(tail));
}

std::optional<std::string> NumberFromRecognisedText(std::string_view text)
{
    if (!IsAcceptedPersonalNumber(text, kRecognisedNumberLength))
        return std::nullopt;
    return InsertHyphen(text);
}

bool HasValidCheckDigit(std::string_view twelveDigits)
{
    if (twelveDigits.size() != 12)
        return false;
    int sum = 0;
    for (std::size_t i = 2; i < 12; ++i) {
        const char c = twelveDigits[i];
        if (c < '0' || c > '9')
            return false;
        const int doubled = (c - '0') * (i % 2 == 0 ? 2 : 1);
        sum += doubled / 10 + doubled % 10;
    }
    return sum % 10 == 0;
}

ScreenNumberVerdict CheckScreenNumber(std::string_view text, std::chrono::year_month_day today)
{
    if (text.size() != kRecognisedNumberLength || !IsPersonalNumberText(text) ||
        text.find('-') != std::string_view::npos)
        return ScreenNumberVerdict::NotANumber;
    if (IsSpecialQ7Number(text))
        return ScreenNumberVerdict::Accepted;
    if (!IsPersonalNumberDate(text))
        return ScreenNumberVerdict::NoDate;
    // The date test passed, so these are numbers and a day above 60 is a
    // coordination number's.
    const int day = *decimal(text.substr(6, 2));
    const std::chrono::year_month_day born{
        std::chrono::year{*decimal(text.substr(0, 4))},
        std::chrono::month{static_cast<unsigned>(*decimal(text.substr(4, 2)))},
        std::chrono::day{static_cast<unsigned>(day > 60 ? day - 60 : day)}};
    // Nobody in a clinic's chair was born before this; "1061..." is a misread "1961...".
    constexpr int kEarliestBirthYear = 1870;
    if (static_cast<int>(born.year()) < kEarliestBirthYear)
        return ScreenNumberVerdict::NoDate;
    if (born > today)
        return ScreenNumberVerdict::FutureDate;
    if (text[8] == 'A')
        return ScreenNumberVerdict::Accepted;
    return HasValidCheckDigit(text) ? ScreenNumberVerdict::Accepted
                                    : ScreenNumberVerdict::CheckDigit;
}

std::chrono::year_month_day LocalToday()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    return std::chrono::year_month_day{std::chrono::year{local.tm_year + 1900},
                                       std::chrono::month{static_cast<unsigned>(local.tm_mon + 1)},
                                       std::chrono::day{static_cast<unsigned>(local.tm_mday)}};
}

std::optional<std::string> NumberFromCommandLine(std::string_view parameter)
{
    const std::size_t length = TrimControl(std::string(parameter)).size();
    if ((length != 12 && length != 13) || !IsPersonalNumberText(parameter))
        return std::nullopt;
    return std::string(parameter);
}

std::optional<std::string> NumberFromHandOver(std::string_view text)
{
    const std::string trimmed = TrimControl(std::string(text));
    if (!WholePersonalNumber(trimmed))
        return std::nullopt;
    return trimmed;
}

} // namespace toolkit
