// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/app_fixture.h"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
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

} // namespace
} // namespace kvrtest
