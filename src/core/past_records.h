// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/record_line.h"
#include "core/safe_file.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kvr {

// What the statistics pass and the opponent figures read of the past goal
// periods, kept in memory so that a pass reads no file. history.dat is read
// through a reader of its own (never the play store's shared one, with which
// the notes notebook pages), and read again only when this program rewrote
// it or the file on disk changed.
class PastRecords {
public:
    static constexpr std::uint32_t kNoName = UINT32_MAX;

    // One past record, in the history's order (newest first).
    struct Outing {
        // The year and month of the date, as ZBD_Date reads them.
        int year = 0, month = 0;
        // HoursOf(time), FirstLetter(kind), FirstLetter(result).
        float hours = 0;
        char kind = 0, result = 0;
        // The people, by NameNumber.
        std::uint32_t who = 0, secondOpponent = 0, partner = 0;
        // Where the date text and the OutingSummary lie in the text pool.
        std::size_t date = 0, outing = 0;
        std::uint32_t dateLength = 0, outingLength = 0;
    };

    // Reads history.dat now.
    static PastRecords Read();

    // Reads history.dat again when it may differ from the copy: after a
    // rewrite by this program (KVR_History::Rewrites), when its inode, size,
    // modification or status change time changed, or when the copy was read
    // so soon after the file's last change that a later change in the same
    // clock tick could not be told apart.
    void Refresh();
    // How many times the file was read, for tests and measurements (a read
    // answered by the kept summary counts too).
    unsigned long ReadCount() const { return reads_; }
    // Whether the last read took the summary kept in the user's cache folder
    // (core/past_cache.h) rather than history.dat itself.
    bool FromSummary() const { return fromSummary_; }

    // The records of the history, in its order. A line that is no record
    // (KVR_History::ReadNextLine skips it) is left out.
    const std::vector<Outing>& Outings() const { return outings_; }
    // Whether history.dat holds at least one record.
    bool HasHistory() const { return hasHistory_; }
    // Whether the read met lines of a current history that are no records (a
    // line cut short, garbage, NUL bytes, extra fields): the history is then
    // a damaged one, to be reported and rebuilt as the other data files are.
    // A history that could not be opened at all is not counted here: its
    // reader's LoadResult() tells of it as it opens.
    bool Damaged() const { return damaged_; }
    // The date text of the last record in the file (the oldest), empty when
    // there is none.
    const std::string& LastDate() const { return lastDate_; }

    std::string_view Date(const Outing& outing) const {
        return {texts_.data() + outing.date, outing.dateLength};
    }
    // OutingSummary of the record.
    std::string_view Summary(const Outing& outing) const {
        return {texts_.data() + outing.outing, outing.outingLength};
    }
    // The number under which a name is kept, or kNoName when no record
    // names that person.
    std::uint32_t NameNumber(const std::string& name) const;
    std::uint32_t NameCount() const { return static_cast<std::uint32_t>(nameNumbers_.size()); }

private:
    void Load();
    // The records as bytes, for the summary kept between runs, and back;
    // false (the records left empty) when the bytes are not such a summary.
    std::string Summarised() const;
    bool TakeSummary(std::string_view bytes);
    void Clear();
    // One record line, its date as a play record reads it.
    void Add(const ZBD_Record& fields, const std::string& date);
    std::uint32_t Keep(const std::string& name);
    std::size_t KeepText(std::string_view text);

    std::vector<Outing> outings_;
    std::string texts_;
    std::unordered_map<std::string, std::uint32_t> nameNumbers_;
    bool hasHistory_ = false;
    bool damaged_ = false;
    std::string lastDate_;

    bool trusted_ = false;
    bool fromSummary_ = false;
    unsigned long rewrites_ = 0;
    unsigned long reads_ = 0;
    FileStamp stamp_;
};

// Counts a result by its first letter: W a win, L a loss, U an undecided
// match, anything else nothing. The counts stop at INT_MAX.
void CountResult(char result, int& wins, int& losses, int& undecided);
// The hours of an outing: the number its time text starts with, kept within
// bounds so that no file, however absurd, can drive a total to infinity.
float HoursOf(std::string_view time);
// What the phone book shows as a person's last outing: "Match", "Lesson" or
// "Practice" by the kind's first letter, then the score and the result.
std::string OutingSummary(std::string_view kind, std::string_view score, std::string_view result);

} // namespace kvr
