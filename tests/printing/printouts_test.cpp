// SPDX-License-Identifier: GPL-3.0-or-later
// The Printouts commands in the main window, on a machine without a
// printer: the match report's criteria dialog, the PDF the printouts become
// in the data folder, and the preview.
#include "phonebook/phone_store.h"
#include "printing/court_form.h"
#include "printing/print_name_dialog.h"
#include "printing/printing_commands.h"
#include "printing/printing_fixture.h"
#include "printing/printout.h"
#include "support/app_fixture.h"
#include "support/render.h"
#include "ui/drawing.h"

#include <filesystem>

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QLocale>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QToolBar>

namespace kvrtest {
namespace {

class PrintoutsTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        if (!QPrinterInfo::defaultPrinter().isNull())
            GTEST_SKIP() << "a printer is installed: the printouts would go to it";
    }

    static QString Path(const char* name) {
        return QDir::current().absoluteFilePath(QString::fromLatin1(name));
    }

    // The dates of the entries of a report file.
    static QStringList Dates(const char* file) {
        static const QRegularExpression date(QStringLiteral("^[0-9]+/[0-9]+/[0-9]{4}$"));
        QStringList dates;
        for (const PdfPage& page : ReadPdf(Path(file)))
            for (const PdfWord& word : page.words)
                if (date.match(word.text).hasMatch())
                    dates << word.text;
        return dates;
    }

    // Answers the criteria dialog: "Specific Opponent" with `typed`, then,
    // when `allAgain`, "All Matches" once more; then presses `button`.
    void QueueCriteria(const QString& typed, bool allAgain,
                       QDialogButtonBox::StandardButton button) {
        Responder().QueueDialog([=](QDialog& dialog) {
            dialog.findChild<QRadioButton*>(QStringLiteral("specificOpponent"))->click();
            dialog.findChild<QComboBox*>(QStringLiteral("opponentFilter"))->setEditText(typed);
            if (allAgain)
                dialog.findChild<QRadioButton*>(QStringLiteral("allMatches"))->click();
            dialog.findChild<QDialogButtonBox*>()->button(button)->click();
            return dialog.result();
        });
    }
};

// The criteria dialog shows the list of names only for a specific opponent,
// and a name left in it after "All Matches" was chosen again does not
// narrow the report.
TEST_F(PrintoutsTest, MatchNotesTakeTheOpponentOnlyWhileSpecificOpponentIsOn) {
    WritePlayData({Outing("4/1/2026", "M", "Ann Smith", "Smith notes", "a"),
                   Outing("4/2/2026", "M", "Bob Jones", "Jones notes", "b")},
                  {});
    WriteFile("phone.dat",
              Lines({"ZBD Data File Format 2.5", "1", R"("Ann Smith","555-1","","","","","")"}));
    StartWindow();

    MPrintNameDlg dialog(nullptr, app_->PhoneStore());
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Printout - Match Notes"));
    auto* names = dialog.findChild<QComboBox*>(QStringLiteral("opponentFilter"));
    ASSERT_NE(names, nullptr);
    EXPECT_EQ(names->findText(QStringLiteral("Ann Smith")), 0);
    EXPECT_TRUE(dialog.findChild<QRadioButton*>(QStringLiteral("allMatches"))->isChecked());
    EXPECT_TRUE(names->isHidden());
    dialog.findChild<QRadioButton*>(QStringLiteral("specificOpponent"))->click();
    EXPECT_FALSE(names->isHidden());
    names->setEditText(QStringLiteral("  Smi "));
    EXPECT_EQ(dialog.OpponentFilter(), QStringLiteral("Smi"));
    dialog.findChild<QRadioButton*>(QStringLiteral("allMatches"))->click();
    EXPECT_TRUE(names->isHidden());
    EXPECT_EQ(dialog.OpponentFilter(), QString());

    QueueCriteria(QStringLiteral("smi"), true, QDialogButtonBox::Ok);
    Client().Command(kui::CmMatchNotes);
    EXPECT_EQ(Dates("Tennis Reports.pdf"), (QStringList{"4/2/2026", "4/1/2026"}));

    QueueCriteria(QStringLiteral("smi"), false, QDialogButtonBox::Ok);
    Responder().QueueAnswer(true); // replace the report written above
    Client().Command(kui::CmMatchNotes);
    EXPECT_EQ(Dates("Tennis Reports.pdf"), QStringList{"4/1/2026"});

    // Cancel prints nothing.
    std::filesystem::remove("Tennis Reports.pdf");
    QueueCriteria(QStringLiteral("smi"), false, QDialogButtonBox::Cancel);
    Client().Command(kui::CmMatchNotes);
    EXPECT_FALSE(Exists("Tennis Reports.pdf"));
}

// Without a printer a printout becomes a PDF in the data folder: never over
// an existing file without a yes, said where it went with a button that
// opens it, and a file that cannot be written is told as a failure, never
// as done.
TEST_F(PrintoutsTest, PdfInTheDataFolderReplacesNothingUnasked) {
    WritePlayData({}, {});
    StartWindow();
    const QString form = Path("Tennis Court Form.pdf");
    WriteFile("Tennis Court Form.pdf", "keep");

    Responder().QueueChoice(0); // Print; the question to replace is answered No
    Client().Command(kui::CmCourtForm);
    EXPECT_EQ(ReadFile("Tennis Court Form.pdf"), "keep");
    ASSERT_EQ(Responder().Shown().size(), 2u);
    EXPECT_EQ(Responder().Shown()[0].kind, kui::Message::Kind::Choice);
    EXPECT_EQ(Responder().Shown()[0].buttons, (QStringList{"&Print", "Pre&view", "Cancel"}));
    EXPECT_EQ(Responder().Shown()[1].kind, kui::Message::Kind::YesNo);
    EXPECT_TRUE(Responder().Shown()[1].text.contains(QDir::toNativeSeparators(form)));

    Responder().Clear();
    Responder().QueueChoice(0);
    Responder().QueueAnswer(true);
    Responder().QueueChoice(1); // Close, not Open
    Client().Command(kui::CmCourtForm);
    const std::vector<PdfPage> pages = ReadPdf(form);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_TRUE(pages[0].Text().startsWith(QStringLiteral("Kavora Courtside Notes Pat Smith")));
    ASSERT_EQ(Responder().Shown().size(), 3u);
    const kui::Message& done = Responder().Shown()[2];
    EXPECT_EQ(done.kind, kui::Message::Kind::Choice);
    EXPECT_EQ(done.buttons, (QStringList{"&Open", "&Close"}));
    EXPECT_TRUE(done.text.contains(QDir::toNativeSeparators(form)));
    EXPECT_TRUE(done.text.contains(QStringLiteral("1 page")));

    // A report whose file cannot be written: a folder stands in its place.
    Responder().Clear();
    std::filesystem::create_directory("Tennis Reports.pdf");
    Responder().QueueChoice(0);
    Responder().QueueAnswer(true);
    Client().Command(kui::CmPracticeNotes);
    ASSERT_EQ(Responder().Shown().size(), 3u);
    const kui::Message& failed = Responder().Shown()[2];
    EXPECT_EQ(failed.kind, kui::Message::Kind::Tell);
    EXPECT_EQ(failed.icon, kui::Icon::Warning);
    EXPECT_TRUE(failed.text.startsWith(QStringLiteral("Unable to print the practice notes")));
    EXPECT_TRUE(std::filesystem::is_directory("Tennis Reports.pdf"));
}

// The preview shows the pages a print would make, on the locale's paper,
// from the question before a printout and from the criteria dialog, and
// writes nothing itself.
TEST_F(PrintoutsTest, PreviewShowsThePagesThatWouldPrint) {
    std::vector<PlayRecord> practice;
    for (int day = 1; day <= 8; ++day)
        practice.push_back(Outing("5/" + std::to_string(day) + "/2026", "P", "Ann Smith", "",
                                  "Drill " + std::to_string(day)));
    WritePlayData(practice, {});
    StartWindow();

    int pages = 0;
    QPageSize paper;
    auto preview = [&](QDialog& dialog) {
        auto* widget = dialog.findChild<QPrintPreviewWidget*>();
        EXPECT_NE(qobject_cast<QPrintPreviewDialog*>(&dialog), nullptr);
        if (!widget)
            return int(QDialog::Rejected);
        widget->updatePreview();
        pages = widget->pageCount();
        paper = static_cast<QPrintPreviewDialog&>(dialog).printer()->pageLayout().pageSize();
        return int(QDialog::Rejected);
    };
    Responder().QueueChoice(1); // Preview
    Responder().QueueDialog(preview);
    Client().Command(kui::CmPracticeNotes);
    EXPECT_EQ(pages, 2);
    EXPECT_TRUE(paper.isEquivalentTo(kui::LocalePageLayout(QLocale::system()).pageSize()));

    Responder().QueueDialog([](QDialog& dialog) {
        dialog.findChild<QPushButton*>(QStringLiteral("preview"))->click();
        return dialog.result();
    });
    Responder().QueueDialog(preview);
    Client().Command(kui::CmMatchNotes);
    EXPECT_EQ(pages, 1); // no matches: the heading page
    EXPECT_FALSE(Exists("Tennis Reports.pdf"));
}

// The preview opens as wide as the main window, 600 pixels at the least,
// and its Print button shows there, not behind the toolbar's extension.
TEST_F(PrintoutsTest, PreviewShowsPrintAtTheSmallestWindow) {
    WriteCoach();
    StartWindow();
    bool shown = false;
    Responder().QueueChoice(1); // Preview
    Responder().QueueDialog([&](QDialog& dialog) {
        dialog.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        EXPECT_LE(dialog.width(), 620);
        for (QToolBar* toolbar : dialog.findChildren<QToolBar*>())
            for (QAction* action : toolbar->actions())
                if (action->text() == QStringLiteral("Print")) {
                    QWidget* button = toolbar->widgetForAction(action);
                    shown = button && button->isVisible() &&
                            toolbar->rect().contains(button->geometry());
                }
        return int(QDialog::Rejected);
    });
    Client().Command(kui::CmCourtForm);
    EXPECT_TRUE(shown);
}

// The ratings grid of the court form has a line under each stroke's row,
// between its name and the next one.
TEST_F(PrintoutsTest, CourtFormRatingsGridHasItsRowLines) {
    EnsureApplication();
    const QSize size(500, 500);
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        kui::DrawCourtForm(painter, size, {QStringLiteral("Pat Smith")});
    }
    // Down the column of level 1, from under the heading's line to the
    // grid's bottom: a line under each of the six strokes.
    const int unit = 500 / 40;
    const int left = kui::Frac(500, 0.72);
    const int x = left + 3 * (kui::Frac(500, 0.97) - left) / 7 + 8;
    int lines = 0;
    bool onLine = false;
    for (int y = kui::Frac(500, 0.45) + 2 * unit + 2; y < kui::Frac(500, 0.73) - 2; ++y) {
        const bool dark = qGray(image.pixel(x, y)) < 128;
        lines += dark && !onLine;
        onLine = dark;
    }
    EXPECT_EQ(lines, 6);
}

} // namespace
} // namespace kvrtest
