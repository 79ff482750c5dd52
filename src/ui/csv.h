#pragma once

#include <QString>
#include <QStringList>

// Comma-separated values as spreadsheet programs read them: a field that
// holds a comma, a double quote or a line break is put in double quotes with
// its own double quotes doubled; rows end with a carriage return and a line
// feed.
namespace kui {

// One row, with its line end.
QString CsvRow(const QStringList& fields);

// Writes `text` to `path` in UTF-8. The file is replaced whole or not at
// all; false when it could not be written.
bool WriteCsvFile(const QString& path, const QString& text);

} // namespace kui
