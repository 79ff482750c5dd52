// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/record_line.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <climits>
#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kvr {

std::string QuotedField(std::string_view text) {
    std::string field;
    field.reserve(text.size() + 2);
    field += '"';
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r' || c == '\n')
            c = ' ';
        else if (c == '"' && i + 1 < text.size() && text[i + 1] == ',')
            c = '\'';
        field += c;
    }
    field += '"';
    return field;
}

bool IsCountLine(std::string_view line) {
    size_t p = line.find_first_not_of(" \t");
    if (p != std::string_view::npos && (line[p] == '+' || line[p] == '-'))
        ++p;
    if (p >= line.size() || line[p] < '0' || line[p] > '9')
        return false;
    p = line.find_first_not_of("0123456789", p);
    return p == std::string_view::npos ||
           line.find_first_not_of(" \t", p) == std::string_view::npos;
}

std::string StorableText(std::string_view text) {
    std::string result(text);
    for (char& c : result) {
        if (c == '\r' || c == '\n')
            c = ' ';
        else if (c == '"')
            c = '\'';
    }
    return result;
}

int LeadingInt(std::string_view text) {
    size_t p = 0;
    while (p < text.size() && (text[p] == ' ' || (text[p] >= '\t' && text[p] <= '\r')))
        ++p;
    bool negative = false;
    if (p < text.size() && (text[p] == '+' || text[p] == '-')) {
        negative = text[p] == '-';
        ++p;
    }
    long long value = 0;
    while (p < text.size() && text[p] >= '0' && text[p] <= '9') {
        value = value * 10 + (text[p] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1;
        ++p;
    }
    if (negative)
        value = -value;
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

float LeadingFloat(std::string_view text) {
    size_t p = 0;
    while (p < text.size() && (text[p] == ' ' || (text[p] >= '\t' && text[p] <= '\r')))
        ++p;
    if (p < text.size() && text[p] == '+')
        ++p;
    float value = 0.0f;
    auto error = std::from_chars(text.data() + p, text.data() + text.size(), value).ec;
    return error == std::errc() && std::isfinite(value) ? value : 0.0f;
}

char FirstLetter(std::string_view text) {
    if (text.empty())
        return 0;
    char c = text.front();
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

} // namespace kvr

ZBD_Record::ZBD_Record(const std::string& line, char separator)
    : ownLine_(line), line_(ownLine_), separator_(separator) {
    Split();
}

ZBD_Record::ZBD_Record(std::string_view line, char separator, std::nullptr_t)
    : line_(line), separator_(separator) {
    Split();
}

ZBD_Record::ZBD_Record(const ZBD_Record& other)
    : ownLine_(other.ownLine_), line_(other.line_), separator_(other.separator_),
      count_(other.count_) {
    if (other.line_.data() == other.ownLine_.data())
        line_ = ownLine_;
    std::copy_n(other.fields_.begin(), count_, fields_.begin());
}

ZBD_Record& ZBD_Record::operator=(const ZBD_Record& other) {
    if (this != &other) {
        ownLine_ = other.ownLine_;
        line_ =
            other.line_.data() == other.ownLine_.data() ? std::string_view(ownLine_) : other.line_;
        separator_ = other.separator_;
        count_ = other.count_;
        std::copy_n(other.fields_.begin(), count_, fields_.begin());
    }
    return *this;
}

void ZBD_Record::Split() {
    const char* const line = line_.data();
    const size_t size = line_.size();
    size_t start = 0;
    bool quoted = size > 0 && line[0] == '"';
    auto addField = [&](size_t end) {
        size_t from = start;
        size_t length = end - start;
        if (quoted) {
            // Drop the opening quote and, when there is one, the closing one.
            length = length > 1 ? length - 2 : 0;
            from = std::min(from + 1, size);
        }
        fields_[static_cast<size_t>(count_++)] = {from, length};
    };
    // The characters that may end a field (the separator or a line feed),
    // found sixteen at a time: each block gives a mask of candidates, taken
    // in order.
    const char separator = separator_;
    auto takeBoundary = [&](size_t i) {
        // A quoted field ends at a separator right after a double quote,
        // but never at one right after its own opening quote: the field
        // `",4,a"` holds the text `,4,a`, while `""` is an empty field.
        if (quoted && (i < start + 2 || line[i - 1] != '"'))
            return; // inside a quoted field
        addField(i);
        start = i + 1;
        quoted = start < size && line[start] == '"';
    };
    size_t base = 0;
#if defined(__SSE2__)
    const __m128i separators = _mm_set1_epi8(separator);
    const __m128i lineFeeds = _mm_set1_epi8('\n');
    for (; base + 16 <= size && count_ + 1 < kMaxFields; base += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(line + base));
        auto mask = static_cast<unsigned>(_mm_movemask_epi8(
            _mm_or_si128(_mm_cmpeq_epi8(block, separators), _mm_cmpeq_epi8(block, lineFeeds))));
        while (mask != 0 && count_ + 1 < kMaxFields) {
            takeBoundary(base + static_cast<size_t>(std::countr_zero(mask)));
            mask &= mask - 1;
        }
    }
#endif
    for (size_t i = base; i < size && count_ + 1 < kMaxFields; ++i)
        if (line[i] == separator || line[i] == '\n')
            takeBoundary(i);
    // The last field runs to the end of the line; beyond the hundredth
    // boundary the rest of the line stays in the last field.
    addField(size);
}

int ZBD_Record::FieldInt(int n) const {
    if (n < 1 || n > count_)
        return 0;
    return kvr::LeadingInt(FieldView(n));
}
