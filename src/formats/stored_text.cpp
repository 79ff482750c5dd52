// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/stored_text.h"

#include "core/record_line.h"

#include <QStringDecoder>

namespace kui {

namespace {

// Windows-1252 in 0x80..0x9F; the rest of the upper half is Latin-1. The five
// bytes the code page leaves undefined are shown as the C1 controls they
// would be in Latin-1, which keeps them visible as themselves.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString FromCp1252(const std::string& bytes) {
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    for (char c : bytes) {
        auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80 && byte < 0xA0)
            text.append(QChar(kCp1252High[byte - 0x80]));
        else
            text.append(QChar(static_cast<char16_t>(byte)));
    }
    return text;
}

} // namespace

QString FromStored(const std::string& bytes) {
    std::string clean = bytes.substr(0, bytes.find('\0'));
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text =
        decoder.decode(QByteArrayView(clean.data(), static_cast<qsizetype>(clean.size())));
    if (decoder.hasError())
        return FromCp1252(clean);
    return text;
}

std::string ToStored(const QString& text) {
    return text.toStdString();
}

std::string StorableField(const QString& text) {
    QString fitted = text;
    fitted.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    fitted.replace(QLatin1Char('\r'), QLatin1Char(' '))
        .replace(QLatin1Char('\n'), QLatin1Char(' '));
    return kvr::StorableText(ToStored(fitted.trimmed()));
}

} // namespace kui
