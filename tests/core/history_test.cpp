// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/history.h"
#include "core/outing_import.h"
#include "core/past_records.h"
#include "support/records.h"
#include "support/temp_dir.h"

#include <algorithm>
#include <random>

#include <gtest/gtest.h>

namespace {

using kvrtest::Exists;
using kvrtest::Lines;
using kvrtest::ReadFile;
using kvrtest::WriteFile;

std::string HistoryLine(const std::string& date, const std::string& who,
                        const std::string& partner = "", const std::string& second = "") {
    return "\"" + date + "\",\"D\",\"" + partner + "\",\"" + who + "\",\"" + second +
           "\",\"1\",\"M\",\"W\",\"6-0\",\"\",\"\",\"m\",\"p\"";
}

std::string HistoryFile(const std::vector<std::string>& lines) {
    std::string text = std::string(KVR_History::kHeader) + "\r\n";
    for (const auto& line : lines)
        text += line + "\r\n";
    return text;
}

// The exchange sort as a plain, slow reference: for every entry, every later
// entry that is newer is swapped into its place.
std::vector<int> ReferenceExchangeSort(std::vector<int> days, std::vector<int>& order) {
    order.resize(days.size());
    for (size_t i = 0; i < days.size(); ++i)
        order[i] = static_cast<int>(i);
    for (size_t i = 0; i < days.size(); ++i)
        for (size_t j = i + 1; j < days.size(); ++j)
            if (days[i] < days[j]) {
                std::swap(days[i], days[j]);
                std::swap(order[i], order[j]);
            }
    return days;
}

class HistoryTest : public kvrtest::TempDirTest {};

TEST_F(HistoryTest, MissingHistoryIsEmpty) {
    KVR_History history;
    EXPECT_EQ(history.Rewind(), 0);
    EXPECT_EQ(history.ReadNext(), 0);
    EXPECT_EQ(history.CountRecords(), 0);
    EXPECT_EQ(history.SeekTo(1), 0);
    EXPECT_EQ(history.Find(1, "x"), -1);
    EXPECT_EQ(history.SortByDate(), 0);
    EXPECT_FALSE(Exists("history.dat"));
}

// Empty lines are skipped by every reader, so a blank line never hides the
// records behind it; records are numbered without them.
TEST_F(HistoryTest, ReadsSequentiallyPastEmptyLines) {
    WriteFile("history.dat",
              HistoryFile({HistoryLine("3/1/2001", "Ann"), HistoryLine("02/01/01", "Bob"), "", "",
                           HistoryLine("1/1/2001", "Behind a gap")}) +
                  "\r\n");
    KVR_History history;
    EXPECT_EQ(history.CountRecords(), 3);
    ASSERT_EQ(history.Rewind(), 1);
    ASSERT_EQ(history.ReadNext(), 1);
    EXPECT_EQ(history.Current().who, "Ann");
    ASSERT_EQ(history.ReadNext(), 1);
    EXPECT_EQ(history.Current().date, "2/1/2001");
    ASSERT_EQ(history.ReadNext(), 1);
    EXPECT_EQ(history.Current().who, "Behind a gap");
    EXPECT_EQ(history.ReadNext(), 0);
    EXPECT_EQ(history.ReadNext(), 0); // stays at the end
    EXPECT_EQ(history.Current().who, "Behind a gap");
    ASSERT_EQ(history.SeekTo(3), 1);
    ASSERT_EQ(history.ReadNext(), 1);
    EXPECT_EQ(history.Current().who, "Behind a gap");
    EXPECT_EQ(history.SeekTo(4), 1); // in front of the end
    EXPECT_EQ(history.ReadNext(), 0);
    EXPECT_EQ(history.Find(1, "gap"), 3);
    EXPECT_EQ(kvr::PastRecords::Read().Outings().size(), 3u);
}

// Lines that are no records among good ones (garbage, a line cut short, NUL
// bytes over the end of one, one with a field too many): every reader skips
// them and tells of the damage, neither writer of the history writes over
// it, and the rebuild keeps every record and sets the rest aside.
TEST_F(HistoryTest, LinesThatAreNoRecordsMakeADamagedHistory) {
    auto whos = [](KVR_History& history) {
        std::string names;
        while (history.ReadNext() == 1)
            names += history.Current().who;
        return names;
    };
    std::string zeroed = HistoryLine("1/20/2001", "Z");
    std::fill(zeroed.begin() + 7, zeroed.end(), '\0');
    const std::vector<std::string> bad{"garbage", HistoryLine("2/15/2001", "C").substr(0, 40),
                                       zeroed, HistoryLine("1/10/2001", "E") + ",\"x\""};
    const std::string damaged =
        HistoryFile({HistoryLine("4/1/2001", "A"), bad[0], HistoryLine("3/1/2001", "B"), "", bad[1],
                     bad[2], bad[3], kvrtest::MakePlay("1/1/2001", "D").ToLine()});
    WriteFile("history.dat", damaged);
    kvrtest::SettleFileClock("history.dat");

    KVR_History history;
    EXPECT_EQ(whos(history), "ABD");
    EXPECT_EQ(history.LoadResult(), -1);
    EXPECT_EQ(history.Error(), 0); // damaged, not unreadable
    EXPECT_EQ(history.Rewind(), 0);
    EXPECT_EQ(history.CountRecords(), 3);
    EXPECT_EQ(history.Find(1, "D"), 3);
    EXPECT_TRUE(kvr::PastRecords::Read().Damaged());
    kvrtest::SaveRecords<KVR_PlayData>({kvrtest::MakePlay("5/1/2001", "F")});
    KVR_PlayData play;
    ASSERT_EQ(play.Load(), 1);
    EXPECT_EQ(play.StartNewGoalPeriod(), -1);
    EXPECT_EQ(kvr::AddOutings(play, {kvrtest::MakePlay("5/2/2001")}).result,
              kvr::PlacedOutings::Result::Failed);
    EXPECT_EQ(ReadFile("history.dat"), damaged);

    EXPECT_EQ(history.rebuild_file(), 3);
    EXPECT_EQ(ReadFile("history1.old"), damaged);
    std::string discarded;
    for (const std::string& line : bad)
        discarded += line + "\r\n";
    EXPECT_EQ(ReadFile("history1.dis"), discarded);
    kvrtest::SettleFileClock("history.dat");
    for (int pass = 0; pass < 2; ++pass) { // read for the check, then known
        ASSERT_EQ(history.Rewind(), 1);
        EXPECT_EQ(whos(history), "ABD");
    }
    EXPECT_FALSE(kvr::PastRecords::Read().Damaged());
    // A line another program adds is found, however recently the file was
    // read whole.
    WriteFile("history.dat", ReadFile("history.dat") + "\"1/1/2000\",\"cut\r\n");
    EXPECT_EQ(history.Rewind(), 0);
}

TEST_F(HistoryTest, FullLinesWithRatingsReadLikeHistoryLines) {
    PlayRecord full;
    full.date = "1/1/2001";
    full.who = "Ann";
    full.Rating(kvr::Stroke::Serve, kvr::Level::Spin) = 7;
    WriteFile("history.dat", HistoryFile({full.ToLine()}));
    KVR_History history;
    ASSERT_EQ(history.ReadNext(), 1);
    EXPECT_EQ(history.Current().who, "Ann");
    EXPECT_EQ(history.Current().Rating(kvr::Stroke::Serve, kvr::Level::Spin), 7);
}

TEST_F(HistoryTest, SeekToPositionsInFrontOfARecord) {
    WriteFile("history.dat",
              HistoryFile({HistoryLine("3/1/2001", "A"), HistoryLine("2/1/2001", "B"),
                           HistoryLine("1/1/2001", "C")}));
    KVR_History history;
    for (int n : {-3, 0, 1}) {
        ASSERT_EQ(history.SeekTo(n), 1);
        ASSERT_EQ(history.ReadNext(), 1);
        EXPECT_EQ(history.Current().who, "A") << n;
    }
    ASSERT_EQ(history.SeekTo(3), 1);
    ASSERT_EQ(history.ReadNext(), 1);
    EXPECT_EQ(history.Current().who, "C");
    EXPECT_EQ(history.SeekTo(4), 1); // in front of the end
    EXPECT_EQ(history.ReadNext(), 0);
    EXPECT_EQ(history.SeekTo(5), 0);
    EXPECT_EQ(history.ReadNext(), 0);
}

TEST_F(HistoryTest, FindSearchesOpponentsAndPartnersFromAStart) {
    WriteFile("history.dat", HistoryFile({HistoryLine("4/1/2001", "Ann Lee"),
                                          HistoryLine("3/1/2001", "Bob", "Carla Diaz"),
                                          HistoryLine("2/1/2001", "Ed", "", "Carla Diaz"),
                                          HistoryLine("1/1/2001", "Ann Lee")}));
    KVR_History history;
    EXPECT_EQ(history.Find(1, "Carla"), 2);
    EXPECT_EQ(history.Current().who, "Bob");
    EXPECT_EQ(history.Find(3, "Carla"), 3);
    EXPECT_EQ(history.Current().who, "Ed");
    EXPECT_EQ(history.Find(2, "Lee"), 4);
    EXPECT_EQ(history.Find(0, "Lee"), 1);
    EXPECT_EQ(history.Find(2, "ánn"), 4); // case and accents ignored
    EXPECT_EQ(history.Find(1, "Zed"), -1);
    EXPECT_EQ(history.Current().who, "Ann Lee");
    EXPECT_EQ(history.Find(3, "Bob"), -1);
    EXPECT_EQ(history.Current().who, "Ed"); // the record the search began with
}

TEST_F(HistoryTest, SortByDateLeavesAnOrderedFileAlone) {
    std::string text = HistoryFile(
        {HistoryLine("3/1/2001", "A"), HistoryLine("3/1/2001", "B"), HistoryLine("1/1/2001", "C")});
    WriteFile("history.dat", text);
    KVR_History history;
    EXPECT_EQ(history.SortByDate(), 0);
    EXPECT_EQ(ReadFile("history.dat"), text);
}

TEST_F(HistoryTest, SortByDateMatchesTheExchangeSortExactly) {
    std::mt19937 random(42);
    std::vector<std::string> lines;
    std::vector<int> days;
    for (int i = 0; i < 300; ++i) {
        // Few distinct dates, so that equal dates are common.
        ZBD_Date date(1 + static_cast<int>(random() % 3), 1 + static_cast<int>(random() % 4), 2001);
        lines.push_back(HistoryLine(date.Text(), "P" + std::to_string(i)));
        days.push_back(date.DayNumber());
    }
    WriteFile("history.dat",
              HistoryFile(lines) + "\r\n" + HistoryLine("1/1/1995", "after gap") + "\r\n");
    std::vector<int> order;
    ReferenceExchangeSort(days, order);
    std::vector<std::string> expected;
    for (int index : order)
        expected.push_back(lines[static_cast<size_t>(index)]);

    KVR_History history;
    EXPECT_EQ(history.SortByDate(), 1);
    // The lines behind an empty line are kept as they were.
    EXPECT_EQ(ReadFile("history.dat"),
              HistoryFile(expected) + "\r\n" + HistoryLine("1/1/1995", "after gap") + "\r\n");
    EXPECT_FALSE(Exists("history.srt"));
    EXPECT_EQ(history.SortByDate(), 0);
}

TEST_F(HistoryTest, ExchangeSortOfNewestFirstInput) {
    std::vector<KVR_History::SortEntry> entries{{"a", 5}, {"b", 5}, {"c", 3}};
    EXPECT_FALSE(KVR_History::ExchangeSort(entries));
    std::vector<KVR_History::SortEntry> reversed{{"a", 1}, {"b", 2}, {"c", 2}, {"d", 3}};
    EXPECT_TRUE(KVR_History::ExchangeSort(reversed));
    std::vector<std::string> lines;
    for (const auto& entry : reversed)
        lines.push_back(entry.line);
    // 'b' reaches the front first and is displaced by 'd'; 'c' ends behind 'b'.
    std::vector<int> order;
    ReferenceExchangeSort({1, 2, 2, 3}, order);
    std::vector<std::string> expected;
    for (int index : order)
        expected.push_back(std::string(1, static_cast<char>('a' + index)));
    EXPECT_EQ(lines, expected);
}

TEST_F(HistoryTest, ConvertsAnOldLayout) {
    std::string old = Lines({"old history", "3/1/2001", "M", "1.5", "Ann", "6-1", "W", "good",
                             "more", "2/1/2001", "P", "2", "Bob", "", "", "drills", "", ""});
    WriteFile("history.dat", old);
    KVR_History history;
    ASSERT_EQ(history.ReadNext(), 1); // converted on opening
    EXPECT_EQ(history.Current().who, "Ann");
    EXPECT_EQ(ReadFile("history.dat"),
              Lines({KVR_History::kConvertedHeader,
                     R"("3/1/2001","S","","Ann","","1.5","M","W","6-1","","","good","more")",
                     R"("2/1/2001","S","","Bob","","2","P","","","","","drills","")"}));
    // Kept under a name that no goal-period change replaces.
    EXPECT_EQ(ReadFile("history1.old"), old);
    EXPECT_FALSE(Exists("history.old"));
    EXPECT_FALSE(Exists("history.new"));
    EXPECT_EQ(history.CountRecords(), 2);
}

// The old writer ended its records with an empty date line, whatever came
// after it; current records behind a damaged header and a blank line are no
// old history.
TEST_F(HistoryTest, EndMarkEndsAnOldHistoryButNotACurrentOne) {
    WriteFile("history.dat", Lines({"old history", "3/1/2001", "M", "1.5", "Ann", "6-1", "W",
                                    "good", "more", "", "P", "junk", "\x7f"}));
    KVR_History history;
    EXPECT_EQ(history.LoadResult(), 1);
    EXPECT_EQ(ReadFile("history.dat"),
              Lines({KVR_History::kConvertedHeader,
                     R"("3/1/2001","S","","Ann","","1.5","M","W","6-1","","","good","more")"}));

    const std::string damaged =
        Lines({"KVR Histroy Data", "", HistoryLine("1/1/2001", "A"), HistoryLine("1/2/2001", "B")});
    WriteFile("history.dat", damaged);
    EXPECT_EQ(history.Rewind(), 0);
    EXPECT_EQ(history.LoadResult(), -1);
    EXPECT_EQ(ReadFile("history.dat"), damaged);
}

TEST_F(HistoryTest, NewerLayoutIsLeftAlone) {
    std::string newer = Lines({"KVR History Data Format 3.0", HistoryLine("1/1/2001", "A")});
    WriteFile("history.dat", newer);
    KVR_History history;
    EXPECT_EQ(history.Rewind(), 0);
    EXPECT_EQ(history.ReadNext(), 0);
    EXPECT_EQ(ReadFile("history.dat"), newer);
    EXPECT_FALSE(Exists("history.old"));
}

} // namespace
