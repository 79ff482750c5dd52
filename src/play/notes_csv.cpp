// SPDX-License-Identifier: GPL-3.0-or-later
#include "play/notes_csv.h"

#include "core/history.h"
#include "core/play_store.h"
#include "core/safe_file.h"
#include "play/notes_page.h"
#include "play/outings_csv.h"
#include "ui/text.h"

#include <QFile>
#include <QStringList>

namespace kui {

namespace {

QString Row(const QStringList& fields) {
    QStringList quoted;
    quoted.reserve(fields.size());
    for (const QString& field : fields)
        quoted.push_back(CsvField(field));
    return quoted.join(QLatin1Char(',')) + QStringLiteral("\r\n");
}

// A record's row, its values worded as the notebook's page words them, then
// its 24 ratings (empty for an outing without them, and for a past record:
// the history keeps none).
QString RecordRow(const QString& period, const PlayRecord& record) {
    const bool match = record.IsMatch();
    const bool doubles = record.IsDoubles();
    QStringList fields{period,
                       FromStored(record.date),
                       SinglesDoublesText(record),
                       FromStored(record.who),
                       doubles ? FromStored(record.secondOpponent) : QString(),
                       doubles ? FromStored(record.partner) : QString(),
                       FromStored(record.time),
                       KindText(record),
                       match ? ResultText(record) : QString(),
                       match ? FromStored(record.score) : QString(),
                       FromStored(record.matchNotes),
                       FromStored(record.practiceNotes)};
    // Every one of them is text, kept as text in a spreadsheet.
    for (QString& field : fields)
        field = TextCell(field);
    for (kvr::Stroke stroke : kvr::kCsvStrokeOrder)
        for (kvr::Level level : kvr::kCsvLevelOrder)
            fields << (record.rated ? QString::number(record.Rating(stroke, level)) : QString());
    return Row(fields);
}

} // namespace

QString CsvField(const QString& text) {
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString TextCell(const QString& text) {
    if (!text.isEmpty() && QStringLiteral("=+-@").contains(text.front()))
        return QLatin1Char('\'') + text;
    return text;
}

bool ExportNotesCsv(const QString& path, KVR_PlayData& play) {
    QStringList header;
    for (const char* column : kvr::kNotesCsvColumns)
        header << QString::fromLatin1(column);
    for (kvr::Stroke stroke : kvr::kCsvStrokeOrder)
        for (kvr::Level level : kvr::kCsvLevelOrder)
            header << QString::fromStdString(kvr::RatingColumn(stroke, level));
    QString csv = Row(header);
    for (int i = static_cast<int>(play.Count()) - 1; i >= 0; --i)
        csv += RecordRow(QStringLiteral("Current"), *play.At(i));
    KVR_History history;
    while (history.ReadNext() == 1)
        csv += RecordRow(QStringLiteral("Past"), history.Current());
    // A history that could not be read whole is no complete export.
    if (history.LoadResult() < 0)
        return false;
    return kvr::WriteFileAtomically(QFile::encodeName(path).toStdString(), csv.toStdString());
}

} // namespace kui
