// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace kvr {

// What an import (a CSV of outings, a calendar, a contacts file, a conflict
// copy) found before anything is stored: the records it would add, those
// already there, and every row that could not be read or was changed to fit.
struct ImportProblem {
    std::size_t line = 0; // 1-based line (or entry) number in the source; 0: the whole file
    std::string reason;   // "bad date \"2/30/2026\"", "Notes cut to 500 characters"
    bool skipped = true;  // false: the row is imported, changed as the reason says
    // A row that was read but is left out on purpose (a cancelled event, a
    // series with no date in the coming months): not among those that could
    // not be read.
    bool leftOut = false;
};

struct ImportReport {
    std::size_t added = 0;   // records the import will add
    std::size_t present = 0; // records already stored: skipped
    std::size_t updated = 0; // records already stored whose fields it will change
    std::vector<ImportProblem> problems;

    // Rows that were not imported because they could not be read (those
    // left out on purpose are not counted).
    std::size_t Skipped() const;
    // Nothing to add or update.
    bool Empty() const { return added == 0 && updated == 0; }
};

// "1 outing", "3 outings", "1 entry": `noun` is the plural.
std::string Counted(std::size_t count, const std::string& noun);

// The report as plain lines, the same on the command line and in the
// preview: "12 outings to add", "3 already there", then one line per
// problem, "line 7: bad date \"2/30/2026\" (skipped)", "line 9: \"Ladder\" is
// cancelled (left out)", or without "line N: " for a note on the whole file.
// `noun` is the plural of what is imported ("outings", "events", "entries").
std::vector<std::string> DescribeImport(const ImportReport& report, const std::string& noun);

} // namespace kvr
