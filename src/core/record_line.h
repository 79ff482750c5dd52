// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

// The line of a data file: one record's fields, how they are split, quoted
// and read. A record type states its line once, as a table of LineField.

// One line split into numbered fields. Fields that begin with a double quote
// run up to a separator that directly follows a double quote other than the
// opening one, so a quoted field may hold the separator, even as its first
// character. The line is split once; a field is copied only when Field()
// asks for it.
class ZBD_Record {
public:
    static constexpr int kMaxFields = 100;

    ZBD_Record(const std::string& line, char separator); // keeps a copy of the line
    // A record over a line that the caller keeps alive and unchanged for as
    // long as the record is used: nothing is copied.
    static ZBD_Record Borrow(std::string_view line, char separator) {
        return ZBD_Record(line, separator, nullptr);
    }
    ZBD_Record(const ZBD_Record& other);
    ZBD_Record& operator=(const ZBD_Record& other);

    int FieldCount() const { return count_; }
    std::string Field(int n) const { return std::string(FieldView(n)); } // 1-based; "" out of range
    std::string_view FieldView(int n) const { // points into the line; "" out of range
        if (n < 1 || n > count_)
            return {};
        const Span& field = fields_[static_cast<size_t>(n - 1)];
        return line_.substr(field.from, field.length);
    }
    int FieldInt(int n) const; // the integer at the field's start; 0 if none

private:
    struct Span {
        size_t from;
        size_t length;
    };
    ZBD_Record(std::string_view line, char separator, std::nullptr_t);
    void Split();

    std::string ownLine_; // the copy, when the record keeps one
    std::string_view line_;
    char separator_;
    int count_ = 0;
    std::array<Span, kMaxFields> fields_; // the first count_ are set
};

namespace kvr {

// A text field of a record line, in double quotes. A line break becomes a
// blank, so that a record never spills onto a second line, and a double quote
// directly followed by a comma becomes a single quote: the splitter would end
// the field there and shift every later field.
std::string QuotedField(std::string_view text);

// True when a line holds nothing but a whole number (a sign allowed) with
// blanks around it, as the count line of a headerless file does.
bool IsCountLine(std::string_view line);

// Typed text made fit for a data file: line breaks become blanks and double
// quotes (which the file format cannot escape) become single quotes.
std::string StorableText(std::string_view text);

// The decimal integer at the start of a text (leading blanks and a sign
// allowed), clamped to the int range; 0 when there is none.
int LeadingInt(std::string_view text);

// The decimal number at the start of a text, read the same way in every
// locale; 0 when there is none.
float LeadingFloat(std::string_view text);

// The first letter of a text in upper case (ASCII only), or 0 for none: a
// one-letter code of a field ("M" or "match" for a match) as it is compared.
char FirstLetter(std::string_view text);

// One field of a record line: a text member, a number member, or neither (a
// field that is always written empty and ignored when read). Every field is
// written in double quotes.
template <class R> struct LineField {
    std::string R::*text = nullptr;
    int R::*number = nullptr;
};

template <class R, size_t N>
std::string JoinFields(const R& record, const std::array<LineField<R>, N>& layout) {
    std::string line;
    for (size_t i = 0; i < N; ++i) {
        if (i > 0)
            line += ',';
        if (layout[i].text)
            line += QuotedField(record.*layout[i].text);
        else if (layout[i].number) {
            line += '"';
            line += std::to_string(record.*layout[i].number);
            line += '"';
        } else
            line += "\"\"";
    }
    return line;
}

// Fills the fields of `layout` from fields 1 to N of a split line; a missing
// field reads as an empty text or 0.
template <class R, size_t N>
void ReadFields(R& record, const ZBD_Record& fields, const std::array<LineField<R>, N>& layout) {
    for (size_t i = 0; i < N; ++i) {
        int n = static_cast<int>(i) + 1;
        if (layout[i].text)
            (record.*layout[i].text).assign(fields.FieldView(n));
        else if (layout[i].number)
            record.*layout[i].number = fields.FieldInt(n);
    }
}

} // namespace kvr
