// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/import_report.h"

#include <algorithm>

namespace kvr {

std::size_t ImportReport::Skipped() const {
    return static_cast<std::size_t>(
        std::count_if(problems.begin(), problems.end(),
                      [](const ImportProblem& p) { return p.skipped && !p.leftOut; }));
}

std::string Counted(std::size_t count, const std::string& noun) {
    std::string word = noun;
    if (count == 1 && word.ends_with("ies"))
        word = word.substr(0, word.size() - 3) + "y";
    else if (count == 1 && word.ends_with('s'))
        word.pop_back();
    return std::to_string(count) + " " + word;
}

std::vector<std::string> DescribeImport(const ImportReport& report, const std::string& noun) {
    std::vector<std::string> lines;
    lines.push_back(Counted(report.added, noun) + " to add");
    if (report.updated > 0)
        lines.push_back(Counted(report.updated, noun) + " to update");
    lines.push_back(std::to_string(report.present) + " already there (skipped)");
    if (const std::size_t skipped = report.Skipped(); skipped > 0)
        lines.push_back(std::to_string(skipped) + " could not be read (skipped)");
    for (const ImportProblem& problem : report.problems) {
        const std::string where =
            problem.line > 0 ? "line " + std::to_string(problem.line) + ": " : std::string();
        const char* outcome = !problem.skipped  ? ""
                              : problem.leftOut ? " (left out)"
                                                : " (skipped)";
        lines.push_back(where + problem.reason + outcome);
    }
    return lines;
}

} // namespace kvr
