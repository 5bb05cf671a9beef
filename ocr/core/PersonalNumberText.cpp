#include "PersonalNumberText.h"

#include <optional>

namespace ocr {

namespace {

std::optional<int> number(const std::string& text, std::size_t pos, std::size_t length)
{
    int value = 0;
    for (std::size_t i = pos; i < pos + length; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return std::nullopt;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

bool isLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

} // namespace

bool IsPersonalNumberText(const std::string& text)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool serialStart = text.size() >= 4 && i == text.size() - 4;
        if (!((c >= '0' && c <= '9') || c == '-' || (c == 'A' && serialStart)))
            return false;
    }
    return true;
}

bool IsPersonalNumberDate(const std::string& text)
{
    if (text.size() < 8)
        return false;
    const auto year = number(text, 0, 4);
    const auto month = number(text, 4, 2);
    auto day = number(text, 6, 2);
    if (!year || !month || !day)
        return false;
    if (*day >= 60)
        *day -= 60;
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (*year < 1 || *month < 1 || *month > 12 || *day < 1)
        return false;
    const int last = kDays[*month - 1] + (*month == 2 && isLeapYear(*year) ? 1 : 0);
    return *day <= last;
}

bool IsSpecialQ7Number(const std::string& text)
{
    return text.size() >= 8 && text.compare(0, 2, "07") == 0 && text.compare(4, 4, "9000") == 0;
}

std::string InsertHyphen(const std::string& text)
{
    if (text.find('-') != std::string::npos || text.size() < 4)
        return text;
    return text.substr(0, text.size() - 4) + "-" + text.substr(text.size() - 4);
}

} // namespace ocr
