#include "ui/csv.h"

#include "core/safe_file.h"

#include <QFile>

namespace kui {

QString CsvRow(const QStringList& fields) {
    QString row;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            row += QLatin1Char(',');
        const QString& field = fields[i];
        if (field.contains(QLatin1Char(',')) || field.contains(QLatin1Char('"')) ||
            field.contains(QLatin1Char('\n')) || field.contains(QLatin1Char('\r'))) {
            QString quoted = field;
            quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
            row += QLatin1Char('"') + quoted + QLatin1Char('"');
        } else {
            row += field;
        }
    }
    return row + QStringLiteral("\r\n");
}

bool WriteCsvFile(const QString& path, const QString& text) {
    return kvr::WriteFileAtomically(QFile::encodeName(path).toStdString(), text.toStdString());
}

} // namespace kui
