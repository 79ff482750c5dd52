// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/date.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <climits>
#include <cstdint>
#include <ctime>
#include <optional>

namespace {

struct PinnedDay {
    int month, day, year;
};
std::optional<PinnedDay> pinnedToday;

// Numbers typed into a date are clamped far outside any valid date so that no
// arithmetic on them can overflow.
constexpr long long kNumberLimit = 99'999'999;

int clampToInt(long long value) {
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Reads a decimal integer as scanf's %d does (leading white space, optional
// sign, digits); returns false when no digits follow.
bool readInteger(const std::string& text, size_t& pos, int& value) {
    size_t p = pos;
    while (p < text.size() && isBlank(text[p]))
        ++p;
    bool negative = false;
    if (p < text.size() && (text[p] == '+' || text[p] == '-')) {
        negative = text[p] == '-';
        ++p;
    }
    if (p >= text.size() || text[p] < '0' || text[p] > '9')
        return false;
    long long number = 0;
    while (p < text.size() && text[p] >= '0' && text[p] <= '9') {
        number = std::min(number * 10 + (text[p] - '0'), kNumberLimit);
        ++p;
    }
    value = static_cast<int>(negative ? -number : number);
    pos = p;
    return true;
}

} // namespace

ZBD_Date::ZBD_Date() {
    if (pinnedToday) {
        *this = ZBD_Date(pinnedToday->month, pinnedToday->day, pinnedToday->year);
        return;
    }
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    *this = ZBD_Date(local.tm_mon + 1, local.tm_mday, local.tm_year + 1900);
}

ZBD_Date::ZBD_Date(const std::string& text) {
    SetText(text);
}

ZBD_Date::ZBD_Date(const char* text) {
    SetText(text ? std::string(text) : std::string());
}

ZBD_Date::ZBD_Date(int month, int day, int year) {
    SetText(std::to_string(month) + '/' + std::to_string(day) + '/' + std::to_string(year));
}

void ZBD_Date::SetText(const std::string& text) {
    month_ = day_ = year_ = -1;
    size_t pos = 0;
    int* parts[] = {&month_, &day_, &year_};
    for (int i = 0; i < 3; ++i) {
        if (i > 0) {
            if (pos >= text.size() || text[pos] != '/')
                break;
            ++pos;
        }
        if (!readInteger(text, pos, *parts[i]))
            break;
        if (i == 2 && year_ >= 0 && year_ < 100)
            year_ += year_ < 90 ? 2000 : 1900;
    }
    // Built in place: every record read from a file passes through here.
    std::array<char, 36> buffer; // three ints of at most 11 characters, two slashes
    size_t length = 0;
    for (int part : {month_, day_, year_}) {
        if (length > 0)
            buffer[length++] = '/';
        length = static_cast<size_t>(
            std::to_chars(buffer.data() + length, buffer.data() + length + 11, part).ptr -
            buffer.data());
    }
    text_.assign(buffer.data(), std::min<size_t>(length, 11));
}

bool ZBD_Date::IsNormalText(std::string_view text) {
    size_t p = 0;
    for (int part = 0; part < 3; ++part) {
        if (part > 0 && (p >= text.size() || text[p++] != '/'))
            return false;
        const size_t start = p;
        while (p < text.size() && text[p] >= '0' && text[p] <= '9')
            ++p;
        const size_t digits = p - start;
        const bool year = part == 2;
        if (digits == 0 || digits > (year ? 4 : 2) || (year && digits < 4) ||
            (digits > 1 && text[start] == '0'))
            return false;
    }
    return p == text.size();
}

bool ZBD_Date::IsValid() const {
    if (month_ < 1 || month_ > 12 || day_ < 1 || day_ > 31 || year_ < 1990 || year_ > 2089)
        return false;
    // February 29 is accepted in every year.
    if (month_ == 2 && day_ > 29)
        return false;
    if ((month_ == 4 || month_ == 6 || month_ == 9 || month_ == 11) && day_ == 31)
        return false;
    return true;
}

int ZBD_Date::DaysInMonth() const {
    return DaysInMonth(month_);
}

int ZBD_Date::DaysInMonth(int month) const {
    static constexpr std::array<int, 12> days{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    if (month == 2 && year_ % 4 == 0)
        return 29;
    return days[month - 1];
}

int ZBD_Date::DayOfWeek() const {
    // Zeller's congruence with March as month 1.
    long long a = month_ <= 2 ? year_ - 1LL : year_;
    long long m = month_ > 2 ? month_ - 2LL : month_ + 10LL;
    long long value = day_ + (13 * m - 1) / 5 + 5 * (a % 100) / 4 + a / 400 - 2 * (a / 100) + 77;
    return clampToInt(value % 7 + 1);
}

int ZBD_Date::DayNumber() const {
    long long number = year_ * 365LL + day_ - 726350;
    for (int m = 1; m < std::min(month_, 13); ++m)
        number += DaysInMonth(m);
    return clampToInt(number);
}

int ZBD_Date::Difference(const ZBD_Date& other, char unit) const {
    switch (unit) {
    case 'D':
    case 'd':
        return clampToInt(static_cast<long long>(DayNumber()) - other.DayNumber());
    case 'M':
    case 'm':
        return clampToInt((static_cast<long long>(year_) - other.year_) * 12 + month_ -
                          other.month_);
    case 'Y':
        return clampToInt(static_cast<long long>(year_) - other.year_);
    default:
        return 0;
    }
}

bool ZBD_Date::SameDay(const ZBD_Date& other) const {
    return DayNumber() == other.DayNumber();
}

std::string ZBD_Date::MonthName() const {
    static constexpr std::array<const char*, 12> names{
        "January", "February", "March",     "April",   "May",      "June",
        "July",    "August",   "September", "October", "November", "December"};
    if (month_ < 1 || month_ > 12)
        return {};
    return names[month_ - 1];
}

void ZBD_Date::FixToday(int month, int day, int year) {
    pinnedToday = PinnedDay{month, day, year};
}

void ZBD_Date::UseSystemClock() {
    pinnedToday.reset();
}
