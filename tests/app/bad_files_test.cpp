// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up with data files that real machines produce: damaged headers,
// zeroed blocks, other encodings and line ends, files that cannot be read.
// Every case ends with each record either in its store or in a kept copy,
// and with a message for each failure.
#include "charting/chart_store.h"
#include "core/history.h"
#include "core/play_store.h"
#include "phonebook/phone_store.h"
#include "schedule/sched_store.h"
#include "support/app_fixture.h"

#include <cctype>
#include <cstdio>
#include <functional>
#include <sys/stat.h>

#include <QSignalSpy>

namespace kvrtest {
namespace {

const QString kFinal = QStringLiteral(
    "Unable to load all data files.\nRead previous messages to determine which file caused "
    "error.\nUse a text editor to examine the '*.dis' file\nto view any disgarded records that "
    "you may be able to manually reenter.\nIf a backup file is available, exit program and "
    "replace bad file.\n");

QString Corrupted(const QString& kind, const QString& file) {
    return QStringLiteral("%1 data file missing or corrupted, unable to load '%2'!\nWill attempt "
                          "to rebuild file....")
        .arg(kind, file);
}

QString Rebuilt(const QString& file, int records, const QString& old, const QString& dis) {
    return QStringLiteral("'%1' rebuilt with %2 records.\nOld file saved as '%3'\nCorrupted "
                          "records were disgarded and saved in file '%4'")
        .arg(file)
        .arg(records)
        .arg(old, dis);
}

QString Newer(const QString& file) {
    return QStringLiteral("'%1' was written by a newer version of Kavora and cannot be read.\n"
                          "Nothing will be written over it.")
        .arg(file);
}

QString Unreadable(const QString& file, const QString& reason) {
    return QStringLiteral("Unable to read '%1': %2.\nThe file was not rebuilt, and nothing will "
                          "be written over it.")
        .arg(file, reason);
}

std::string Joined(const std::vector<std::string>& lines, const std::string& end = "\r\n") {
    std::string text;
    for (const auto& line : lines)
        text += line + end;
    return text;
}

std::vector<std::string> Names(const char* stem, int count) {
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i)
        names.push_back(std::string(stem) + " " + std::to_string(100 + i));
    return names;
}

std::vector<std::string> PlayLines(const std::vector<std::string>& names, bool history = false) {
    std::vector<std::string> lines;
    int day = 1;
    for (const auto& name : names) {
        PlayRecord record;
        record.date = "3/" + std::to_string(day++ % 28 + 1) + "/2025";
        record.who = name;
        record.kind = "P";
        record.time = "1.5";
        record.Rating(kvr::Stroke::Serve, kvr::Level::Power) = 7;
        lines.push_back(history ? record.ToHistoryLine() : record.ToLine());
    }
    return lines;
}

std::vector<std::string> ChartLines(const std::vector<std::string>& names) {
    std::vector<std::string> lines;
    for (const auto& name : names) {
        ChartRecord chart;
        chart.date = "4/2/2025";
        chart.opponent = name;
        chart.score = "6-4 6-4";
        chart.aces = 3;
        lines.push_back(chart.ToLine());
    }
    return lines;
}

std::string PhoneLine(const std::string& name) {
    PhoneRecord entry;
    entry.name = name;
    entry.phoneNumber = "555 0101";
    entry.notes = "Left-handed, loves the net";
    return entry.ToLine();
}

std::string SchedLine(const std::string& name) {
    SchedRecord event;
    event.date = "5/6/2025";
    event.who = name;
    event.time = "6 pm";
    event.where = "Club";
    return event.ToLine();
}

// UTF-16 little endian with its byte order mark (as an editor saves it).
std::string Utf16(const std::string& utf8) {
    QString text = QString::fromUtf8(utf8);
    std::string bytes = "\xff\xfe";
    for (QChar c : text) {
        bytes += static_cast<char>(c.unicode() & 0xff);
        bytes += static_cast<char>(c.unicode() >> 8);
    }
    return bytes;
}

std::vector<std::string> StoreNames(TKvrWinApp& app, const std::string& file) {
    std::vector<std::string> names;
    auto collect = [&names](auto& store, auto member) {
        for (unsigned i = 0; i < store.Count(); ++i)
            names.push_back(store.At(static_cast<int>(i))->*member);
    };
    if (file == "play.dat")
        collect(app.PlayStore(), &PlayRecord::who);
    else if (file == "chart.dat")
        collect(app.ChartStore(), &ChartRecord::opponent);
    else if (file == "phone.dat")
        collect(app.PhoneStore(), &PhoneRecord::name);
    else if (file == "sched.dat")
        collect(app.SchedStore(), &SchedRecord::who);
    else if (file == "history.dat") {
        KVR_History& history = app.PlayStore().History();
        history.Rewind();
        while (history.ReadNext() == 1)
            names.push_back(history.Current().who);
    }
    return names;
}

// The text of every copy kept beside the data files.
std::string KeptText() {
    std::string text;
    for (const auto& entry : std::filesystem::directory_iterator(".")) {
        auto extension = entry.path().extension();
        if (extension == ".old" || extension == ".dis")
            text += ReadFile(entry.path().string());
    }
    return text;
}

struct BadFile {
    std::string name;
    std::string file;                 // the data file under test
    std::string contents;             // its bytes
    std::vector<std::string> records; // the names of the records it still holds
    size_t loaded;                    // records the store ends with
    std::vector<QString> messages;
    std::string keptAs;  // where the original bytes must be, when not left as they were
    bool window = false; // told once the window is up, not as the stores load
};

std::string ZeroedFirstBlock(std::string contents) {
    std::fill_n(contents.begin(), std::min<size_t>(4096, contents.size()), '\0');
    return contents;
}

// The names of the records whose lines start after the zeroed block, the
// first line starting at `offset`: the others were lost to the damage itself.
std::vector<std::string> AfterFirstBlock(const std::vector<std::string>& lines,
                                         const std::vector<std::string>& names, size_t offset) {
    std::vector<std::string> left;
    for (size_t i = 0; i < lines.size(); offset += lines[i].size() + 2, ++i)
        if (offset >= 4096)
            left.push_back(names[i]);
    return left;
}

std::vector<BadFile> Cases() {
    std::vector<BadFile> cases;
    const QString final = kFinal;

    auto play = Names("Player", 30);
    std::string playFile = Joined({"ZBD Data File Formet 2.0", "30"}) + Joined(PlayLines(play));
    cases.push_back(
        {"PlayHeaderDamagedByOneByte",
         "play.dat",
         playFile,
         play,
         30,
         {Corrupted("Play", "play.dat"), Rebuilt("play.dat", 30, "play1.old", "play1.dis"), final},
         "play1.old"});

    auto charts = Names("Opponent", 60);
    auto chartLines = ChartLines(charts);
    std::string chartFile =
        ZeroedFirstBlock(Joined({"ZBD Data File Format 2.0", "60"}) + Joined(chartLines));
    auto chartsLeft = AfterFirstBlock(chartLines, charts, 30);
    const int left = static_cast<int>(chartsLeft.size());
    cases.push_back({"ChartFirstBlockZeroed",
                     "chart.dat",
                     chartFile,
                     chartsLeft,
                     chartsLeft.size(),
                     {Corrupted("Chart", "chart.dat"),
                      Rebuilt("chart.dat", left, "chart.old", "chart.dis"), final},
                     "chart.old"});

    auto phone = Names("Zo\xc3\xab", 5);
    std::vector<std::string> phoneLines{"ZBD Data File Format 2.5", "5"};
    for (const auto& name : phone)
        phoneLines.push_back(PhoneLine(name));
    cases.push_back({"PhoneInUtf16", "phone.dat", Utf16(Joined(phoneLines)), phone, 5, {}, ""});

    std::vector<std::string> noCount{"ZBD Data File Format 2.5"};
    for (const auto& name : phone)
        noCount.push_back(PhoneLine(name));
    cases.push_back({"PhoneWithoutItsCountLine", "phone.dat", Joined(noCount), phone, 5, {}, ""});

    auto events = Names("Event", 4);
    std::vector<std::string> schedLines{"ZBD Data File Format 2.0", "4"};
    for (const auto& name : events)
        schedLines.push_back(SchedLine(name));
    cases.push_back(
        {"SchedWithMacLineEnds", "sched.dat", Joined(schedLines, "\r"), events, 4, {}, ""});

    std::vector<std::string> oldSched{"1"};
    for (const auto& name : events)
        for (std::string line : {name, std::string("5/6/2025"), std::string("6 pm"),
                                 std::string("Club"), std::string("")})
            oldSched.push_back(line);
    cases.push_back(
        {"OldSchedWithTooLowACount", "sched.dat", Joined(oldSched), events, 4, {}, "sched.old"});

    // An old play.dat whose first record is out of step is damaged, and an
    // old layout is never rebuilt: it stays as it is, with the records in it.
    std::vector<std::string> oldPlay{"1", "5", "1/1/2001", "M", "1", "Kept", "6-1", "W", "", ""};
    oldPlay.resize(oldPlay.size() + 24, "5");
    const QString playFailed = QStringLiteral("Rebuilding attempt for 'play.dat' FAILED!");
    cases.push_back({"OldPlayOutOfStep",
                     "play.dat",
                     Joined(oldPlay),
                     {},
                     0,
                     {Corrupted("Play", "play.dat"), playFailed, final},
                     ""});

    // One blank line no longer hides the 290 records behind it.
    auto blank = PlayLines(Names("Past", 300), true);
    blank.insert(blank.begin() + 10, "");
    cases.push_back({"HistoryWithABlankLine",
                     "history.dat",
                     Joined({"KVR History Data Format 2.0"}) + Joined(blank),
                     Names("Past", 300),
                     300,
                     {},
                     ""});

    // Damaged lines inside a current file, in each store: NUL bytes over the
    // end of a line, a last record cut short, a line that is no record. The
    // records read are kept, the damaged lines go to the .dis copy.
    struct Store {
        std::string file, header, kind, old, dis;
        std::function<std::string(const std::string&)> line;
    };
    const std::vector<Store> stores{
        {"play.dat", "ZBD Data File Format 2.0", "Play", "play1.old", "play1.dis",
         [](const std::string& name) { return PlayLines({name})[0]; }},
        {"chart.dat", "ZBD Data File Format 2.0", "Chart", "chart.old", "chart.dis",
         [](const std::string& name) { return ChartLines({name})[0]; }},
        {"phone.dat", "ZBD Data File Format 2.5", "Phone Book", "phone.old", "phone.dis",
         PhoneLine},
        {"sched.dat", "ZBD Data File Format 2.0", "Schedule", "sched.old", "sched.dis", SchedLine},
    };
    for (const Store& store : stores) {
        auto names = Names("Kept", 3);
        std::vector<std::string> lines;
        for (const auto& name : names)
            lines.push_back(store.line(name));
        QString corrupted =
            store.kind == "Phone Book"
                ? QStringLiteral("Phone Book data file missing or corrupted, unable "
                                 "to load 'phone.dat'\nAttemping to rebuild file....")
                : Corrupted(QString::fromStdString(store.kind), QString::fromStdString(store.file));
        std::vector<QString> messages{corrupted,
                                      Rebuilt(QString::fromStdString(store.file), 2,
                                              QString::fromStdString(store.old),
                                              QString::fromStdString(store.dis)),
                                      final};
        std::string stem = store.file.substr(0, store.file.find('.'));
        stem[0] = static_cast<char>(std::toupper(stem[0]));

        // NUL bytes from the eighth byte of the middle line on (a date or a
        // name cut short); what they hid is lost to the damage itself.
        std::string zeroed = lines[1];
        std::fill(zeroed.begin() + 7, zeroed.end(), '\0');
        cases.push_back({stem + "LineEndedByNulBytes",
                         store.file,
                         Joined({store.header, "3", lines[0], zeroed, lines[2]}),
                         {names[0], names[2]},
                         2,
                         messages,
                         store.old});

        // The file ends in the middle of its last record.
        std::string cut = Joined({store.header, "3", lines[0], lines[1]}) +
                          lines[2].substr(0, lines[2].size() - 4);
        if (cut.back() == '"')
            cut.pop_back();
        cases.push_back(
            {stem + "LastRecordCutShort", store.file, cut, names, 2, messages, store.old});

        cases.push_back({stem + "LineThatIsNoRecord",
                         store.file,
                         Joined({store.header, "3", lines[0], "garbage: not a record", lines[2]}),
                         {names[0], names[2]},
                         2,
                         messages,
                         store.old});

        // A file of a newer version is named as such, left as it is and
        // never rebuilt.
        std::string newer = store.header.substr(0, store.header.rfind(' ')) + " 9.0";
        cases.push_back({stem + "OfANewerVersion",
                         store.file,
                         Joined({newer, "3", lines[0], lines[1], lines[2]}),
                         {},
                         0,
                         {Newer(QString::fromStdString(store.file)), final},
                         ""});
    }
    // Damaged lines inside a current history are found by the start's read
    // of the past records: the history is told and rebuilt once the window
    // is up, the records read kept, the damaged line in the .dis copy.
    auto pastNames = Names("Past", 3);
    auto pastLines = PlayLines(pastNames, true);
    std::string zeroedPast = pastLines[1];
    std::fill(zeroedPast.begin() + 7, zeroedPast.end(), '\0');
    for (const auto& [name, middle] :
         {std::pair{"HistoryLineEndedByNulBytes", zeroedPast},
          std::pair{"HistoryLineWithAFieldTooMany", pastLines[1] + ",\"x\""}})
        cases.push_back(
            {name,
             "history.dat",
             Joined({"KVR History Data Format 2.0", pastLines[0], middle, pastLines[2]}),
             {pastNames[0], pastNames[2]},
             2,
             {Corrupted("History", "history.dat"),
              Rebuilt("history.dat", 2, "history1.old", "history1.dis"), final},
             "history1.old",
             true});
    cases.push_back(
        {"HistoryOfANewerVersion",
         "history.dat",
         Joined({"KVR History Data Format 3.0"}) + Joined(PlayLines(Names("Future", 2), true)),
         {},
         0,
         {Newer(QStringLiteral("history.dat")), final},
         ""});

    // An old history ends at its writer's end mark, an empty date line,
    // whatever follows it; the original is kept.
    auto oldPast = Names("Old", 3);
    std::vector<std::string> oldHistory{"Kavora History"};
    for (const auto& name : oldPast)
        for (const std::string& line :
             {std::string("3/7/01"), std::string("M"), std::string("1.5"), name, std::string("6-4"),
              std::string("W"), std::string("Deep"), std::string("")})
            oldHistory.push_back(line);
    for (const char* line : {"", "M", "leftover of an earlier write", "\x01\x02"})
        oldHistory.push_back(line);
    cases.push_back({"OldHistoryEndingAtItsEndMark",
                     "history.dat",
                     Joined(oldHistory),
                     oldPast,
                     3,
                     {},
                     "history1.old"});

    auto past = Names("Past", 20);
    std::string historyFile =
        Joined({"KVR History Data Fornat 2.0"}) + Joined(PlayLines(past, true));
    std::string oldDamaged = Joined({"old history", "3/1/2001", "M", "1.5", "Kept", "6-1", "W", "",
                                     "", "not a date", "P", "2", "Bob", "", "", "", ""});
    cases.push_back({"OldHistoryDamaged",
                     "history.dat",
                     oldDamaged,
                     {},
                     0,
                     {Corrupted("History", "history.dat"),
                      QStringLiteral("Rebuilding attempt for 'history.dat' FAILED!"), final},
                     ""});
    cases.push_back({"HistoryHeaderDamagedByOneByte",
                     "history.dat",
                     historyFile,
                     past,
                     20,
                     {Corrupted("History", "history.dat"),
                      Rebuilt("history.dat", 20, "history1.old", "history1.dis"), final},
                     "history1.old"});
    return cases;
}

class BadFileTest : public AppTest, public ::testing::WithParamInterface<BadFile> {};

TEST_P(BadFileTest, EveryRecordIsKeptAndEveryFailureTold) {
    const BadFile& bad = GetParam();
    WriteFile(bad.file, bad.contents);
    if (bad.window) {
        WriteCoach();
        StartWindow();
        WaitForFirstPaint(Client());
    } else {
        StartApp();
    }

    EXPECT_EQ(Responder().Texts(), bad.messages);
    auto names = StoreNames(*app_, bad.file);
    EXPECT_EQ(names.size(), bad.loaded);
    std::string kept = KeptText();
    for (const auto& name : bad.records) {
        bool inStore = std::find(names.begin(), names.end(), name) != names.end();
        EXPECT_TRUE(inStore || kept.find(name) != std::string::npos) << name;
    }
    if (bad.keptAs.empty())
        EXPECT_EQ(ReadFile(bad.file), bad.contents);
    else
        EXPECT_EQ(ReadFile(bad.keptAs), bad.contents);
}

INSTANTIATE_TEST_SUITE_P(StartUp, BadFileTest, ::testing::ValuesIn(Cases()),
                         [](const auto& param) { return param.param.name; });

// A FIFO in place of any file the program reads is refused at once: no load
// and no backup waits for a writer. ctest gives these tests a time limit.
class SpecialFileTest : public AppTest, public ::testing::WithParamInterface<std::string> {};

TEST_P(SpecialFileTest, AFifoInPlaceOfAFileIsReportedAndKept) {
    const std::string& file = GetParam();
    const std::string coach = Lines({"KVR Coach Data Format 1.0", "Pat Smith"});
    const std::string play =
        Joined({"ZBD Data File Format 2.0", "1"}) + Joined(PlayLines(Names("Kept", 1)));
    WriteFile("coach.dat", coach);
    WriteFile("play.dat", play);
    std::filesystem::remove(file);
    ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
    StartWindow();
    WaitForFirstPaint(Client());

    std::vector<QString> texts = Responder().Texts();
    const QString name = QString::fromStdString(file);
    if (file == "coach.dat") {
        ASSERT_FALSE(texts.empty());
        EXPECT_EQ(texts[0], QStringLiteral("Unable to read your name from 'coach.dat': not a "
                                           "regular file.\nThe program goes on without it, and "
                                           "the file will not be written over."));
        EXPECT_TRUE(Responder().DialogsRun().empty()); // not asked again
        EXPECT_TRUE(app_->PlayerName().isEmpty());
    } else if (file != "forehand.tip") {
        ASSERT_GE(texts.size(), 2u);
        EXPECT_EQ(texts[0], Unreadable(name, QStringLiteral("not a regular file")));
        EXPECT_EQ(texts[1], kFinal);
        EXPECT_EQ(app_->PlayerName(), QStringLiteral("Pat Smith"));
    }
    // The day's backup is made of the other files and names this one.
    ASSERT_FALSE(texts.empty());
    EXPECT_TRUE(texts.back().startsWith(QStringLiteral("Today's backup")));
    EXPECT_TRUE(texts.back().contains(
        QStringLiteral("'%1' could not be read: not a regular file").arg(name)));
    std::vector<std::filesystem::path> days;
    for (const auto& entry : std::filesystem::directory_iterator("backups"))
        days.push_back(entry.path());
    ASSERT_EQ(days.size(), 1u);
    EXPECT_NE(days[0].extension(), ".partial");
    if (file != "play.dat") {
        EXPECT_EQ(ReadFile((days[0] / "play.dat").string()), play);
    }
    EXPECT_TRUE(std::filesystem::is_fifo(file));
    if (file != "coach.dat") {
        EXPECT_EQ(ReadFile("coach.dat"), coach);
    }
}

INSTANTIATE_TEST_SUITE_P(StartUp, SpecialFileTest,
                         ::testing::Values("chart.dat", "play.dat", "history.dat", "phone.dat",
                                           "sched.dat", "coach.dat", "forehand.tip"),
                         [](const auto& param) {
                             std::string name = param.param;
                             name[name.find('.')] = '_';
                             return name;
                         });

// A goal-period change over a play.dat of one record and no count line, cut
// before play.dat was emptied: start-up undoes it, so the record stays in
// play.dat alone and is never doubled into history.dat.
using CutGoalPeriodChangeTest = AppTest;

TEST_F(CutGoalPeriodChangeTest, CountlessOneRecordPlayFileKeepsItsRecordOnce) {
    const std::string play = Joined({"ZBD Data File Format 2.0"}) + Joined(PlayLines({"Once"}));
    WriteFile("play.dat", play);
    WriteFile("history.next",
              Joined({"KVR History Data Format 2.0"}) + Joined(PlayLines({"Once"}, true)));
    StartApp();
    EXPECT_TRUE(Responder().Texts().empty());
    EXPECT_FALSE(Exists("history.next"));
    EXPECT_EQ(StoreNames(*app_, "play.dat"), std::vector<std::string>{"Once"});
    EXPECT_TRUE(StoreNames(*app_, "history.dat").empty());
    EXPECT_EQ(ReadFile("play.dat"), play);
}

// A file that is there but cannot be read is neither taken for a missing
// one nor rebuilt: the player is told why, and nothing is written over it.
class UnreadableFileTest : public AppTest {};

TEST_F(UnreadableFileTest, ALinkThatCannotBeOpenedIsReportedAndKept) {
    // A symbolic link to itself cannot be opened by anyone, root included.
    std::filesystem::create_symlink("chart.dat", "chart.dat");
    StartApp();
    EXPECT_EQ(Responder().Texts(),
              (std::vector<QString>{Unreadable(QStringLiteral("chart.dat"),
                                               QStringLiteral("Too many levels of symbolic links")),
                                    kFinal}));
    EXPECT_FALSE(Exists("chart.old"));
    app_->ChartStore().AddCopy(ChartRecord());
    EXPECT_EQ(app_->ChartStore().Save(), 0);
    EXPECT_TRUE(std::filesystem::is_symlink("chart.dat"));
}

TEST_F(UnreadableFileTest, APlayFileWithoutReadPermissionIsReportedAndKept) {
    const std::string play =
        Joined({"ZBD Data File Format 2.0", "1"}) + Joined(PlayLines(Names("Kept", 1)));
    WriteFile("play.dat", play);
    ::chmod("play.dat", 0);
    if (std::FILE* readable = std::fopen("play.dat", "rb")) {
        std::fclose(readable);
        GTEST_SKIP() << "running as a user who can read any file";
    }
    StartApp();
    EXPECT_EQ(
        Responder().Texts(),
        (std::vector<QString>{
            Unreadable(QStringLiteral("play.dat"), QStringLiteral("Permission denied")), kFinal}));
    EXPECT_FALSE(Exists("play1.old"));
    app_->PlayStore().AddCopy(PlayRecord());
    EXPECT_EQ(app_->PlayStore().Save(), 0);
    EXPECT_LT(app_->PlayStore().StartNewGoalPeriod(), 1);
    ::chmod("play.dat", 0600);
    EXPECT_EQ(ReadFile("play.dat"), play);
}

} // namespace
} // namespace kvrtest
