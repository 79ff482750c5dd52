// SPDX-License-Identifier: GPL-3.0-or-later
#include "printing/printout.h"

#include "app/application.h"
#include "app/data_stores.h"
#include "core/history.h"
#include "core/play_store.h"
#include "printing/court_form.h"

#include <algorithm>

#include <QFile>
#include <QLocale>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRect>

MReportWindow::MReportWindow(kui::ReportKind kind, const QString& playerName)
    : kind_(kind), playerName_(playerName), title_(kui::ReportTitle(kind, {})) {}

MReportWindow::~MReportWindow() = default;

void MReportWindow::SetOpponentFilter(const QString& filter) {
    filter_ = filter;
    title_ = kui::ReportTitle(kind_, filter_);
}

bool MReportWindow::Collect(KVR_PlayData& play, QString& error) {
    // The current goal period from its newest record back, then the past
    // periods from the newest; history.dat is read only once the current
    // records are used up.
    int index = static_cast<int>(play.Count()) - 1;
    KVR_History history;
    enum class Past { Unopened, Reading, Done } past = Past::Unopened;
    auto next = [&]() -> const PlayRecord* {
        if (index >= 0)
            return play.At(index--);
        if (past == Past::Unopened)
            past = history.Rewind() == 1 ? Past::Reading : Past::Done;
        if (past == Past::Reading && history.ReadNext() == 1)
            return &history.Current();
        past = Past::Done;
        return nullptr;
    };
    pages_ = kui::CollectReportPages(kind_, filter_, next);
    leftOut_ = pages_.leftOut;
    if (history.LoadResult() < 0) {
        error = kui::DataStores::FailedLoadText(QStringLiteral("history.dat"), history.LoadResult(),
                                                history.Error());
        pages_ = {};
        leftOut_ = 0;
        return false;
    }
    return true;
}

int MReportWindow::LastPage() const {
    return std::max<int>(1, static_cast<int>(pages_.pages.size()));
}

QSize MReportWindow::ClientSize(QSize printable) const {
    return printable;
}

kui::ReportPageData MReportWindow::PageData(int page) const {
    kui::ReportPageData data;
    data.kind = kind_;
    data.title = title_;
    data.playerName = playerName_;
    data.pageNumber = page;
    if (page >= 1 && page <= static_cast<int>(pages_.pages.size()))
        data.entries = pages_.pages[static_cast<std::size_t>(page - 1)];
    data.rows = 1;
    for (const std::vector<PlayRecord>& entries : pages_.pages)
        data.rows = std::max(data.rows, kui::ReportRows(kind_, entries));
    return data;
}

void MReportWindow::PaintPage(QPainter& painter, QSize size, int page) const {
    kui::DrawReportPage(painter, size, PageData(page));
}

MCourtFormWin::MCourtFormWin(const QString& playerName)
    : MReportWindow(kui::ReportKind::CourtForm, playerName) {}

bool MCourtFormWin::Collect(KVR_PlayData& /*play*/, QString& /*error*/) {
    return true; // the form is blank
}

QSize MCourtFormWin::ClientSize(QSize printable) const {
    const int side = std::min(printable.width(), printable.height());
    return {side, side};
}

void MCourtFormWin::PaintPage(QPainter& painter, QSize size, int /*page*/) const {
    kui::DrawCourtForm(painter, size, {PlayerName()});
}

MWindowPrintout::MWindowPrintout(const QString& title, const MReportWindow& window)
    : title_(title), window_(window) {}

void MWindowPrintout::PrintPage(QPainter& painter, const QRect& printable, int page) const {
    const QSize client = window_.ClientSize(printable.size());
    painter.save();
    painter.translate(printable.left() + (printable.width() - client.width()) / 2, printable.top());
    painter.setClipRect(QRect(QPoint(0, 0), client), Qt::IntersectClip);
    window_.PaintPage(painter, client, page);
    painter.restore();
}

bool MWindowPrintout::Print(QPagedPaintDevice& device) const {
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    // The painter's origin is the top left corner of the printable area.
    const QRect printable(0, 0, device.width(), device.height());
    for (int page = 1; HasPage(page); ++page) {
        if (page > 1 && !device.newPage())
            return false;
        PrintPage(painter, printable, page);
    }
    return painter.end();
}

namespace kui {

QPageLayout LocalePageLayout(const QLocale& locale) {
    static constexpr QLocale::Territory kLetter[] = {
        QLocale::UnitedStates, QLocale::Canada,    QLocale::Mexico,    QLocale::Belize,
        QLocale::Chile,        QLocale::Colombia,  QLocale::CostaRica, QLocale::ElSalvador,
        QLocale::Guatemala,    QLocale::Nicaragua, QLocale::Panama,    QLocale::Philippines,
        QLocale::PuertoRico,   QLocale::Venezuela};
    const bool letter =
        std::find(std::begin(kLetter), std::end(kLetter), locale.territory()) != std::end(kLetter);
    return QPageLayout(QPageSize(letter ? QPageSize::Letter : QPageSize::A4), QPageLayout::Portrait,
                       QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
}

std::unique_ptr<QPrinter> MakePrinter() {
    const QPrinterInfo system = QPrinterInfo::defaultPrinter();
    if (!system.isNull())
        return std::make_unique<QPrinter>(system, QPrinter::HighResolution);
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setPageLayout(LocalePageLayout(QLocale::system()));
    return printer;
}

QString WritePdf(const MWindowPrintout& printout, const QPageLayout& layout,
                 const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return file.errorString();
    bool printed = false;
    {
        QPdfWriter pdf(&file);
        pdf.setPageLayout(layout);
        pdf.setTitle(printout.Title());
        pdf.setCreator(QStringLiteral("Kavora"));
        printed = printout.Print(pdf);
    }
    QString error;
    if (!printed)
        error = QStringLiteral("the pages could not be drawn");
    else if (!file.flush() || file.error() != QFileDevice::NoError)
        error = file.errorString();
    file.close();
    if (error.isEmpty() && file.error() != QFileDevice::NoError)
        error = file.errorString();
    if (!error.isEmpty())
        file.remove();
    return error;
}

} // namespace kui
