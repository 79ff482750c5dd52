// SPDX-License-Identifier: GPL-3.0-or-later
// How every store reads the files that real machines produce: other line
// ends and encodings, damaged headers, old layouts with wrong counts, lines
// that are no records.
#include "charting/chart_store.h"
#include "core/history.h"
#include "core/play_store.h"
#include "phonebook/phone_store.h"
#include "schedule/sched_store.h"
#include "support/records.h"
#include "support/temp_dir.h"
#include "tips/tip_store.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <functional>
#include <set>
#include <string_view>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace {

using kvrtest::Exists;
using kvrtest::Lines;
using kvrtest::ReadFile;
using kvrtest::WriteFile;
using Strings = std::vector<std::string>;

class DataReadingTest : public kvrtest::TempDirTest {};

std::string Utf16(std::u16string_view text, bool bigEndian) {
    std::string bytes = bigEndian ? "\xfe\xff" : "\xff\xfe";
    for (char16_t c : text) {
        char high = static_cast<char>(c >> 8), low = static_cast<char>(c & 0xff);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

Strings ReadAll(const std::string& contents) {
    WriteFile("lines.dat", contents);
    ZBD_File file("lines.dat", 'r', ',', false);
    Strings lines{file.FirstLineText()};
    while (auto line = file.NextLine())
        lines.push_back(*line);
    return lines;
}

TEST_F(DataReadingTest, AnyLineEndAndAByteOrderMarkReadAsTheSameText) {
    const Strings expected{"first", "", "caf\xc3\xa9", "last"};
    for (const std::string& text :
         {std::string("first\r\n\r\ncaf\xc3\xa9\r\nlast\r\n"),
          std::string("first\n\ncaf\xc3\xa9\nlast"), std::string("first\r\rcaf\xc3\xa9\rlast\r"),
          std::string("first\r\n\rcaf\xc3\xa9\nlast"),
          std::string("\xef\xbb\xbf"
                      "first\r\n\r\ncaf\xc3\xa9\r\nlast\r\n"),
          // UTF-16 with its mark, little and big endian.
          Utf16(u"first\r\n\r\ncaf\u00e9\nlast", false),
          Utf16(u"first\r\rcaf\u00e9\rlast", true)}) {
        EXPECT_EQ(ReadAll(text), expected) << text;
        EXPECT_EQ(kvr::SplitLines(text), expected) << text;
    }
    // A pair of surrogates is one character; a lone one is replaced.
    EXPECT_EQ(kvr::DecodeText(std::string("\xff\xfe\x3d\xd8\xbe\xdc\x3d\xd8", 8)),
              "\xf0\x9f\x92\xbe\xef\xbf\xbd");
}

TEST_F(DataReadingTest, OnlyAMissingFileIsMissing) {
    ZBD_File missing("none.dat", 'r', ',', true);
    EXPECT_EQ(missing.Status(), 0);
    EXPECT_EQ(missing.Error(), 0);

    // Nothing but a regular file is read: a FIFO without a writer, a device,
    // a socket or a folder is refused at once, never waited on or read
    // without end.
    std::filesystem::create_directory("folder.dat");
    ASSERT_EQ(::mkfifo("fifo.dat", 0600), 0);
    std::filesystem::create_symlink("/dev/zero", "device.dat");
    int socketFd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, "socket.dat");
    ASSERT_EQ(::bind(socketFd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    for (const char* name : {"folder.dat", "fifo.dat", "device.dat", "socket.dat"}) {
        ZBD_File special(name, 'r', ',', true);
        EXPECT_EQ(special.Status(), -1) << name;
        EXPECT_EQ(special.Error(), kvr::kNotRegularFile) << name;
        errno = 0;
        EXPECT_EQ(kvr::ReadWholeFile(name), std::nullopt) << name;
        EXPECT_EQ(errno, kvr::kNotRegularFile) << name;
    }
    ::close(socketFd);
    EXPECT_EQ(kvr::ErrorText(kvr::kNotRegularFile), "not a regular file");
    std::filesystem::rename("fifo.dat", "play.dat");
    KVR_PlayData play;
    EXPECT_EQ(play.Load(), -1);
    EXPECT_EQ(play.Error(), kvr::kNotRegularFile);
    EXPECT_EQ(play.rebuild_file(), -1);
    EXPECT_TRUE(std::filesystem::is_fifo("play.dat"));

    std::filesystem::create_symlink("chart.dat", "chart.dat");
    KVR_ChartClass charts;
    charts.AddCopy(ChartRecord());
    EXPECT_EQ(charts.Load(), -1);
    EXPECT_EQ(charts.Error(), ELOOP);
    EXPECT_EQ(charts.Count(), 1u); // keeps what it held
    EXPECT_EQ(charts.Save(), 0);
    EXPECT_EQ(charts.rebuild_file(), -1); // nothing to rebuild from
    EXPECT_EQ(kvr::ErrorText(ELOOP), "Too many levels of symbolic links");
}

// Old layouts are read to the end of the file whatever their count says,
// and the file they are read from is kept before it is rewritten.
TEST_F(DataReadingTest, OldLayoutsAreReadToTheEndAndKept) {
    auto playRecord = [](int index, const std::string& who) {
        Strings lines{std::to_string(index),
                      "1/" + std::to_string(index + 1) + "/2001",
                      "M",
                      "1",
                      who,
                      "6-1",
                      "W",
                      "",
                      ""};
        for (int i = 0; i < 24; ++i)
            lines.push_back("5");
        return lines;
    };
    auto join = [](std::initializer_list<Strings> parts) {
        std::string text;
        for (const Strings& part : parts)
            for (const std::string& line : part)
                text += line + "\r\n";
        return text;
    };
    auto chart = [](const std::string& who) {
        Strings lines{"1/1/2001", who, "6-0"};
        for (int i = 0; i < 18; ++i)
            lines.push_back("1");
        return lines;
    };
    struct Case {
        const char* file;
        std::string contents;
        std::function<Strings()> load; // loads and returns the names read
        Strings names;
        const char* keptAs; // "" when the file is not rewritten by the load
    };
    auto names = [](auto& store, auto member) {
        Strings result;
        for (unsigned i = 0; i < store.Count(); ++i)
            result.push_back(store.At(static_cast<int>(i))->*member);
        return result;
    };
    std::vector<Case> cases{
        {"play.dat",
         join({{"1"}, playRecord(0, "Ann"), playRecord(1, "Bob"), playRecord(2, "Cy")}),
         [&] {
             KVR_PlayData store;
             EXPECT_EQ(store.Load(), 1);
             return names(store, &PlayRecord::who);
         },
         {"Ann", "Bob", "Cy"},
         "play1.old"},
        {"chart.dat",
         join({{"charts", "1"}, chart("Ann"), chart("Bob")}),
         [&] {
             KVR_ChartClass store;
             EXPECT_EQ(store.Load(), 2);
             EXPECT_EQ(store.Save(), 1); // the first save keeps the old file
             return names(store, &ChartRecord::opponent);
         },
         {"Ann", "Bob"},
         "chart.old"},
        {"sched.dat",
         join({{"1", "Ann", "1/1/2001", "", "", "", "Bob", "1/2/2001"}}),
         [&] {
             SchedClass store;
             EXPECT_EQ(store.Load(), 2);
             return names(store, &SchedRecord::who);
         },
         {"Ann", "Bob"},
         "sched.old"},
        {"phone.dat",
         join({{"0", "Ann", "1", "", "", "", "Bob", "2", "net"}}),
         [&] {
             KVR_PhoneData store;
             EXPECT_EQ(store.Load(), 1);
             return names(store, &PhoneRecord::name);
         },
         {"Ann", "Bob"},
         "phone.old"},
        {"serve.tip",
         join({{"1", "1", "5", "Toss high", "2", "7", "Kick it"}}),
         [&] {
             TipClass store;
             store.Select("Serve");
             EXPECT_EQ(store.Load(), 1);
             return names(store, &TipRecord::tipText);
         },
         {"Kick it", "Toss high"},
         "serve.old"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        WriteFile(c.file, c.contents);
        EXPECT_EQ(c.load(), c.names);
        EXPECT_EQ(ReadFile(c.keptAs), c.contents);
        std::filesystem::remove(c.keptAs);
    }
}

// A conversion at start-up that cannot write its result keeps the system's
// error, so that start-up reports the file as unreadable and never rebuilds
// it (a rebuild finds no record line in an old layout); nothing is left
// behind.
TEST_F(DataReadingTest, OldLayoutsThatFailAreKeptWithTheirReason) {
    Strings playLines{"1", "0", "1/1/2001", "M", "1", "Ann", "6-1", "W", "", ""};
    playLines.resize(playLines.size() + 24, "5");
    std::string history =
        Lines({"old history", "3/1/2001", "M", "1.5", "Ann", "6-1", "W", "good", "more"});
    std::string oldPlay;
    for (const std::string& line : playLines)
        oldPlay += line + "\r\n";
    const std::vector<std::pair<const char*, std::string>> files{
        {"play.dat", oldPlay},
        {"phone.dat", Lines({"0", "Ann", "1", "", "", ""})},
        {"sched.dat", Lines({"1", "Ann", "1/1/2001", "", "", ""})},
        {"history.dat", history}};
    auto load = [](const std::string& file, int& error) {
        KVR_PlayData play; // its history reader converts history.dat
        KVR_PhoneData phone;
        SchedClass sched;
        int result = file == "play.dat"    ? play.Load()
                     : file == "phone.dat" ? phone.Load()
                     : file == "sched.dat" ? sched.Load()
                                           : play.History().LoadResult();
        error = play.Error() + phone.Error() + sched.Error() + play.History().Error();
        return result;
    };
    // No file may grow past a few bytes: the copy of the original fails.
    rlimit previous{};
    getrlimit(RLIMIT_FSIZE, &previous);
    rlimit small = previous;
    small.rlim_cur = 16;
    auto* oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    for (const auto& [file, contents] : files) {
        SCOPED_TRACE(file);
        WriteFile(file, contents);
        setrlimit(RLIMIT_FSIZE, &small);
        int error = 0;
        EXPECT_EQ(load(file, error), -1);
        setrlimit(RLIMIT_FSIZE, &previous);
        EXPECT_EQ(error, EFBIG);
        EXPECT_EQ(ReadFile(file), contents);
        std::filesystem::remove(file);
    }
    std::signal(SIGXFSZ, oldHandler);
    for (const auto& entry : std::filesystem::directory_iterator("."))
        ADD_FAILURE() << "left behind: " << entry.path();
}

// A current file that lost its header (or whose header lost a byte) is not
// read as an old layout and rewritten: its load fails and the file stays.
TEST_F(DataReadingTest, DamagedHeadersAreNotTakenForOldLayouts) {
    PlayRecord outing;
    outing.date = "2/2/2002";
    outing.who = "Ann";
    // A header damaged by a byte or zeroed, or lost (the count comes first).
    for (const std::string& play :
         {Lines({"ZBD Data File Formet 2.0", "1", outing.ToLine()}),
          Lines({std::string(4, '\0'), "1", outing.ToLine()}), Lines({"1", outing.ToLine()})}) {
        WriteFile("play.dat", play);
        KVR_PlayData store;
        EXPECT_EQ(store.Load(), -1);
        EXPECT_EQ(store.Error(), 0); // damaged, not unreadable
        EXPECT_EQ(ReadFile("play.dat"), play);
        EXPECT_FALSE(Exists("play1.old"));
    }
}

// The rebuild keeps every line that reads as a record of the store and puts
// every other line in the ".dis" file.
TEST_F(DataReadingTest, RebuildKeepsRecordLinesAndSetsTheRestAside) {
    PlayRecord outing;
    outing.date = "2/2/2002";
    outing.who = "Ann";
    ChartRecord chart;
    chart.date = "3/3/2003";
    chart.opponent = "Bob";
    TipRecord tip{};
    tip.stroke = "Volley";
    tip.kind = "T";
    tip.level = 2;
    tip.tipText = "Punch it";
    PhoneRecord entry;
    entry.name = "Cy";
    struct Case {
        const char* file;
        Strings good, bad;
        std::function<int()> rebuild;
    };
    auto badDate = [](std::string line) { return line.replace(1, 8, "2/30/2002"); };
    TipRecord badLevel = tip;
    badLevel.level = 7;
    PhoneRecord noName = entry;
    noName.name.clear();
    std::vector<Case> cases{
        {"play.dat",
         {outing.ToLine(), outing.ToHistoryLine()},
         {badDate(outing.ToLine()), outing.ToLine() + ",", "\"garbage\""},
         [] {
             KVR_PlayData store;
             return store.rebuild_file();
         }},
        {"chart.dat",
         {chart.ToLine()},
         {badDate(chart.ToLine()), chart.ToLine() + ",\"1\"", "3/3/2003"},
         [] {
             KVR_ChartClass store;
             return store.rebuild_file();
         }},
        {"volley.tip",
         {tip.ToLine()},
         {badLevel.ToLine(), tip.ToLine().substr(1)},
         [] {
             TipClass store;
             store.Select("Volley");
             return store.rebuild_file();
         }},
        {"phone.dat",
         {entry.ToLine()},
         {noName.ToLine()},
         [] {
             KVR_PhoneData store;
             return store.rebuild_file();
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        std::string contents = "ZBD Data File Formet 2.0\r\n7\r\n";
        for (size_t i = 0; i < std::max(c.good.size(), c.bad.size()); ++i) {
            if (i < c.good.size())
                contents += c.good[i] + "\r\n";
            if (i < c.bad.size())
                contents += c.bad[i] + "\r\n";
        }
        WriteFile(c.file, contents);
        std::string stem = std::string(c.file).substr(0, std::string(c.file).find('.'));
        WriteFile(stem + ".old", "an earlier copy");
        EXPECT_EQ(c.rebuild(), static_cast<int>(c.good.size()));
        EXPECT_EQ(ReadFile(stem + ".old"), "an earlier copy");
        EXPECT_EQ(ReadFile(stem + "1.old"), contents);
        std::string dis;
        dis += "ZBD Data File Formet 2.0\r\n";
        for (const std::string& line : c.bad)
            dis += line + "\r\n";
        EXPECT_EQ(ReadFile(stem + "1.dis"), dis);
    }
}

// Texts a player may type that open with a comma or set a double quote
// beside one, and what the files keep of each: a double quote directly
// before a comma is written as a single quote, everything else as typed.
const std::vector<std::pair<std::string, std::string>> kCommaTexts{
    {",4,a", ",4,a"}, {",", ","},      {",,x", ",,x"},
    {",\"", ",\""},   {"\",x", "',x"}, {"\"\"", "\"\""}};

// Record k holds text k + g in its typed field g, so that every field holds
// every text and a shifted field shows. The records are stored with `save`
// and those `read` gives back must hold every field as the file keeps it.
template <class Record>
void ExpectCommaTextsKept(Record record, const std::vector<std::string Record::*>& typed,
                          const std::function<void(const std::vector<Record>&)>& save,
                          const std::function<std::vector<Record>()>& read) {
    std::vector<Record> records;
    std::multiset<Strings> expected, rows;
    for (size_t k = 0; k < kCommaTexts.size(); ++k) {
        Strings kept;
        for (size_t g = 0; g < typed.size(); ++g) {
            const auto& [text, keeps] = kCommaTexts[(k + g) % kCommaTexts.size()];
            record.*typed[g] = text;
            kept.push_back(keeps);
        }
        records.push_back(record);
        expected.insert(kept);
    }
    save(records);
    for (const Record& back : read()) {
        Strings row;
        for (auto field : typed)
            row.push_back(back.*field);
        rows.insert(row);
    }
    EXPECT_EQ(rows, expected);
}

// Through a store's save and load, with nothing reported damaged.
template <class Store, class Record>
void ExpectStoreKeepsCommaTexts(Store& writer, Store& reader, const Record& record,
                                const std::vector<std::string Record::*>& typed) {
    ExpectCommaTextsKept<Record>(
        record, typed,
        [&writer](const std::vector<Record>& records) {
            for (const Record& each : records)
                writer.AddCopy(each);
            ASSERT_EQ(writer.Save(), 1);
        },
        [&reader] {
            EXPECT_EQ(reader.Load(), 1) << reader.FileName();
            std::vector<Record> records;
            for (unsigned i = 0; i < reader.Count(); ++i)
                records.push_back(*reader.At(static_cast<int>(i)));
            return records;
        });
}

// A text that opens with a comma once ended its quoted field at once and
// shifted the rest of its line: every store took the line for damage, and
// the history read it shifted.
TEST_F(DataReadingTest, TextsOpeningWithACommaAreReadBackWhole) {
    const std::vector<std::string PlayRecord::*> outing{
        &PlayRecord::singlesDoubles, &PlayRecord::partner, &PlayRecord::who,
        &PlayRecord::secondOpponent, &PlayRecord::time,    &PlayRecord::kind,
        &PlayRecord::result,         &PlayRecord::score,   &PlayRecord::matchNotes,
        &PlayRecord::practiceNotes};
    KVR_PlayData play, playRead;
    ExpectStoreKeepsCommaTexts(play, playRead, kvrtest::MakePlay("3/1/2025"), outing);
    KVR_ChartClass charts, chartsRead;
    ExpectStoreKeepsCommaTexts(charts, chartsRead, kvrtest::MakeChart("3/1/2025", ""),
                               {&ChartRecord::opponent, &ChartRecord::score});
    SchedClass events, eventsRead;
    ExpectStoreKeepsCommaTexts(
        events, eventsRead, kvrtest::MakeEvent("3/1/2025", ""),
        {&SchedRecord::who, &SchedRecord::time, &SchedRecord::where, &SchedRecord::notes});
    KVR_PhoneData phones, phonesRead;
    ExpectStoreKeepsCommaTexts(phones, phonesRead, kvrtest::MakePhone(""),
                               {&PhoneRecord::name, &PhoneRecord::phoneNumber,
                                &PhoneRecord::playingSide, &PhoneRecord::playingStyle,
                                &PhoneRecord::backhandStyle, &PhoneRecord::rating,
                                &PhoneRecord::notes});
    TipClass tips, tipsRead;
    tips.Select("Serve");
    tipsRead.Select("Serve");
    ExpectStoreKeepsCommaTexts(tips, tipsRead, kvrtest::MakeTip("", 1, 5),
                               {&TipRecord::kind, &TipRecord::tipText});
    // history.dat as a goal-period change writes it, read by its reader.
    ExpectCommaTextsKept<PlayRecord>(
        kvrtest::MakePlay("3/1/2025"), outing,
        [](const std::vector<PlayRecord>& past) { kvrtest::WritePlayFiles({}, past); },
        [] {
            KVR_History history;
            std::vector<PlayRecord> past;
            while (history.ReadNext() == 1)
                past.push_back(history.Current());
            EXPECT_EQ(history.LoadResult(), 1);
            return past;
        });
}

TEST_F(DataReadingTest, KeptNamesNeverTakeTheGoalPeriodsNames) {
    EXPECT_EQ(kvr::FreeKeptNames("play.dat").old, "play1.old");
    EXPECT_EQ(kvr::FreeKeptNames("history.dat").dis, "history1.dis");
    EXPECT_EQ(kvr::FreeKeptNames("chart.dat").old, "chart.old");
    WriteFile("chart.dis", "");
    WriteFile("chart1.old", "");
    EXPECT_EQ(kvr::FreeKeptNames("chart.dat").old, "chart2.old");
    EXPECT_EQ(kvr::FreeKeptNames("forehand.tip").dis, "forehand.dis");
}

TEST_F(DataReadingTest, HistoryIsConvertedOnlyWhenItIsOfTheOldLayout) {
    PlayRecord outing;
    outing.date = "2/2/2002";
    outing.who = "Ann";
    struct Case {
        std::string contents;
        int result;
    };
    for (const Case& c : std::vector<Case>{
             // Eight-line records, each on a valid date; the last one short.
             {Lines({"title", "1/1/2001", "M", "1", "Ann", "", "W", "", "", "1/2/2001", "P"}), 1},
             // Current records behind a damaged header.
             {Lines(
                  {"KVR History Data Formet 2.0", outing.ToHistoryLine(), outing.ToHistoryLine()}),
              -1},
             // A group that does not open with a date.
             {Lines({"title", "1/1/2001", "M", "1", "Ann", "", "W", "", "", "Bob", "P"}), -1},
         }) {
        WriteFile("history.dat", c.contents);
        KVR_History history;
        EXPECT_EQ(history.Rewind(), c.result == 1 ? 1 : 0) << c.contents;
        EXPECT_EQ(history.LoadResult(), c.result) << c.contents;
        if (c.result == 1) {
            EXPECT_EQ(ReadFile("history1.old"), c.contents);
            EXPECT_EQ(history.CountRecords(), 2);
            std::filesystem::remove("history1.old");
        } else {
            EXPECT_EQ(ReadFile("history.dat"), c.contents);
            // The rollover refuses to run over a history it cannot read.
            KVR_PlayData store;
            store.AddCopy(outing);
            ASSERT_EQ(store.Save(), 1);
            EXPECT_EQ(store.StartNewGoalPeriod(), -1);
            EXPECT_EQ(ReadFile("history.dat"), c.contents);
            EXPECT_EQ(store.Count(), 1u);
        }
    }
}

} // namespace
