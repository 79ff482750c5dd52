// SPDX-License-Identifier: GPL-3.0-or-later
#include "play/spreadsheet.h"

#include "app/application.h"
#include "core/play_store.h"
#include "core/safe_file.h"
#include "play/notes_csv.h"
#include "play/play_commands.h"
#include "play/statistics.h"
#include "ui/drawing.h"
#include "ui/export_file.h"
#include "ui/message.h"
#include "ui/text.h"

#include <algorithm>

#include <QCoreApplication>
#include <QFile>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QWheelEvent>

namespace kui {

namespace {

using kvr::Stroke;

// The strokes in the order of the spreadsheet's rows.
constexpr std::array<Stroke, 6> kSheetStrokes{Stroke::Forehand, Stroke::Backhand, Stroke::Serve,
                                              Stroke::Return,   Stroke::Approach, Stroke::Volley};

// The strokes in the order of the statistics block's stroke averages.
constexpr std::array<Stroke, 6> kAverageStrokes{Stroke::Forehand, Stroke::Backhand, Stroke::Volley,
                                                Stroke::Approach, Stroke::Serve,    Stroke::Return};

constexpr int kMaxColumns = 12;

const char* const kStrokeNames[] = {"Forehand", "Backhand", "Serve",
                                    "Return",   "Approach", "Volley"};
const char* const kLevelNames[] = {"Consistency", "Placement", "Spin", "Power"};

// A record's totals with the strokes in the spreadsheet's order.
SpreadsheetColumn ColumnOf(const PlayRecord& stored) {
    PlayRecord record;
    record.Assign(stored);
    computeRecordTotals(record);
    SpreadsheetColumn column;
    for (std::size_t row = 0; row < kSheetStrokes.size(); ++row)
        column.strokes[row] = record.strokeTotal[kvr::Index(kSheetStrokes[row])];
    for (std::size_t level = 0; level < column.levels.size(); ++level)
        column.levels[level] = record.levelTotal[level];
    column.grandTotal = record.grandTotal;
    return column;
}

// One CSV row with its line end.
QString CsvRow(const QStringList& fields) {
    QStringList quoted;
    for (const QString& field : fields)
        quoted << CsvField(field);
    return quoted.join(QLatin1Char(',')) + QStringLiteral("\r\n");
}

QString Results(const PlayingTime& time) {
    return QString::asprintf("%d-%d-%d", time.wins, time.losses, time.undecided);
}

} // namespace

std::vector<int> SpreadsheetColumnRecords(int count) {
    std::vector<int> records;
    for (int i = 0; i < count && i < kMaxColumns; ++i) {
        // The whole part of i x (count / 12) + 0.5, in whole numbers so that
        // halves round up exactly.
        int record = count > kMaxColumns ? (2 * i * count + kMaxColumns) / (2 * kMaxColumns) : i;
        if (i == kMaxColumns - 1)
            record = count - 1;
        records.push_back(record);
    }
    return records;
}

SpreadsheetData SpreadsheetSnapshot(const KVR_PlayData& play, const PlayStatistics& s,
                                    const QString& playerName) {
    SpreadsheetData data;
    data.playerName = playerName;
    // The ratings columns are the rated outings': one without ratings has
    // none to show.
    std::vector<const PlayRecord*> rated;
    for (unsigned i = 0; i < play.Count(); ++i)
        if (play.At(static_cast<int>(i))->rated)
            rated.push_back(play.At(static_cast<int>(i)));
    const int count = static_cast<int>(rated.size());
    if (count > 0)
        data.firstDate = FromStored(rated.front()->date);
    for (int record : SpreadsheetColumnRecords(count))
        data.columns.push_back(ColumnOf(*rated[static_cast<size_t>(record)]));

    for (std::size_t row = 0; row < kSheetStrokes.size(); ++row) {
        for (std::size_t slot = 0; slot < kAverageStrokes.size(); ++slot)
            if (kAverageStrokes[slot] == kSheetStrokes[row])
                data.strokeAverages[row] = s.strokeAverage[slot];
    }
    data.levelAverages = s.levelAverage;
    data.totalGameRating = s.totalGameRating;
    data.current = {s.currentMatchTime, s.currentPracticeTime, s.currentLessonTime, s.currentTime,
                    s.currentWins,      s.currentLosses,       s.currentUndecided};
    data.year = {s.yearMatchTime, s.yearPracticeTime, s.yearLessonTime, s.yearTime,
                 s.yearWins,      s.yearLosses,       s.yearUndecided};
    data.all = {s.allMatchTime, s.allPracticeTime, s.allLessonTime, s.allTime,
                s.allWins,      s.allLosses,       s.allUndecided};
    return data;
}

// What the ratings table says without a rated outing.
const QString kNoRatingsText =
    QStringLiteral("No rated notes this goal period: Data > Record Notes");

QSize SpreadsheetLeastSize() {
    return {65 * 5, 27 * kSmallestText};
}

void DrawSpreadsheet(QPainter& painter, QSize size, const SpreadsheetData& data) {
    // Never smaller than the least size: a smaller area shows its top left.
    size = size.expandedTo(SpreadsheetLeastSize());
    const int w = size.width();
    const QColor navy(0, 0, 128);
    const int left = Frac(w, 0.2);
    const int right = Frac(w, 0.95);
    const int mid = Frac(w, 0.55);

    painter.save();
    painter.fillRect(QRect(QPoint(0, 0), size), Qt::white);
    // Twenty-seven rows fill the height. The font's row unit may round a
    // pixel above a 27th of it, which over 27 rows would push the results
    // row out of view, so the rows are never spaced wider than that.
    const int g = std::min(UseScaledFont(painter, size, 27, 65), size.height() / 27);

    // The ratings table and its title.
    RaisedPanel(painter, left, 4 * g, right + 3, 17 * g, Qt::white);
    RaisedPanel(painter, Frac(w, 0.3), Frac(g, 0.8), Frac(w, 0.75), Frac(g, 3.1), LightGrey());
    painter.setPen(navy);
    DrawText(painter, mid, g, QStringLiteral("Stroke Ratings"), Align::Center);
    DrawText(painter, mid, 2 * g, data.playerName, Align::Center);
    for (int row = 0; row < 6; ++row)
        DrawText(painter, left, (4 + row) * g, QString::fromLatin1(kStrokeNames[row]),
                 Align::Right);
    DrawText(painter, left, 11 * g, QStringLiteral("Total Game"), Align::Right);
    for (int level = 0; level < 4; ++level)
        DrawText(painter, left, (13 + level) * g, QString::fromLatin1(kLevelNames[level]),
                 Align::Right);
    const int firstColumn = Frac(w, 0.27);
    if (!data.firstDate.isEmpty())
        DrawText(painter, firstColumn, 3 * g, data.firstDate, Align::Right);
    DrawText(painter, right, 3 * g, QStringLiteral("Avg"), Align::Right);

    painter.setPen(Qt::black);
    for (std::size_t i = 0; i < data.columns.size(); ++i) {
        const SpreadsheetColumn& column = data.columns[i];
        const int x = firstColumn + static_cast<int>(i) * (w / 18);
        for (int row = 0; row < 6; ++row)
            DrawText(painter, x, (4 + row) * g, QString::number(column.strokes[row]), Align::Right);
        for (int level = 0; level < 4; ++level)
            DrawText(painter, x, (13 + level) * g, QString::number(column.levels[level]),
                     Align::Right);
        DrawText(painter, x, 11 * g, QString::number(column.grandTotal), Align::Right);
    }
    if (data.columns.empty()) {
        // No rated outing: no averages of nothing, but where ratings come from.
        painter.setPen(navy);
        DrawWrappedText(painter, firstColumn, 7 * g, right, 10 * g, kNoRatingsText);
    } else {
        for (int row = 0; row < 6; ++row)
            DrawText(painter, right, (4 + row) * g,
                     QString::asprintf("%2.1f", double(data.strokeAverages[row])), Align::Right);
        for (int level = 0; level < 4; ++level)
            DrawText(painter, right, (13 + level) * g,
                     QString::asprintf("%2.1f", double(data.levelAverages[level])), Align::Right);
        DrawText(painter, right, 11 * g, QString::asprintf("%3.1f", double(data.totalGameRating)),
                 Align::Right);
    }

    // Playing time in the current period, this year and in all.
    const int y0 = 19 * g;
    RaisedPanel(painter, Frac(w, 0.3), y0 - Frac(g, 0.2), Frac(w, 0.75), y0 + Frac(g, 1.2),
                LightGrey());
    RaisedPanel(painter, left, y0 + 3 * g, right + 3, y0 + 8 * g, Qt::white);
    painter.setPen(navy);
    DrawText(painter, mid, y0, QStringLiteral("Playing Time"), Align::Center);
    const int columnX[] = {Frac(w, 0.35), mid, Frac(w, 0.75)};
    const char* const headers[] = {"Current", "YTD", "History"};
    for (int c = 0; c < 3; ++c)
        DrawText(painter, columnX[c], y0 + 2 * g, QString::fromLatin1(headers[c]), Align::Center);
    const char* const rows[] = {"Match", "Practice", "Lessons", "Total", "W/L"};
    for (int r = 0; r < 5; ++r)
        DrawText(painter, left, y0 + (3 + r) * g, QString::fromLatin1(rows[r]), Align::Right);

    painter.setPen(Qt::black);
    const PlayingTime* times[] = {&data.current, &data.year, &data.all};
    for (int c = 0; c < 3; ++c) {
        const PlayingTime& t = *times[c];
        const float hours[] = {t.match, t.practice, t.lessons, t.total};
        for (int r = 0; r < 4; ++r)
            DrawText(painter, columnX[c], y0 + (3 + r) * g,
                     QString::asprintf("%4.1f", double(hours[r])), Align::Center);
        DrawText(painter, columnX[c], y0 + 7 * g, Results(t), Align::Center);
    }
    painter.restore();
}

std::vector<ViewTable> SpreadsheetTables(const SpreadsheetData& data) {
    ViewTable ratings;
    ratings.caption = QStringLiteral("Stroke Ratings");
    // The first column is headed by the oldest record's date, as drawn.
    for (std::size_t i = 0; i < data.columns.size(); ++i)
        ratings.columnHeaders << (i == 0 && !data.firstDate.isEmpty()
                                      ? data.firstDate
                                      : QStringLiteral("Record %1").arg(i + 1));
    ratings.columnHeaders << QStringLiteral("Avg");
    // Without a rated outing the averages are empty, as drawn.
    const bool rated = !data.columns.empty();
    auto row = [&](const QString& header, auto value, const QString& average) {
        ratings.rowHeaders << header;
        QStringList cells;
        for (const SpreadsheetColumn& column : data.columns)
            cells << QString::number(value(column));
        cells << (rated ? average : QString());
        ratings.rows.push_back(cells);
    };
    for (std::size_t r = 0; r < 6; ++r)
        row(
            QString::fromLatin1(kStrokeNames[r]),
            [r](const SpreadsheetColumn& c) { return c.strokes[r]; },
            QString::asprintf("%2.1f", double(data.strokeAverages[r])).trimmed());
    row(
        QStringLiteral("Total Game"), [](const SpreadsheetColumn& c) { return c.grandTotal; },
        QString::asprintf("%3.1f", double(data.totalGameRating)).trimmed());
    for (std::size_t l = 0; l < 4; ++l)
        row(
            QString::fromLatin1(kLevelNames[l]),
            [l](const SpreadsheetColumn& c) { return c.levels[l]; },
            QString::asprintf("%2.1f", double(data.levelAverages[l])).trimmed());

    ViewTable time;
    time.caption = QStringLiteral("Playing Time");
    time.columnHeaders = {QStringLiteral("Current"), QStringLiteral("YTD"),
                          QStringLiteral("History")};
    time.rowHeaders = {QStringLiteral("Match"), QStringLiteral("Practice"),
                       QStringLiteral("Lessons"), QStringLiteral("Total"), QStringLiteral("W/L")};
    const PlayingTime* times[] = {&data.current, &data.year, &data.all};
    time.rows.resize(5);
    for (const PlayingTime* t : times) {
        const float hours[] = {t->match, t->practice, t->lessons, t->total};
        for (std::size_t r = 0; r < 4; ++r)
            time.rows[r] << QString::asprintf("%4.1f", double(hours[r])).trimmed();
        time.rows[4] << Results(*t);
    }
    return {ratings, time};
}

bool ExportSpreadsheetCsv(const QString& path, const KVR_PlayData& play) {
    QStringList header{QStringLiteral("Date"), QStringLiteral("Kind"), QStringLiteral("Opponent"),
                       QStringLiteral("Hours"), QStringLiteral("Result")};
    for (const char* name : kStrokeNames)
        header << QString::fromLatin1(name);
    header << QStringLiteral("Total Game");
    for (const char* name : kLevelNames)
        header << QString::fromLatin1(name);

    QString text = CsvRow(header);
    for (int i = static_cast<int>(play.Count()); i-- > 0;) {
        const PlayRecord& record = *play.At(i);
        // The texts as text cells; the totals after them are numbers.
        QStringList row;
        for (const std::string* field :
             {&record.date, &record.kind, &record.who, &record.time, &record.result})
            row << TextCell(FromStored(*field));
        // An outing without ratings leaves its rating cells empty.
        const SpreadsheetColumn column = ColumnOf(record);
        auto cell = [&record](int total) {
            return record.rated ? QString::number(total) : QString();
        };
        for (int total : column.strokes)
            row << cell(total);
        row << cell(column.grandTotal);
        for (int total : column.levels)
            row << cell(total);
        text += CsvRow(row);
    }
    return kvr::WriteFileAtomically(QFile::encodeName(path).toStdString(), text.toStdString());
}

} // namespace kui

TKvrSpreadSheet::TKvrSpreadSheet(KvrClient& client)
    : TKvrChild(client, kui::SpreadsheetView, QStringLiteral("Spread Sheet")) {
    // The player's name heads the sheet.
    RepaintOn({kui::Store::Play, kui::Store::Coach});
    StoresChanged();
}

QScrollBar* TKvrSpreadSheet::ScrollBar(Qt::Orientation orientation) {
    QScrollBar*& bar = orientation == Qt::Horizontal ? across_ : down_;
    if (!bar) {
        // Made the first time the sheet outgrows its view: a sheet that
        // never does has no bars for a screen reader to list.
        bar = new QScrollBar(orientation, this);
        bar->setObjectName(orientation == Qt::Horizontal ? QStringLiteral("across")
                                                         : QStringLiteral("down"));
        // The view keeps the focus; the keys scroll through it.
        bar->setFocusPolicy(Qt::NoFocus);
        connect(bar, &QScrollBar::valueChanged, this, qOverload<>(&QWidget::update));
    }
    return bar;
}

bool TKvrSpreadSheet::Shows(const QScrollBar* bar) const {
    return bar && !bar->isHidden();
}

void TKvrSpreadSheet::PlaceScrollBars() {
    const QSize least = kui::SpreadsheetLeastSize();
    const int extent = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    // A bar along one edge takes room from the other direction, which may
    // then need its bar too.
    bool needAcross = width() < least.width();
    bool needDown = height() < least.height();
    needAcross = needAcross || width() - (needDown ? extent : 0) < least.width();
    needDown = needDown || height() - (needAcross ? extent : 0) < least.height();
    const int shownWidth = width() - (needDown ? extent : 0);
    const int shownHeight = height() - (needAcross ? extent : 0);
    const struct {
        Qt::Orientation orientation;
        bool needed;
        QRect place;
        int range;
        int page;
    } bars[] = {{Qt::Horizontal, needAcross, QRect(0, height() - extent, shownWidth, extent),
                 least.width() - shownWidth, shownWidth},
                {Qt::Vertical, needDown, QRect(width() - extent, 0, extent, shownHeight),
                 least.height() - shownHeight, shownHeight}};
    for (const auto& wanted : bars) {
        QScrollBar* bar = wanted.needed ? ScrollBar(wanted.orientation)
                                        : (wanted.orientation == Qt::Horizontal ? across_ : down_);
        if (!bar)
            continue;
        bar->setVisible(wanted.needed);
        if (!wanted.needed) {
            bar->setValue(0);
            continue;
        }
        bar->setGeometry(wanted.place);
        bar->setRange(0, std::max(0, wanted.range));
        bar->setPageStep(std::max(1, wanted.page));
        bar->setSingleStep(kui::kSmallestText);
    }
}

void TKvrSpreadSheet::StoresChanged() {
    KVR_PlayData& play = App().PlayStore();
    sheet_ = kui::SpreadsheetSnapshot(play, App().PlayFigures(), App().PlayerName());
}

kui::SpreadsheetData TKvrSpreadSheet::Snapshot() {
    // The name is settled once the window is up, after the view may have
    // taken its snapshot.
    sheet_.playerName = App().PlayerName();
    return sheet_;
}

void TKvrSpreadSheet::Render(QPainter& painter, QSize size) {
    // On the view itself the sheet is drawn beside its scroll bars, from
    // where they have scrolled it to.
    if (painter.device() == this && (Shows(across_) || Shows(down_))) {
        painter.fillRect(rect(), Qt::white);
        size = QSize(width() - (Shows(down_) ? down_->width() : 0),
                     height() - (Shows(across_) ? across_->height() : 0));
        painter.translate(-(Shows(across_) ? across_->value() : 0),
                          -(Shows(down_) ? down_->value() : 0));
    }
    kui::DrawSpreadsheet(painter, size, Snapshot());
}

void TKvrSpreadSheet::resizeEvent(QResizeEvent* event) {
    TKvrChild::resizeEvent(event);
    PlaceScrollBars();
}

void TKvrSpreadSheet::wheelEvent(QWheelEvent* event) {
    QScrollBar* bar = Shows(down_) ? down_ : (Shows(across_) ? across_ : nullptr);
    if (!bar) {
        TKvrChild::wheelEvent(event);
        return;
    }
    QCoreApplication::sendEvent(bar, event);
}

void TKvrSpreadSheet::keyPressEvent(QKeyEvent* event) {
    auto scroll = [this, event](QScrollBar* bar, QAbstractSlider::SliderAction action) {
        if (!Shows(bar))
            return false;
        bar->triggerAction(action);
        event->accept();
        return true;
    };
    bool scrolled = false;
    switch (event->key()) {
    case Qt::Key_Down:
        scrolled = scroll(down_, QAbstractSlider::SliderSingleStepAdd);
        break;
    case Qt::Key_Up:
        scrolled = scroll(down_, QAbstractSlider::SliderSingleStepSub);
        break;
    case Qt::Key_PageDown:
        scrolled = scroll(down_, QAbstractSlider::SliderPageStepAdd);
        break;
    case Qt::Key_PageUp:
        scrolled = scroll(down_, QAbstractSlider::SliderPageStepSub);
        break;
    case Qt::Key_Right:
        scrolled = scroll(across_, QAbstractSlider::SliderSingleStepAdd);
        break;
    case Qt::Key_Left:
        scrolled = scroll(across_, QAbstractSlider::SliderSingleStepSub);
        break;
    case Qt::Key_Home:
        scrolled = scroll(down_, QAbstractSlider::SliderToMinimum);
        scrolled = scroll(across_, QAbstractSlider::SliderToMinimum) || scrolled;
        break;
    case Qt::Key_End:
        scrolled = scroll(down_, QAbstractSlider::SliderToMaximum);
        break;
    default:
        break;
    }
    if (!scrolled)
        TKvrChild::keyPressEvent(event);
}

kui::ViewText TKvrSpreadSheet::Describe() {
    const kui::SpreadsheetData sheet = Snapshot();
    kui::ViewText text;
    text.name = QStringLiteral("Stroke Ratings");
    if (!sheet.playerName.isEmpty())
        text.lines << sheet.playerName;
    if (!sheet.firstDate.isEmpty())
        text.lines << QStringLiteral("From %1").arg(sheet.firstDate);
    text.tables = kui::SpreadsheetTables(sheet);
    return text;
}

void TKvrSpreadSheet::AddContextActions(QMenu& menu) {
    menu.addAction(QStringLiteral("&Export CSV..."), this, &TKvrSpreadSheet::ExportCsv);
}

void TKvrSpreadSheet::ExportCsv() {
    const QString path =
        kui::AskFileToExport(this, QStringLiteral("Export CSV"), kvr::FileFormat::Ratings);
    if (path.isEmpty())
        return;
    if (!kui::ExportSpreadsheetCsv(path, App().PlayStore()))
        kui::Tell(this, QStringLiteral("Unable to export the spreadsheet to '%1'.").arg(path),
                  QStringLiteral("Export CSV"), kui::Icon::Warning);
}
