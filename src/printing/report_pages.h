// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/play_store.h"
#include "ui/renderer.h"

#include <functional>
#include <optional>
#include <vector>

#include <QString>

namespace kui {

// The printouts: the notes reports of the match, practice and lesson notes
// (newest first, a few to a page) and the blank courtside form.
enum class ReportKind { Match, Practice, Lesson, CourtForm };
// The printout a command-line name stands for: "match", "practice", "lesson"
// or "form"; nullopt for any other name.
std::optional<ReportKind> ReportKindNamed(const QString& name);

// At most this many pages to a report.
inline constexpr int kMaxReportPages = 5;

// How many notes one page holds: 5 match notes, 7 practice or lesson notes.
int EntriesPerPage(ReportKind kind);

// The heading line of a report: "Match Notes For", "Match Notes Playing
// Smith For", "Practice Notes For", "Lesson Notes For".
QString ReportTitle(ReportKind kind, const QString& opponentFilter);

// Whether a record belongs in a report: practice notes from every outing
// that has them; match and lesson notes from the outings of that kind, the
// match notes only against an opponent whose name (or the second opponent's,
// in doubles) holds the filter, in any case. An empty filter takes every
// match.
bool ReportTakes(ReportKind kind, const QString& opponentFilter, const PlayRecord& record);

// The notes of a report, page by page.
struct ReportPages {
    // At least one page; a report with no notes is one page with its
    // heading only.
    std::vector<std::vector<PlayRecord>> pages;
    // Notes that belong in the report but did not fit in its pages.
    int leftOut = 0;
};

// Sorts the records `next` yields (newest first: the current goal period,
// then the past ones; null at the end) into the pages of a report.
ReportPages CollectReportPages(ReportKind kind, const QString& opponentFilter,
                               const std::function<const PlayRecord*()>& next);

// What one printed page of a report shows.
struct ReportPageData {
    ReportKind kind = ReportKind::Match;
    QString title;
    QString playerName;
    int pageNumber = 1;
    std::vector<PlayRecord> entries;
    // The rows of text the fullest page of the report needs (ReportRows);
    // the type is as large as lets them end above the page number. 0: a
    // full page of the kind with every note there is.
    int rows = 0;
};

// The line over a note: its date, opponent and score; in a match report
// with the second opponent of a doubles match ("Smith & Jones") and the
// result ("Won", "Lost", "Undecided").
QString ReportEntryLine(ReportKind kind, const PlayRecord& entry);
// The line under it in a match report of a doubles match with a partner
// ("Partner: Brown"); empty otherwise.
QString ReportPartnerLine(ReportKind kind, const PlayRecord& entry);

// The rows of text a page with `entries` needs below its heading: each
// note takes its date line, four lines of practice notes and a blank line,
// match and lesson notes with match notes four lines more, and a doubles
// match its partner's line; the last blank line may fall off the page.
int ReportRows(ReportKind kind, const std::vector<PlayRecord>& entries);

// One page of a report: the heading (program, title, player) centred at the
// top, the notes below it, each under its ReportEntryLine (and partner's
// line), and the page number at the foot. Notes too long for their four
// lines are set smaller rather than cut.
void DrawReportPage(QPainter& painter, QSize size, const ReportPageData& data);

} // namespace kui
