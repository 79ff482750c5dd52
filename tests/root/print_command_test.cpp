// SPDX-License-Identifier: GPL-3.0-or-later
// kavora --print as a real process: the pages it writes, read back from the
// PDF with their words and places.
#include "printing/printing_fixture.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <tuple>

#include <QDir>
#include <QProcessEnvironment>

namespace kvrtest {
namespace {

struct KavoraRun {
    int code = -1;
    QStringList errorLines;
};

// Runs kavora in the working folder with `arguments`, in the locale
// `locale`, without a screen named: the program chooses none itself.
KavoraRun Kavora(const QStringList& arguments, const QString& locale = QStringLiteral("C.UTF-8")) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.insert(QStringLiteral("LC_ALL"), locale);
    const ProcessRun kavora = RunProcess(QStringLiteral(KAVORA_BINARY), arguments, environment);
    KavoraRun run;
    run.code = kavora.code;
    for (const QString& line : QString::fromLocal8Bit(kavora.err).split('\n'))
        if (line.startsWith(QLatin1String("kavora:")))
            run.errorLines << line;
    return run;
}

std::vector<PdfPage> Print(const QStringList& arguments,
                           const QString& locale = QStringLiteral("C.UTF-8")) {
    const QString out = QDir::current().absoluteFilePath(QStringLiteral("out.pdf"));
    QFile::remove(out);
    const KavoraRun run = Kavora(QStringList{QStringLiteral("--print")} + arguments +
                                     QStringList{QStringLiteral("--out"), out},
                                 locale);
    EXPECT_EQ(run.code, 0) << run.errorLines.join('\n').toStdString();
    return ReadPdf(out);
}

// The dates that open the entries of a page, in order.
QStringList EntryDates(const PdfPage& page) {
    static const QRegularExpression date(QStringLiteral("^[0-9]+/[0-9]+/[0-9]{4}$"));
    QStringList dates;
    for (const PdfWord& word : page.words)
        if (date.match(word.text).hasMatch())
            dates << word.text;
    return dates;
}

QString AllText(const std::vector<PdfPage>& pages) {
    QStringList texts;
    for (const PdfPage& page : pages)
        texts << page.Text();
    return texts.join(QLatin1Char(' '));
}

class PrintCommandTest : public TempDirTest {};

// Practice notes come from every outing that has them, lesson notes from
// the lessons, newest first across the current and past goal periods, seven
// to a page, each printed whole under its date line; a report that runs out
// exactly at the end of a page ends there, and one with no notes is a page
// with its heading only.
TEST_F(PrintCommandTest, NotesReportsHoldTheirNotesPageByPage) {
    // Longer than four lines of the page's type: set smaller, never cut.
    const std::string longNote =
        "Long rally work from the baseline: hit deep crosscourt, change direction down the line "
        "on a short ball, recover to the centre mark, split step before every shot, and finish "
        "each point at the net with a firm punch volley into the open court. Then the same from "
        "the backhand corner, twenty balls each, counting only the rallies that land beyond the "
        "service line, and a last set of serves to the body on the deuce and the ad side.";
    std::vector<PlayRecord> current = {
        Outing("3/1/2026", "P", "Ann Smith", "", "Serves to the T"),
        Outing("3/2/2026", "M", "Bob Jones", "Won the tiebreak", "Second serve kick"),
        Outing("3/3/2026", "L", "Coach Kim", "Grip change", ""),
        Outing("3/4/2026", "P", "Ann Smith", "", longNote),
        Outing("3/5/2026", "P", "Ann Smith", "", "Drop shot touch"),
    };
    std::vector<PlayRecord> past = {
        Outing("2/20/2026", "P", "Ann Smith", "", "Lob defence"),
        Outing("2/10/2026", "L", "Coach Kim", "Footwork ladder", "Shadow swings"),
        Outing("2/5/2026", "P", "Ann Smith", "", "Return of serve blocks"),
        Outing("1/30/2026", "P", "Ann Smith", "", "Overheads"),
        Outing("1/20/2026", "M", "Dee Lane", "Lost the third", ""),
    };
    WritePlayData(current, past);

    std::vector<PdfPage> pages = Print({QStringLiteral("practice")});
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(EntryDates(pages[0]), (QStringList{"3/5/2026", "3/4/2026", "3/2/2026", "3/1/2026",
                                                 "2/20/2026", "2/10/2026", "2/5/2026"}));
    EXPECT_EQ(EntryDates(pages[1]), QStringList{"1/30/2026"});
    for (const PdfPage& page : pages) {
        EXPECT_TRUE(
            page.Text().startsWith(QStringLiteral("The Kavora Practice Notes For Pat Smith")));
        EXPECT_NE(page.Find(QString::number(&page - pages.data() + 1)), nullptr);
    }
    const QString text = AllText(pages);
    for (const std::vector<PlayRecord>* records : {&current, &past})
        for (const PlayRecord& record : *records)
            if (!record.practiceNotes.empty()) {
                EXPECT_TRUE(text.contains(QString::fromStdString(record.practiceNotes)))
                    << record.practiceNotes;
            }
    EXPECT_FALSE(text.contains(QStringLiteral("Grip change")));
    EXPECT_FALSE(text.contains(QStringLiteral("Won the tiebreak"))); // match notes stay out
    // Nothing runs into the page number at the foot of the page.
    const PdfWord* pageWord = pages[0].Find(QStringLiteral("Page"));
    ASSERT_NE(pageWord, nullptr);
    for (const PdfWord& word : pages[0].words)
        if (&word != pageWord && word.text != QStringLiteral("1")) {
            EXPECT_LT(word.box.bottom(), pageWord->box.top()) << word.text.toStdString();
        }

    pages = Print({QStringLiteral("lesson")});
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(EntryDates(pages[0]), (QStringList{"3/3/2026", "2/10/2026"}));
    for (const char* notes : {"Grip change", "Footwork ladder", "Shadow swings"})
        EXPECT_TRUE(pages[0].Text().contains(QString::fromLatin1(notes))) << notes;

    pages =
        Print({QStringLiteral("match"), QStringLiteral("--opponent"), QStringLiteral("Nobody")});
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_TRUE(EntryDates(pages[0]).isEmpty());
    EXPECT_EQ(pages[0].Text(),
              QStringLiteral("The Kavora Match Notes Playing Nobody For Pat Smith Page 1"));

    // Five full pages at most: the newest notes, and a word on the others.
    std::vector<PlayRecord> many;
    for (int day = 1; day <= 37; ++day)
        many.push_back(Outing("1/" + std::to_string(day % 28 + 1) + "/2025", "P", "Ann Smith", "",
                              "Drill " + std::to_string(day)));
    WritePlayData(current, many);
    pages = Print({QStringLiteral("practice")});
    ASSERT_EQ(pages.size(), 5u);
    EXPECT_EQ(EntryDates(pages[4]).size(), 7);
    EXPECT_TRUE(AllText(pages).contains(QStringLiteral("Drill 31")));
    EXPECT_FALSE(AllText(pages).contains(QStringLiteral("Drill 32")));
    const KavoraRun run = Kavora({QStringLiteral("--print"), QStringLiteral("practice"),
                                  QStringLiteral("--out"), QStringLiteral("many.pdf")});
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.errorLines,
              QStringList{"kavora: 6 older notes did not fit in the report's 5 pages"});

    // Seven practice notes fill one page and end the report.
    past.pop_back();
    past.pop_back();
    WritePlayData(current, past);
    pages = Print({QStringLiteral("practice")});
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(EntryDates(pages[0]).size(), 7);
}

// The opponent filter takes the matches whose opponent or second opponent
// holds the text, in any case, from both goal periods, and nothing else.
TEST_F(PrintCommandTest, MatchFilterFindsTheOpponentInEitherName) {
    PlayRecord doubles =
        Outing("4/2/2026", "M", "Bob Jones", "Doubles notes", "b", "Carl Smithers");
    doubles.partner = "Eve Park";
    PlayRecord lost = Outing("4/3/2026", "M", "Dan Jones", "Jones notes", "c");
    lost.result = "L";
    WritePlayData(
        {
            Outing("4/1/2026", "M", "Ann Smith", "Smith notes", "a"),
            doubles,
            lost,
            Outing("4/4/2026", "P", "Sam Smith", "", "Practice with Sam"),
        },
        {Outing("3/1/2026", "M", "Dee Lane", "Past doubles", "d", "zed SMITH")});

    std::vector<PdfPage> pages =
        Print({QStringLiteral("match"), QStringLiteral("--opponent"), QStringLiteral("smi")});
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(EntryDates(pages[0]), (QStringList{"4/2/2026", "4/1/2026", "3/1/2026"}));
    EXPECT_TRUE(pages[0].Text().contains(QStringLiteral("Match Notes Playing smi For")));
    for (const char* notes : {"Smith notes", "Doubles notes", "Past doubles"})
        EXPECT_TRUE(pages[0].Text().contains(QString::fromLatin1(notes))) << notes;

    pages = Print({QStringLiteral("match")});
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(EntryDates(pages[0]), (QStringList{"4/3/2026", "4/2/2026", "4/1/2026", "3/1/2026"}));
    EXPECT_TRUE(pages[0].Text().startsWith(QStringLiteral("The Kavora Match Notes For Pat Smith")));
    // A doubles match names both opponents and, on the line under it, the
    // partner; every match says how it ended.
    auto line = [&page = pages[0]](const char* first) {
        const PdfWord* start = page.Find(QString::fromLatin1(first));
        if (!start)
            return QString();
        std::vector<const PdfWord*> words;
        for (const PdfWord& word : page.words)
            if (std::abs(word.box.top() - start->box.top()) < 1)
                words.push_back(&word);
        std::sort(words.begin(), words.end(),
                  [](const PdfWord* a, const PdfWord* b) { return a->box.left() < b->box.left(); });
        QStringList texts;
        for (const PdfWord* word : words)
            texts << word->text;
        return texts.join(QLatin1Char(' '));
    };
    EXPECT_EQ(line("4/2/2026"), QStringLiteral("4/2/2026 Bob Jones & Carl Smithers 6-4 6-3 Won"));
    EXPECT_EQ(line("Partner:"), QStringLiteral("Partner: Eve Park"));
    EXPECT_EQ(line("4/3/2026"), QStringLiteral("4/3/2026 Dan Jones 6-4 6-3 Lost"));
    EXPECT_EQ(line("3/1/2026"), QStringLiteral("3/1/2026 Dee Lane & zed SMITH 6-4 6-3 Won"));
}

// The form is one page whatever the records hold, on the locale's paper,
// drawn on a square at the top of the printable area: every label stands at
// the same place of that square on A4 and on Letter.
TEST_F(PrintCommandTest, CourtFormKeepsItsLayoutOnA4AndLetter) {
    WritePlayData({Outing("4/1/2026", "M", "Ann Smith", "Smith notes", "a")}, {});
    const double margin = 15 / 25.4 * 72;
    struct Label {
        const char* word;
        double x, y; // where the layout puts it, as fractions of the square
        enum { Left, Centre, Right } align;
    };
    const Label labels[] = {
        {"OPPONENT(S):", 0.05, 0.03 + 3 / 40.0, Label::Left},
        {"DATE:", 0.8, 0.03 + 3 / 40.0, Label::Right},
        {"SCORE:", 0.8, 0.03 + 7 / 40.0, Label::Right},
        {"PRACTICE", 0.05, 0.03 + 11 / 40.0, Label::Left},
        {"Forehand", 0.72 + 1.5 * 0.25 / 7, 0.45 + 3 / 40.0, Label::Centre},
        {"Volley", 0.72 + 1.5 * 0.25 / 7, 0.45 + 8 / 40.0, Label::Centre},
        {"Stroke", 0.14, 0.75 + 1 / 40.0, Label::Centre},
        {"Volley:", 0.14, 0.75 + 9 / 40.0, Label::Centre},
    };
    for (const auto& [locale, width, height] :
         {std::tuple{"C.UTF-8", 595.3, 841.9}, std::tuple{"en_US.UTF-8", 612.0, 792.0}}) {
        SCOPED_TRACE(locale);
        const std::vector<PdfPage> pages =
            Print({QStringLiteral("form")}, QString::fromLatin1(locale));
        ASSERT_EQ(pages.size(), 1u);
        const PdfPage& page = pages[0];
        EXPECT_NEAR(page.size.width(), width, 1);
        EXPECT_NEAR(page.size.height(), height, 1);
        EXPECT_TRUE(page.Text().contains(QStringLiteral("Kavora Courtside Notes Pat Smith")));
        EXPECT_FALSE(page.Text().contains(QStringLiteral("Smith notes")));
        const double side = std::min(width, height) - 2 * margin;
        // The title, centred at the top.
        const PdfWord* first = page.Find(QStringLiteral("Kavora"));
        const PdfWord* last = page.Find(QStringLiteral("Notes"));
        ASSERT_TRUE(first && last);
        EXPECT_NEAR(((first->box.left() + last->box.right()) / 2 - margin) / side, 0.5, 0.01);
        EXPECT_NEAR((first->box.top() - margin) / side, 0.03, 0.01);
        for (const Label& label : labels) {
            SCOPED_TRACE(label.word);
            const PdfWord* word = page.Find(QString::fromLatin1(label.word));
            ASSERT_NE(word, nullptr);
            const double x = label.align == Label::Left    ? word->box.left()
                             : label.align == Label::Right ? word->box.right()
                                                           : word->box.center().x();
            EXPECT_NEAR((x - margin) / side, label.x, 0.01);
            EXPECT_NEAR((word->box.top() - margin) / side, label.y, 0.01);
        }
    }
}

// A bad command line is refused with exit code 2 and one line; data that
// cannot be read ends with 1 and writes no file; the data folder is left as
// it was.
TEST_F(PrintCommandTest, RefusesBadArgumentsAndUnreadableData) {
    WritePlayData({Outing("4/1/2026", "M", "Ann Smith", "Smith notes", "a")}, {});
    const QStringList bad[] = {
        {"--print", "matches", "--out", "x.pdf"},
        {"--print", "match"},
        {"--print", "form", "--out", "x.png"},
        {"--print", "practice", "--opponent", "Ann", "--out", "x.pdf"},
        {"--print", "match", "--colour", "--out", "x.pdf"},
    };
    for (const QStringList& arguments : bad) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        const KavoraRun run = Kavora(arguments);
        EXPECT_EQ(run.code, 2);
        ASSERT_EQ(run.errorLines.size(), 1);
        EXPECT_TRUE(run.errorLines[0].contains(QStringLiteral("usage: kavora --print")));
    }
    EXPECT_FALSE(Exists("x.pdf"));

    WriteFile("play.dat", Lines({"ZBD Data File Format 9.0", "0"}));
    EXPECT_EQ(Kavora({"--print", "match", "--out", "x.pdf"}).code, 1);
    EXPECT_FALSE(Exists("x.pdf"));
    WritePlayData({}, {});
    WriteFile("history.dat", Lines({"Not a history", "\"1/1/2026\""}));
    EXPECT_EQ(Kavora({"--print", "practice", "--out", "x.pdf"}).code, 1);
    EXPECT_FALSE(Exists("x.pdf"));
    // The form reads no notes.
    EXPECT_EQ(Kavora({"--print", "form", "--out", "x.pdf"}).code, 0);
    EXPECT_TRUE(ReadFile("x.pdf").starts_with("%PDF"));
}

} // namespace
} // namespace kvrtest
