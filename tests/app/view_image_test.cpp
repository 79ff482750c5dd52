// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/command_table.h"
#include "app/data_stores.h"
#include "charting/chart_store.h"
#include "core/date.h"
#include "core/instance_lock.h"
#include "core/safe_file.h"
#include "phonebook/phone_store.h"
#include "schedule/sched_store.h"
#include "support/app_fixture.h"
#include "tips/tip_store.h"
#include "tips/tips_lookup.h"

#include <map>
#include <memory>
#include <string>

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QDirIterator>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QPainter>
#include <QProcess>
#include <QSpinBox>

namespace kvrtest {
namespace {

// A view that fills its left half red and writes a line of text, and adds
// an entry of its own to the context menu.
class PictureView : public TKvrChild {
public:
    explicit PictureView(KvrClient& client) : TKvrChild(client, 99, QStringLiteral("Picture")) {}
    void Render(QPainter& painter, QSize size) override {
        painter.fillRect(0, 0, size.width() / 2, size.height(), Qt::red);
        painter.drawText(size.width() / 2 + 5, 30, QStringLiteral("Kavora picture"));
    }

protected:
    void AddContextActions(QMenu& menu) override {
        menu.addAction(QStringLiteral("&Export CSV..."));
    }
};

class ViewImageTest : public AppTest {
protected:
    PictureView& Open() {
        WriteFile("coach.dat", Lines({"Pat Smith"}));
        StartWindow();
        auto* view = static_cast<PictureView*>(
            Client().OpenView(99, [this] { return new PictureView(Client()); }));
        view->resize(400, 300);
        return *view;
    }
    // The player picks `fileName` and, when the file dialog is accepted,
    // the size `size`.
    void QueueSave(const QString& fileName, QSize size) {
        Responder().QueueDialog([fileName](QDialog& dialog) {
            static_cast<QFileDialog&>(dialog).selectFile(fileName);
            return int(QDialog::Accepted);
        });
        Responder().QueueDialog([size](QDialog& dialog) {
            dialog.findChild<QSpinBox*>(QStringLiteral("width"))->setValue(size.width());
            dialog.findChild<QSpinBox*>(QStringLiteral("height"))->setValue(size.height());
            return int(QDialog::Accepted);
        });
    }
};

// The menu offers the two picture commands and then the view's own.
TEST_F(ViewImageTest, ContextMenuHasSaveCopyAndTheViewsOwnEntries) {
    PictureView& view = Open();
    QMenu menu;
    view.FillContextMenu(menu);
    QStringList texts;
    for (QAction* action : menu.actions())
        texts << action->text();
    EXPECT_EQ(texts, (QStringList{QStringLiteral("&Save Image..."), QStringLiteral("&Copy"),
                                  QStringLiteral("&Export CSV...")}));

    view.CopyImage();
    QImage copied = QApplication::clipboard()->image();
    EXPECT_EQ(copied.size(), QSize(400, 300));
    EXPECT_EQ(copied.pixelColor(10, 10), QColor(Qt::red));
}

// Save Image writes a PNG at the chosen size and a PDF whose text reads
// back; a file that cannot be written is told, with its name and why.
TEST_F(ViewImageTest, SavesPngAndPdfAndTellsAFailure) {
    PictureView& view = Open();
    const QString png = QDir::current().absoluteFilePath(QStringLiteral("view.png"));
    QueueSave(png, QSize(640, 480));
    view.SaveImageAs();
    QImage image(png);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(640, 480));
    EXPECT_EQ(image.pixelColor(300, 400), QColor(Qt::red));
    EXPECT_EQ(image.pixelColor(340, 400), QColor(Qt::white));

    const QString pdf = QDir::current().absoluteFilePath(QStringLiteral("view.pdf"));
    QueueSave(pdf, QSize(400, 300));
    view.SaveImageAs();
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    ASSERT_TRUE(text.waitForFinished(30000));
    EXPECT_TRUE(text.readAllStandardOutput().contains("Kavora picture"));
    EXPECT_TRUE(Responder().Shown().empty());

    const QString missing = QDir::current().absoluteFilePath(QStringLiteral("gone/view.pdf"));
    QueueSave(missing, QSize(400, 300));
    view.SaveImageAs();
    ASSERT_EQ(Responder().Shown().size(), 1u);
    EXPECT_TRUE(Responder().Shown()[0].text.startsWith(
        QStringLiteral("Unable to save the image to '%1': ").arg(missing)))
        << Responder().Shown()[0].text.toStdString();
    EXPECT_FALSE(QFile::exists(missing));
}

// Every file of the folder, with its size and modification time.
std::map<QString, QString> FolderState() {
    std::map<QString, QString> state;
    QDirIterator files(QDir::currentPath(), QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot,
                       QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QFileInfo file(files.next());
        state[file.filePath()] =
            QStringLiteral("%1 %2").arg(file.size()).arg(file.lastModified().toMSecsSinceEpoch());
    }
    return state;
}

// A paint only draws: with every data file moved away between two paints,
// each view of the command line's table draws the same picture twice (the
// spreadsheet and the graphs show the history's figures, so a paint that read
// history.dat again would show other ones), and the folder is left as it
// was: nothing written, nothing made.
TEST_F(AppTest, PaintsReadAndWriteNoFile) {
    ZBD_Date::FixToday(5, 20, 2026);
    struct SystemClockAfter {
        ~SystemClockAfter() { ZBD_Date::UseSystemClock(); }
    } systemClockAfter;
    WriteFile("coach.dat", Lines({"Pat Smith"}));
    {
        KVR_PlayData play;
        for (int day = 1; day <= 3; ++day) {
            PlayRecord record;
            record.date = "5/" + std::to_string(day) + "/2026";
            record.who = "Alex Moreno";
            record.time = "1.5";
            record.kind = day == 2 ? "P" : "M";
            record.result = day == 2 ? "" : "W";
            record.practiceNotes = "Deep returns";
            record.Rating(kvr::Stroke::Serve, kvr::Level::Power) = 4 + day;
            play.AddCopy(record);
        }
        ASSERT_EQ(play.Save(), 1);
        ChartRecord chart = MakeChart("5/1/2026", "Alex Moreno", "");
        chart.firstServeAttempts = 40;
        chart.firstServesIn = 25;
        chart.forehandWinners = 6;
        chart.doubleFaults = 2;
        SaveRecords<KVR_ChartClass>({chart});
        SaveRecords<KVR_PhoneData>({MakePhone("Alex Moreno")});
        SaveRecords<SchedClass>({MakeEvent("5/22/2026", "Alex Moreno")});
    }
    WriteFile("history.dat",
              Lines({"KVR History Data Format 2.0",
                     R"("2/3/2026","S","","Sam Lee","","2","M","6-1","L","","","","")",
                     R"("7/9/2025","S","","Sam Lee","","3","L","","","","","","")"}));
    StartWindow();
    app_->RecordsChanged(kui::Store::Play);

    const QSize size(600, 550);
    std::vector<std::unique_ptr<TKvrChild>> views;
    std::vector<QImage> before;
    for (const kui::ViewRow& row : Client().Commands().Views()) {
        views.emplace_back(row.make(Client()));
        ASSERT_NE(views.back(), nullptr) << row.name.toStdString();
        views.back()->resize(size);
        before.push_back(views.back()->grab().toImage());
    }
    ASSERT_GE(views.size(), 13u);

    ASSERT_TRUE(QDir().mkdir(QStringLiteral("moved")));
    for (const QString& name : QDir().entryList(QDir::Files | QDir::Hidden)) {
        if (name != QLatin1String(kvr::kLockFile)) {
            ASSERT_TRUE(QFile::rename(name, QStringLiteral("moved/") + name)) << name.toStdString();
        }
    }
    ASSERT_FALSE(QFile::exists(QStringLiteral("history.dat")));
    const std::map<QString, QString> moved = FolderState();

    const std::vector<kui::ViewRow>& rows = Client().Commands().Views();
    for (size_t i = 0; i < views.size(); ++i)
        EXPECT_EQ(views[i]->grab().toImage(), before[i]) << rows[i].name.toStdString();
    EXPECT_EQ(FolderState(), moved);
}

// The command line draws each view without a window, from stores loaded on
// their own and read-only: the same picture as the view itself, at a size
// where the buttons have room and at one where the button row has to grow
// (its height then comes from the style alone, not from a button).
TEST_F(AppTest, ViewsDrawTheSameWithoutAWindow) {
    WriteFile("coach.dat", Lines({"Pat Smith"}));
    PlayRecord record = MakePlay("5/1/2026", "Alex Moreno", "M");
    record.practiceNotes = "Deep returns";
    record.Rating(kvr::Stroke::Serve, kvr::Level::Power) = 7;
    WritePlayFiles({record}, {MakePlay("2/3/2026", "Sam Lee", "P")});
    SaveRecords<KVR_ChartClass>({MakeChart("5/1/2026", "Alex Moreno", "6-4")});
    SaveRecords<KVR_PhoneData>({MakePhone("Alex Moreno")});
    SaveRecords<SchedClass>({MakeEvent(ZBD_Date().Text(), "Alex Moreno")});
    {
        TipClass tips;
        tips.Select("Forehand");
        tips.AddCopy(MakeTip("Low to high", 1, 2));
        tips.AddCopy(MakeTip("Turn early", 1, 8));
        ASSERT_EQ(tips.Save(), 1);
    }
    kui::SetTipDraw([] { return 4; });
    struct DrawAfter {
        ~DrawAfter() { kui::SetTipDraw(nullptr); }
    } drawAfter;
    StartWindow();
    app_->RecordsChanged(kui::Store::Play);

    const kvr::ReadOnlyData readOnly;
    kui::DataStores stores;
    ASSERT_TRUE(stores.Create());
    stores.Load(false);
    for (const kui::ViewRow& row : Client().Commands().Views()) {
        std::unique_ptr<TKvrChild> view(row.make(Client()));
        ASSERT_NE(view, nullptr) << row.name.toStdString();
        const std::optional<kui::Picture> picture =
            row.picture({stores, QStringLiteral("Pat Smith")});
        ASSERT_TRUE(picture.has_value()) << row.name.toStdString();
        for (const QSize size : {QSize(600, 550), QSize(240, 160)}) {
            view->resize(size);
            EXPECT_EQ(kui::PictureImage(*picture, size), kui::PictureImage(view->Picture(), size))
                << row.name.toStdString() << " at " << size.width() << "x" << size.height();
        }
    }
}

} // namespace
} // namespace kvrtest
