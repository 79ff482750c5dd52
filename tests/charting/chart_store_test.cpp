// SPDX-License-Identifier: GPL-3.0-or-later
#include "charting/chart_store.h"
#include "support/records.h"
#include "support/temp_dir.h"

#include <climits>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using kvrtest::Lines;
using kvrtest::MakeChart;
using kvrtest::ReadFile;
using kvrtest::WriteFile;

class ChartStoreTest : public kvrtest::TempDirTest {};

// A singles chart that passes every rule: 20 winners and 30 errors in 80
// points.
ChartRecord passingChart() {
    ChartRecord c = MakeChart("5/3/2024", "Pat Smith");
    c.firstServeAttempts = 40;
    c.firstServesIn = 25;
    c.aces = 3;
    c.doubleFaults = 4;
    c.returnAttempts = 40;
    c.returnsIn = 30;
    c.returnWinners = 3;
    c.returnErrors = 5;
    c.forehandWinners = 7;
    c.forehandErrors = 8;
    c.backhandWinners = 3;
    c.backhandErrors = 6;
    c.volleysWon = 4;
    c.volleyErrors = 3;
    c.volleysLost = 5;
    c.approachAttempts = 6;
    c.approachesPassed = 2;
    c.approachErrors = 4;
    return c;
}

std::vector<std::string> opponents(const KVR_ChartClass& store) {
    std::vector<std::string> names;
    for (unsigned i = 0; i < store.Count(); ++i)
        names.push_back(store.At(static_cast<int>(i))->opponent);
    return names;
}

// One chart of the headerless layout: 21 lines, one field per line.
std::vector<std::string> version0Chart(const std::string& date, const std::string& opponent,
                                       int firstCounter) {
    std::vector<std::string> lines{date, opponent, "6-2"};
    for (int i = 0; i < 18; ++i)
        lines.push_back(std::to_string(firstCounter + i));
    return lines;
}

std::string joinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines)
        text += line + "\r\n";
    return text;
}

TEST(ChartRecordTest, LineHoldsTwentyOneQuotedFieldsInFileOrder) {
    const std::string line = "\"5/3/2024\",\"Pat Smith, Jr.\",\"6-4 3-6 7-5\",\"1\",\"2\",\"3\","
                             "\"4\",\"5\",\"6\",\"7\",\"8\",\"9\",\"10\",\"11\",\"12\",\"13\","
                             "\"14\",\"15\",\"16\",\"17\",\"-18\"";
    ChartRecord c;
    c.FromLine(line);
    EXPECT_EQ(c.opponent, "Pat Smith, Jr.");
    EXPECT_EQ(c.score, "6-4 3-6 7-5");
    EXPECT_EQ(c.firstServeAttempts, 1);
    EXPECT_EQ(c.doubleFaults, 4);
    EXPECT_EQ(c.forehandWinners, 5);
    EXPECT_EQ(c.volleysLost, 8);
    EXPECT_EQ(c.volleyErrors, 9);
    EXPECT_EQ(c.returnAttempts, 10);
    EXPECT_EQ(c.returnErrors, 13);
    EXPECT_EQ(c.backhandWinners, 14);
    EXPECT_EQ(c.approachesPassed, 17);
    EXPECT_EQ(c.approachErrors, -18);
    c.totalWinners = 99; // derived figures are never written
    EXPECT_EQ(c.ToLine(), line);
}

TEST(ChartRecordTest, ShortOrOversizedFieldsReadSafely) {
    ChartRecord c;
    c.FromLine("\"1/2/2024\",\"Lee\",\"6-0\",\"40\",\"9999999999999999999999999999999999999999\","
               "\"-9999999999999999999999999999999999999999\"");
    EXPECT_EQ(c.firstServeAttempts, 40);
    EXPECT_EQ(c.firstServesIn, INT_MAX);
    EXPECT_EQ(c.aces, INT_MIN);
    EXPECT_EQ(c.doubleFaults, 0);
    EXPECT_EQ(c.approachErrors, 0);
}

TEST(ChartRecordTest, AssignCopiesTextsAndCountersButNotTotals) {
    ChartRecord source = passingChart();
    source.ComputeTotals();
    ChartRecord target;
    target.totalErrors = 7;
    target.Assign(source);
    EXPECT_EQ(target.ToLine(), source.ToLine());
    EXPECT_EQ(target.totalErrors, 7);
    EXPECT_EQ(target.totalWinners, 0);

    ChartRecord other = MakeChart(source.date, source.opponent, source.score);
    EXPECT_TRUE(other.Equals(source)); // counters are not compared
    other.score = "6-4 6-4";
    EXPECT_FALSE(other.Equals(source));
}

TEST(ChartRecordTest, ComputeTotals) {
    ChartRecord c = passingChart();
    c.ComputeTotals();
    EXPECT_FLOAT_EQ(c.firstServePercent, 62.5f);
    EXPECT_FLOAT_EQ(c.returnPercent, 75.0f);
    EXPECT_EQ(c.totalWinners, 20.0f); // volleys won count, approaches do not
    EXPECT_EQ(c.totalErrors, 30.0f);

    c.firstServeAttempts = 0;
    c.returnAttempts = -5;
    c.ComputeTotals();
    EXPECT_EQ(c.firstServePercent, 0.0f);
    EXPECT_EQ(c.returnPercent, 0.0f);

    // Sums of counters near the int limit do not wrap.
    ChartRecord big;
    big.doubleFaults = big.forehandErrors = big.volleyErrors = INT_MAX;
    big.aces = big.forehandWinners = INT_MAX;
    big.ComputeTotals();
    EXPECT_FLOAT_EQ(big.totalErrors, 3.0f * INT_MAX);
    EXPECT_FLOAT_EQ(big.totalWinners, 2.0f * INT_MAX);
}

// Find: the next chart whose opponent holds the text anywhere, in any case
// and without its accents, wrapping round to the chart shown last.
TEST(ChartFindTest, NextOpponentHoldingTheTextWrapsOnce) {
    KVR_ChartClass store;
    store.AddCopy(MakeChart("3/1/2026", "Zo\xC3\xAB O'Neil"));
    store.AddCopy(MakeChart("3/2/2026", "Bea Lane"));
    store.AddCopy(MakeChart("3/3/2026", "Ann Zoellner"));
    store.AddCopy(MakeChart("3/4/2026", "Chlo\xC3\xA9"));
    ASSERT_EQ(store.At(1)->opponent, "Bea Lane");
    EXPECT_EQ(store.FindOpponent("zoe", 1), 2);
    EXPECT_EQ(store.FindOpponent("ZOE", 2), 0); // past the last to the first
    EXPECT_EQ(store.FindOpponent("zo\xC3\xAB", 0), 2);
    EXPECT_EQ(store.FindOpponent("chloe", 1), 3);
    EXPECT_EQ(store.FindOpponent("o'n", 3), 0);
    EXPECT_EQ(store.FindOpponent("lane", 1), 1); // only the chart shown holds it
    EXPECT_EQ(store.FindOpponent("xyz", 1), -1);
    EXPECT_EQ(store.FindOpponent("", 1), -1);
    EXPECT_EQ(store.FindOpponent("zoe", 99), 0); // no chart shown: from the first
    EXPECT_EQ(KVR_ChartClass().FindOpponent("bea", 0), -1);
}

struct RuleCase {
    int rule;
    bool singlesOnly;
    std::function<void(ChartRecord&)> change;
    std::string message;
};

// One failing chart per rule, each built from the passing chart.
std::vector<RuleCase> ruleCases() {
    return {
        {1, false, [](ChartRecord& c) { c.firstServeAttempts = 0; }, "# Serve Attempts is 0!"},
        {2, true, [](ChartRecord& c) { c.firstServesIn = 0; }, "# Serves In Play is 0!"},
        {3, false, [](ChartRecord& c) { c.returnAttempts = 0; }, "# Return Attempts is 0!"},
        {4, true, [](ChartRecord& c) { c.returnsIn = 0; }, "# Returns In Play is 0!"},
        {5, false, [](ChartRecord& c) { c.firstServesIn = 41; },
         "# 1st Serves In Play (41) is more than Attempts (40)!"},
        {6, false, [](ChartRecord& c) { c.aces = 41; }, "# Aces (41) is more than Attempts (40)!"},
        {7, false, [](ChartRecord& c) { c.doubleFaults = 41; },
         "# Double Faults (41) is more than Attempts (40)!"},
        {8, false,
         [](ChartRecord& c) {
             c.aces = 20;
             c.doubleFaults = 21;
         },
         "Aces (20) & Double Faults (21) are more than Attempts (40)!"},
        {9, false, [](ChartRecord& c) { c.returnsIn = 41; },
         "Returns In Play (41) more than Attempts (40)!"},
        {10, false,
         [](ChartRecord& c) {
             c.returnAttempts = 20;
             c.returnsIn = 15;
             c.returnWinners = 10;
             c.returnErrors = 12;
         },
         "Return Winners (10) + Errors (12) more than Attempts (20)!"},
        // Rules 11 and 12 can only fail alone with a negative partner count.
        {11, false,
         [](ChartRecord& c) {
             c.returnWinners = 41;
             c.returnErrors = -1;
         },
         "Return Winners (41) more than Attempts (40)!"},
        {12, false,
         [](ChartRecord& c) {
             c.returnWinners = -1;
             c.returnErrors = 41;
         },
         "Return Errors (41) more than Attempts (40)!"},
        {13, false, [](ChartRecord& c) { c.volleyErrors = 6; }, "Too many Volley Errors (6)!"},
        {14, false, [](ChartRecord& c) { c.approachesPassed = 7; },
         "Too many Approaches passed (7)!"},
        {15, false, [](ChartRecord& c) { c.approachErrors = 7; }, "Too many Approach errors (7)!"},
        {16, true, [](ChartRecord& c) { c.forehandWinners = 81; },
         "Too many Forehand winners (81)!"},
        {17, true, [](ChartRecord& c) { c.forehandErrors = 81; }, "Too many Forehand errors (81)!"},
        {18, true, [](ChartRecord& c) { c.backhandWinners = 81; },
         "Too many Backhand winners (81)!"},
        {19, true, [](ChartRecord& c) { c.backhandErrors = 81; }, "Too many Backhand errors (81)!"},
        {20, true,
         [](ChartRecord& c) {
             c.forehandWinners += 30; // 50 winners
             c.backhandErrors += 1;   // 31 errors
         },
         "Total Winners ( 50) + Errors ( 31) more than Total Points (80)!"},
    };
}

TEST(ChartValidateTest, PassingChartGetsTotalsAndAnEmptyMessage) {
    KVR_ChartClass store;
    for (char kind : {'S', 's', 'D', 'd', 'x', '\0'}) {
        ChartRecord c = passingChart();
        std::string message = "left over";
        EXPECT_EQ(store.Validate(c, message, kind), 1) << kind;
        EXPECT_EQ(message, "");
        EXPECT_EQ(c.totalWinners, 20.0f);
        EXPECT_EQ(c.totalErrors, 30.0f);
    }
}

TEST(ChartValidateTest, EachRuleFailsWithItsMessageForSinglesAndDoubles) {
    KVR_ChartClass store;
    for (const RuleCase& rule : ruleCases()) {
        for (char kind : {'S', 'x', 'D', 'd'}) {
            ChartRecord c = passingChart();
            rule.change(c);
            std::string message;
            int result = store.Validate(c, message, kind);
            bool doubles = kind == 'D' || kind == 'd';
            if (doubles && rule.singlesOnly) {
                EXPECT_EQ(result, 1) << "rule " << rule.rule << " is singles only";
                EXPECT_EQ(message, "");
            } else {
                EXPECT_EQ(result, 0) << "rule " << rule.rule << " kind " << kind;
                EXPECT_EQ(message, rule.message) << "rule " << rule.rule << " kind " << kind;
            }
        }
    }
}

TEST(ChartValidateTest, FirstFailingRuleWins) {
    KVR_ChartClass store;
    std::string message;

    // Everything broken: the serve attempts are reported first, also in doubles.
    ChartRecord c = passingChart();
    c.firstServeAttempts = 0;
    c.firstServesIn = 0;
    c.returnAttempts = 0;
    c.volleyErrors = 99;
    c.forehandWinners = 500;
    EXPECT_EQ(store.Validate(c, message, 'S'), 0);
    EXPECT_EQ(message, "# Serve Attempts is 0!");
    EXPECT_EQ(store.Validate(c, message, 'd'), 0);
    EXPECT_EQ(message, "# Serve Attempts is 0!");

    // A later rule is reached once the earlier ones are mended.
    c = passingChart();
    c.doubleFaults = 41;
    c.volleyErrors = 99;
    EXPECT_EQ(store.Validate(c, message, 'S'), 0);
    EXPECT_EQ(message, "# Double Faults (41) is more than Attempts (40)!");
    c.doubleFaults = 4;
    store.Validate(c, message, 'S');
    EXPECT_EQ(message, "Too many Volley Errors (99)!");
}

TEST(ChartValidateTest, HugeCountersDoNotWrapAround) {
    KVR_ChartClass store;
    std::string message;
    ChartRecord c = passingChart();
    c.firstServeAttempts = INT_MAX;
    c.aces = INT_MAX;
    c.doubleFaults = INT_MAX;
    EXPECT_EQ(store.Validate(c, message, 'D'), 0);
    EXPECT_EQ(message, "Aces (2147483647) & Double Faults (2147483647) are more than Attempts "
                       "(2147483647)!");

    // Total points beyond the int range are printed whole.
    c = passingChart();
    c.firstServeAttempts = c.returnAttempts = INT_MAX;
    c.forehandWinners = c.backhandWinners = c.forehandErrors = c.backhandErrors = INT_MAX;
    EXPECT_EQ(store.Validate(c, message, 'S'), 0);
    EXPECT_EQ(message.rfind("Total Winners (", 0), 0u) << message;
    EXPECT_NE(message.find(") more than Total Points (4294967294)!"), std::string::npos) << message;
}

TEST_F(ChartStoreTest, SameDayChartAddedLastStandsFirstAndLoadKeepsTheOrder) {
    KVR_ChartClass store;
    EXPECT_EQ(store.FileName(), "chart.dat");
    store.AddCopy(MakeChart("5/3/2024", "first of May 3"));
    store.AddCopy(MakeChart("12/1/2024", "December"));
    store.AddCopy(MakeChart("1/2/2024", "January"));
    store.AddCopy(MakeChart("05/03/24", "second of May 3")); // same day, other spelling
    store.AddCopy(MakeChart("not a date", "undated"));
    const std::vector<std::string> order{"undated", "January", "second of May 3", "first of May 3",
                                         "December"};
    EXPECT_EQ(opponents(store), order);

    ASSERT_EQ(store.Save(), 1);
    const std::string saved = ReadFile("chart.dat");
    EXPECT_EQ(saved.substr(0, saved.find("\"not")), Lines({"ZBD Data File Format 2.0", "5"}));

    // A line without a valid date is no chart of chart.dat: the load reads
    // the others, reports the damage and leaves the file for the rebuild.
    KVR_ChartClass loaded;
    ASSERT_EQ(loaded.Load(), -1);
    EXPECT_EQ(opponents(loaded), std::vector<std::string>(order.begin() + 1, order.end()));
    EXPECT_EQ(loaded.Save(), 0);
    EXPECT_EQ(ReadFile("chart.dat"), saved);
    EXPECT_EQ(loaded.rebuild_file(), 4);
    EXPECT_EQ(ReadFile("chart.dis").rfind(R"("not a date","undated")", 0), 0u);

    store.RemoveAt(0);
    ASSERT_EQ(store.Save(), 1);
    const std::string dated = ReadFile("chart.dat");
    ASSERT_EQ(loaded.Load(), 1);
    EXPECT_EQ(loaded.At(1)->date, "05/03/24"); // the date text is kept as written
    ASSERT_EQ(loaded.Save(), 1);
    EXPECT_EQ(ReadFile("chart.dat"), dated);

    // Lines out of order each go to their date place; same-day lines keep
    // their order.
    WriteFile(
        "chart.dat",
        Lines({"ZBD Data File Format 2.0", "4", MakeChart("6/1/2024", "b").ToLine(),
               MakeChart("1/1/2024", "a").ToLine(), "", MakeChart("6/1/2024", "c").ToLine()}));
    ASSERT_EQ(loaded.Load(), 1);
    EXPECT_EQ(opponents(loaded), (std::vector<std::string>{"a", "b", "c"}));
    // A new chart still goes in front of its day.
    loaded.AddCopy(MakeChart("6/1/2024", "d"));
    EXPECT_EQ(opponents(loaded), (std::vector<std::string>{"a", "d", "b", "c"}));
}

TEST_F(ChartStoreTest, NewerOrUnknownOlderVersionIsRefused) {
    KVR_ChartClass store;
    store.AddCopy(MakeChart("1/1/2024", "kept"));
    WriteFile("chart.dat",
              Lines({"ZBD Data File Format 2.1", "1", MakeChart("2/2/2024", "newer").ToLine()}));
    EXPECT_EQ(store.Load(), -2);
    EXPECT_EQ(opponents(store), std::vector<std::string>{"kept"});

    WriteFile("chart.dat", Lines({"ZBD Data File Format 1.0", "0"}));
    EXPECT_EQ(store.Load(), -1);
    EXPECT_EQ(opponents(store), std::vector<std::string>{"kept"});
}

TEST_F(ChartStoreTest, Version0FileIsReadWithoutRewritingIt) {
    std::vector<std::string> lines{"Kavora charts", "2"};
    for (auto chart : {version0Chart("6/1/2024", "Late \"Ace\" Jones", 1),
                       version0Chart("1/1/2024", "Early", 100)})
        lines.insert(lines.end(), chart.begin(), chart.end());
    const std::string contents = joinLines(lines);
    WriteFile("chart.dat", contents);

    KVR_ChartClass store;
    ASSERT_EQ(store.Load(), 2);
    EXPECT_EQ(opponents(store), (std::vector<std::string>{"Early", "Late 'Ace' Jones"}));
    const ChartRecord& late = *store.At(1);
    EXPECT_EQ(late.date, "6/1/2024");
    EXPECT_EQ(late.score, "6-2");
    EXPECT_EQ(late.ToLine(), "\"6/1/2024\",\"Late 'Ace' Jones\",\"6-2\",\"1\",\"2\",\"3\",\"4\","
                             "\"5\",\"6\",\"7\",\"8\",\"9\",\"10\",\"11\",\"12\",\"13\",\"14\","
                             "\"15\",\"16\",\"17\",\"18\"");
    EXPECT_EQ(store.At(0)->approachErrors, 117);
    EXPECT_EQ(ReadFile("chart.dat"), contents);

    // The next save writes the current layout, which loads as it was.
    ASSERT_EQ(store.Save(), 1);
    KVR_ChartClass reloaded;
    ASSERT_EQ(reloaded.Load(), 1);
    EXPECT_EQ(reloaded.At(1)->ToLine(), late.ToLine());
}

TEST_F(ChartStoreTest, Version0FileCutShortKeepsItsCompleteCharts) {
    std::vector<std::string> lines{"", "3"};
    for (auto chart : {version0Chart("3/1/2024", "one", 1), version0Chart("3/1/2024", "two", 1),
                       version0Chart("3/1/2024", "three", 1)})
        lines.insert(lines.end(), chart.begin(), chart.end());
    lines.resize(lines.size() - 5);
    WriteFile("chart.dat", joinLines(lines));

    KVR_ChartClass store;
    EXPECT_EQ(store.Load(), 2);
    EXPECT_EQ(opponents(store), (std::vector<std::string>{"one", "two"}));

    // An absurd count is only an upper bound.
    lines = {"x", std::string(40, '9')};
    auto chart = version0Chart("3/1/2024", "only", 1);
    lines.insert(lines.end(), chart.begin(), chart.end());
    WriteFile("chart.dat", joinLines(lines));
    EXPECT_EQ(store.Load(), 1);
    EXPECT_EQ(opponents(store), std::vector<std::string>{"only"});

    // A file whose first line is the count: the second line is a date.
    lines = {"1"};
    lines.insert(lines.end(), chart.begin(), chart.end());
    WriteFile("chart.dat", joinLines(lines));
    EXPECT_EQ(store.Load(), 1);
    EXPECT_EQ(store.At(0)->date, "3/1/2024");
    EXPECT_EQ(store.At(0)->opponent, "only");
    EXPECT_EQ(store.At(0)->approachErrors, 18);

    WriteFile("chart.dat", "x\r\n");
    EXPECT_EQ(store.Load(), 0);
    EXPECT_EQ(store.Count(), 0u);
}

} // namespace
