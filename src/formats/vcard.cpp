// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/vcard.h"

#include "core/safe_file.h"
#include "formats/stored_text.h"
#include "phonebook/phone_store.h"

#include <utility>

#include <QFile>
#include <QStringList>

namespace kui {
namespace {

// A text value with its backslashes, commas, semicolons and line breaks
// escaped.
QString Escaped(const QString& text) {
    QString escaped;
    escaped.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('\\') || c == QLatin1Char(',') || c == QLatin1Char(';')) {
            escaped += QLatin1Char('\\');
            escaped += c;
        } else if (c == QLatin1Char('\r')) {
            escaped += QStringLiteral("\\n");
            if (i + 1 < text.size() && text[i + 1] == QLatin1Char('\n'))
                ++i;
        } else if (c == QLatin1Char('\n')) {
            escaped += QStringLiteral("\\n");
        } else {
            escaped += c;
        }
    }
    return escaped;
}

// One content line, folded: no line longer than 75 octets, each
// continuation starting with a blank, never inside a UTF-8 sequence.
void AddLine(QByteArray& out, const QString& line) {
    const QByteArray bytes = line.toUtf8();
    qsizetype start = 0;
    qsizetype limit = 75;
    while (bytes.size() - start > limit) {
        qsizetype end = start + limit;
        while (end > start && (static_cast<unsigned char>(bytes[end]) & 0xC0) == 0x80)
            --end;
        out += bytes.mid(start, end - start);
        out += "\r\n ";
        start = end;
        limit = 74; // the blank counts
    }
    out += bytes.mid(start);
    out += "\r\n";
}

} // namespace

QByteArray VCards(const KVR_PhoneData& phones) {
    QByteArray out;
    for (unsigned i = 0; i < phones.Count(); ++i) {
        const PhoneRecord& entry = *phones.At(static_cast<int>(i));
        const QString name = FromStored(entry.name).simplified();
        // The last word is taken as the family name, the rest as given names.
        QStringList words = name.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        const QString family = words.isEmpty() ? QString() : words.takeLast();
        AddLine(out, QStringLiteral("BEGIN:VCARD"));
        AddLine(out, QStringLiteral("VERSION:4.0"));
        AddLine(out, QStringLiteral("FN:") + Escaped(name));
        AddLine(out, QStringLiteral("N:%1;%2;;;").arg(Escaped(family), Escaped(words.join(' '))));
        if (!entry.phoneNumber.empty())
            AddLine(out,
                    QStringLiteral("TEL;VALUE=text:") + Escaped(FromStored(entry.phoneNumber)));
        if (!entry.notes.empty())
            AddLine(out, QStringLiteral("NOTE:") + Escaped(FromStored(entry.notes)));
        for (const auto& [property, value] : {std::pair{kRatingProperty, &entry.rating},
                                              std::pair{kSideProperty, &entry.playingSide},
                                              std::pair{kStyleProperty, &entry.playingStyle},
                                              std::pair{kBackhandProperty, &entry.backhandStyle}}) {
            if (!value->empty())
                AddLine(out,
                        QLatin1String(property) + QLatin1Char(':') + Escaped(FromStored(*value)));
        }
        AddLine(out, QStringLiteral("END:VCARD"));
    }
    return out;
}

bool ExportVCards(const QString& path, const KVR_PhoneData& phones) {
    return kvr::WriteFileAtomically(QFile::encodeName(path).toStdString(),
                                    VCards(phones).toStdString());
}

} // namespace kui
