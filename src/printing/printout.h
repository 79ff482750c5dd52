// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "printing/report_pages.h"

#include <memory>

#include <QPageLayout>
#include <QSize>
#include <QString>

class KVR_PlayData;
class QLocale;
class QPagedPaintDevice;
class QPainter;
class QPrinter;
class QRect;

// A printed report: it is never shown, only painted page by page onto the
// printer by MWindowPrintout: the match, practice or lesson notes, collected
// from the play records when it is made.
class MReportWindow {
public:
    MReportWindow(kui::ReportKind kind, const QString& playerName);
    virtual ~MReportWindow();
    MReportWindow(const MReportWindow&) = delete;
    MReportWindow& operator=(const MReportWindow&) = delete;

    kui::ReportKind Kind() const { return kind_; }
    const QString& Title() const { return title_; }
    const QString& OpponentFilter() const { return filter_; }
    // The match report's opponent: only matches against a name holding it
    // are printed (empty: every match). The title follows it.
    void SetOpponentFilter(const QString& filter);

    // Collects the pages from the current goal period, newest first, then
    // the past periods, read from history.dat with a reader of its own.
    // False when history.dat cannot be read; `error` then tells why and the
    // report holds no pages.
    virtual bool Collect(KVR_PlayData& play, QString& error);
    // Notes that belong in the report but did not fit in its pages.
    int LeftOut() const { return leftOut_; }

    // Pages 1 to LastPage() exist (at least one).
    virtual int LastPage() const;
    // The shape of the area a page is drawn on, given the printable area of
    // the paper: the report takes the paper's proportions.
    virtual QSize ClientSize(QSize printable) const;
    // Draws page `page` on an area of `size`.
    virtual void PaintPage(QPainter& painter, QSize size, int page) const;
    // What page `page` shows.
    kui::ReportPageData PageData(int page) const;

protected:
    const QString& PlayerName() const { return playerName_; }

private:
    kui::ReportKind kind_;
    QString playerName_;
    QString filter_;
    QString title_;
    kui::ReportPages pages_;
    int leftOut_ = 0;
};

// The blank courtside notes form: one page, drawn square.
class MCourtFormWin : public MReportWindow {
public:
    explicit MCourtFormWin(const QString& playerName);

    bool Collect(KVR_PlayData& play, QString& error) override;
    int LastPage() const override { return 1; }
    QSize ClientSize(QSize printable) const override;
    void PaintPage(QPainter& painter, QSize size, int page) const override;
};

// Prints a report window: maps its drawing area onto each page, the same
// scale across and down (so the drawing keeps its proportions on any paper),
// at the top of the printable area and centred across it.
class MWindowPrintout {
public:
    MWindowPrintout(const QString& title, const MReportWindow& window);

    const QString& Title() const { return title_; }
    bool HasPage(int page) const { return page >= 1 && page <= window_.LastPage(); }
    int PageCount() const { return window_.LastPage(); }

    // Draws page `page` into `printable`, the page's printable area in the
    // painter's device pixels.
    void PrintPage(QPainter& painter, const QRect& printable, int page) const;
    // Every page onto `device`, the first on the page it stands at. False
    // when the device could not be painted on.
    bool Print(QPagedPaintDevice& device) const;

private:
    QString title_;
    const MReportWindow& window_;
};

namespace kui {

// The files the printouts become, in the data folder, when there is no
// printer.
inline constexpr char kReportsPdf[] = "Tennis Reports.pdf";
inline constexpr char kCourtFormPdf[] = "Tennis Court Form.pdf";

// The paper of the locale: US Letter in the countries that use it (the
// United States, Canada, Mexico and a few more in the Americas and the
// Philippines), A4 everywhere else; portrait, with 15 mm margins.
QPageLayout LocalePageLayout(const QLocale& locale);

// The printer the printouts print on without a print dialog: the system's
// default printer, on its own paper; without one, a PDF printer on the
// locale's paper (the printouts then write PDF files).
std::unique_ptr<QPrinter> MakePrinter();

// Writes the printout into the PDF file `fileName` on the paper `layout`.
// Returns the empty text when the whole file was written, else why not (a
// file that failed is removed).
QString WritePdf(const MWindowPrintout& printout, const QPageLayout& layout,
                 const QString& fileName);

} // namespace kui
