// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/record_store.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

namespace {

// The splitter's rules written out character by character, each field
// copied: the reference the record's single pass must agree with.
std::vector<std::string> ReferenceSplit(const std::string& line, char separator) {
    std::vector<std::string> fields;
    size_t start = 0;
    bool quoted = !line.empty() && line[0] == '"';
    auto addField = [&](size_t end) {
        size_t from = start;
        size_t length = end - start;
        if (quoted) {
            length = length > 1 ? length - 2 : 0;
            ++from;
        }
        fields.emplace_back(line, std::min(from, line.size()), length);
    };
    for (size_t i = 0; i < line.size() && fields.size() + 1 < ZBD_Record::kMaxFields; ++i) {
        char c = line[i];
        // A quoted field's closing quote is never its opening one.
        if ((c != separator && c != '\n') || (quoted && (i < start + 2 || line[i - 1] != '"')))
            continue;
        addField(i);
        start = i + 1;
        quoted = start < line.size() && line[start] == '"';
    }
    addField(line.size());
    return fields;
}

void ExpectSplitAsReference(const std::string& line, char separator) {
    const auto expected = ReferenceSplit(line, separator);
    const ZBD_Record owned(line, separator);
    const ZBD_Record copy = owned; // a copy reads its own line
    const auto borrowed = ZBD_Record::Borrow(line, separator);
    auto assigned = ZBD_Record::Borrow("x,y", ',');
    assigned = owned;
    for (const ZBD_Record* record : {&owned, &copy, &borrowed, &std::as_const(assigned)}) {
        ASSERT_EQ(record->FieldCount(), static_cast<int>(expected.size())) << line;
        for (int n = 1; n <= record->FieldCount(); ++n) {
            EXPECT_EQ(record->Field(n), expected[static_cast<size_t>(n - 1)]) << line;
            EXPECT_EQ(record->FieldView(n), expected[static_cast<size_t>(n - 1)]) << line;
        }
        EXPECT_EQ(record->FieldView(0), "");
        EXPECT_EQ(record->Field(record->FieldCount() + 1), "");
    }
}

// Lines built from the characters the rules turn on (quotes, separators,
// line feeds), of every length around the eight-byte steps of the scan.
TEST(LineSplitTest, SplitsEveryLineAsTheCharacterRulesDo) {
    uint64_t state = 99;
    auto next = [&state] {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<unsigned>(state >> 33);
    };
    const std::string alphabet = "\"\",,,\naB \t\x80\xff;";
    for (int round = 0; round < 20000; ++round) {
        std::string line;
        const size_t length = round < 300 ? static_cast<size_t>(round % 40) : next() % 140;
        for (size_t i = 0; i < length; ++i)
            line += alphabet[next() % alphabet.size()];
        if (round % 50 == 0)
            line += std::string(1, '\0') + "\",\"";
        ExpectSplitAsReference(line, round % 7 == 0 ? ';' : ',');
    }
    ExpectSplitAsReference(std::string(300, ','), ',');
    ExpectSplitAsReference("\"" + std::string(250, ',') + "\",x", ',');
    ExpectSplitAsReference("a\"\"b\"\"", '"');
    // Past the sixteen bytes of a block, on either side of its edge.
    for (size_t pad = 0; pad < 40; ++pad)
        ExpectSplitAsReference(std::string(pad, 'x') + ",\",4,a\",\",\",\"\",\",\"", ',');
}

// A text that opens with the separator is read whole; an empty quoted field
// stays empty.
TEST(LineSplitTest, QuotedFieldOpeningWithTheSeparatorIsReadWhole) {
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases{
        {R"(",4,a","b")", {",4,a", "b"}},
        {R"("a",",","",",,","")", {"a", ",", "", ",,", ""}},
        {R"("a"",",b")", {"a\"", ",b"}},
    };
    for (const auto& [line, fields] : cases) {
        const ZBD_Record record(line, ',');
        ASSERT_EQ(record.FieldCount(), static_cast<int>(fields.size())) << line;
        for (int n = 1; n <= record.FieldCount(); ++n)
            EXPECT_EQ(record.Field(n), fields[static_cast<size_t>(n - 1)]) << line;
    }
}

} // namespace
