// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/vcard_read.h"

#include "core/import_file.h"
#include "formats/stored_text.h"
#include "formats/vcard.h"

#include <map>
#include <optional>
#include <set>
#include <string>

#include <QByteArray>
#include <QFile>
#include <QStringDecoder>

namespace kui {
namespace {

// One content line of a card, unfolded: its name without a group, its
// parameters (names upper-cased) and its value as it stands in the file.
struct Property {
    QByteArray name;
    std::multimap<QByteArray, QByteArray> parameters;
    QByteArray value;

    bool Has(const QByteArray& parameter, const QByteArray& wanted) const {
        auto [first, last] = parameters.equal_range(parameter);
        for (auto it = first; it != last; ++it)
            for (const QByteArray& part : it->second.split(','))
                if (part.trimmed().compare(wanted, Qt::CaseInsensitive) == 0)
                    return true;
        return false;
    }
    QByteArray Parameter(const QByteArray& parameter) const {
        auto found = parameters.find(parameter);
        return found == parameters.end() ? QByteArray() : found->second;
    }
};

struct Card {
    std::size_t line = 0; // of its BEGIN:VCARD
    std::vector<Property> properties;
    // The code page a property of the card names (CHARSET), for the
    // properties that name none.
    QByteArray charset;
    // Version 2.1 escapes only semicolons: a backslash before anything
    // else is text.
    bool version21 = false;

    const Property* First(const char* name) const {
        for (const Property& property : properties)
            if (property.name == name)
                return &property;
        return nullptr;
    }
};

// Splits at `separator` outside double quotes.
std::vector<QByteArray> SplitOutsideQuotes(const QByteArray& text, char separator) {
    std::vector<QByteArray> parts(1);
    bool quoted = false;
    for (char c : text) {
        if (c == '"')
            quoted = !quoted;
        if (c == separator && !quoted)
            parts.emplace_back();
        else
            parts.back() += c;
    }
    return parts;
}

std::optional<Property> ParseLine(const QByteArray& line) {
    qsizetype colon = -1;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size() && colon < 0; ++i) {
        if (line[i] == '"')
            quoted = !quoted;
        else if (line[i] == ':' && !quoted)
            colon = i;
    }
    if (colon <= 0)
        return std::nullopt;
    std::vector<QByteArray> head = SplitOutsideQuotes(line.left(colon), ';');
    Property property;
    property.name = head.front().trimmed().toUpper();
    if (const qsizetype dot = property.name.lastIndexOf('.'); dot >= 0)
        property.name = property.name.mid(dot + 1); // "item1.TEL"
    for (std::size_t i = 1; i < head.size(); ++i) {
        const qsizetype equals = head[i].indexOf('=');
        if (equals < 0) {
            // vCard 2.1 names a type or an encoding alone: "TEL;CELL",
            // "NOTE;QUOTED-PRINTABLE".
            const QByteArray bare = head[i].trimmed().toUpper();
            const bool encoding = bare == "QUOTED-PRINTABLE" || bare == "BASE64" || bare == "B";
            property.parameters.emplace(encoding ? QByteArray("ENCODING") : QByteArray("TYPE"),
                                        bare);
            continue;
        }
        QByteArray value = head[i].mid(equals + 1).trimmed();
        if (value.size() >= 2 && value.startsWith('"') && value.endsWith('"'))
            value = value.mid(1, value.size() - 2);
        property.parameters.emplace(head[i].left(equals).trimmed().toUpper(), value);
    }
    property.value = line.mid(colon + 1);
    return property;
}

// The cards of the file's text, each from its BEGIN:VCARD to its END:VCARD
// (or the end of the file): folded lines joined, quoted-printable soft line
// breaks too. A card inside another (as Android writes an agent) is a card
// of its own, and the properties after it are its parent's again.
std::vector<Card> ReadCards(const std::string& text) {
    const std::vector<std::string> lines = kvr::SplitLines(text);
    std::vector<Card> cards;
    std::vector<std::size_t> open; // the cards not ended, innermost last
    for (std::size_t i = 0; i < lines.size();) {
        const std::size_t number = i + 1;
        QByteArray logical = QByteArray::fromStdString(lines[i++]);
        while (i < lines.size() && !lines[i].empty() && (lines[i][0] == ' ' || lines[i][0] == '\t'))
            logical += QByteArray::fromStdString(lines[i++].substr(1));
        std::optional<Property> property = ParseLine(logical);
        if (!property)
            continue;
        if (property->Has("ENCODING", "QUOTED-PRINTABLE")) {
            while (property->value.endsWith('=') && i < lines.size()) {
                property->value.chop(1);
                property->value += QByteArray::fromStdString(lines[i++]);
            }
        }
        const QByteArray value = property->value.trimmed().toUpper();
        if (property->name == "BEGIN" && value == "VCARD") {
            open.push_back(cards.size());
            cards.push_back({number, {}, {}, false});
        } else if (property->name == "END" && value == "VCARD") {
            if (!open.empty())
                open.pop_back();
        } else if (!open.empty()) {
            Card& card = cards[open.back()];
            if (property->name == "VERSION")
                card.version21 = value == "2.1";
            if (const QByteArray charset = property->Parameter("CHARSET");
                card.charset.isEmpty() && !charset.isEmpty())
                card.charset = charset;
            card.properties.push_back(std::move(*property));
        }
    }
    return cards;
}

QByteArray QuotedPrintable(const QByteArray& text) {
    QByteArray decoded;
    for (qsizetype i = 0; i < text.size(); ++i) {
        bool ok = false;
        if (text[i] == '=' && i + 2 < text.size()) {
            const int byte = text.mid(i + 1, 2).toInt(&ok, 16);
            if (ok) {
                decoded += static_cast<char>(byte);
                i += 2;
                continue;
            }
        }
        decoded += text[i];
    }
    return decoded;
}

bool IsUtf8(const QByteArray& bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder.decode(bytes); // decodes only when made a text
    return !decoder.hasError();
}

// The bytes in the code page `charset`, when it is one that reads them.
std::optional<QString> InCodePage(const QByteArray& bytes, const QByteArray& charset) {
    if (charset.isEmpty())
        return std::nullopt;
    QStringDecoder decoder(charset.constData());
    if (!decoder.isValid())
        return std::nullopt;
    const QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

// A value's text: quoted-printable undone, in its CHARSET; without one, as
// UTF-8 when it is valid UTF-8, else in the code page another property of
// the card names (a phone that writes CHARSET on the notes alone), else as
// Windows-1252. Its escapes stay.
QString RawText(const Property& property, const Card& card) {
    QByteArray bytes = property.value;
    if (property.Has("ENCODING", "QUOTED-PRINTABLE"))
        bytes = QuotedPrintable(bytes);
    if (auto text = InCodePage(bytes, property.Parameter("CHARSET")))
        return *text;
    if (!IsUtf8(bytes))
        if (auto text = InCodePage(bytes, card.charset))
            return *text;
    return FromStored(bytes.toStdString());
}

// Splits at `separator` where it is not escaped, and undoes the escapes of
// each part: \n, \N, \\, \, and \; (vCard 2.1: \; alone). A backslash
// before anything else is kept as written ("C:\Courts").
QStringList Unescaped(const QString& text, bool version21, QChar separator = QChar()) {
    QStringList parts(QString{});
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('\\') && i + 1 < text.size()) {
            const QChar next = text[i + 1];
            const bool newline =
                !version21 && (next == QLatin1Char('n') || next == QLatin1Char('N'));
            const bool escaped =
                next == QLatin1Char(';') ||
                (!version21 && (next == QLatin1Char(',') || next == QLatin1Char('\\')));
            if (newline || escaped) {
                parts.back() += newline ? QChar('\n') : next;
                ++i;
                continue;
            }
            parts.back() += c;
        } else if (!separator.isNull() && c == separator) {
            parts << QString();
        } else {
            parts.back() += c;
        }
    }
    return parts;
}

QString Value(const Card& card, const char* name) {
    const Property* property = card.First(name);
    return property ? Unescaped(RawText(*property, card), card.version21).constFirst() : QString();
}

// The name of a card: FN, else the given, additional and family names of N.
QString CardName(const Card& card) {
    QString name = Value(card, "FN").simplified();
    if (!name.isEmpty())
        return name;
    const Property* n = card.First("N");
    if (!n)
        return {};
    const QStringList parts = Unescaped(RawText(*n, card), card.version21, QLatin1Char(';'));
    QStringList words;
    for (int i : {1, 2, 0})
        if (i < parts.size())
            words << QString(parts[i]).replace(QLatin1Char(','), QLatin1Char(' '));
    return words.join(QLatin1Char(' ')).simplified();
}

// The number of a TEL value: a "tel:" address loses its scheme.
QString Number(QString number) {
    number = number.trimmed();
    if (number.startsWith(QStringLiteral("tel:"), Qt::CaseInsensitive))
        number = number.mid(4).replace(QStringLiteral(";ext="), QStringLiteral(" ext. "));
    return number;
}

// The playing profile a card of this program carries, where it is one the
// entry dialog could have given.
void ReadProfile(const Card& card, PhoneRecord& entry) {
    auto code = [&](const char* name, const QString& allowed) -> std::string {
        const QString value = Value(card, name).trimmed();
        return value.size() == 1 && allowed.contains(value) ? ToStored(value) : std::string();
    };
    entry.playingSide = code(kSideProperty, QStringLiteral("RL"));
    entry.playingStyle = code(kStyleProperty, QStringLiteral("BAS"));
    entry.backhandStyle = code(kBackhandProperty, QStringLiteral("12"));
    const QString rating = Value(card, kRatingProperty).trimmed();
    if (rating.size() <= 3)
        entry.rating = kvr::StorableText(ToStored(rating));
}

} // namespace

ContactsImport ReadContactsForImport(const QString& path, const KVR_PhoneData& phones) {
    const kvr::ImportFile file = kvr::ReadImportFile(QFile::encodeName(path).toStdString());
    if (!file.contents) {
        ContactsImport result;
        result.error = QStringLiteral("Unable to read '%1': %2.")
                           .arg(path, QString::fromLocal8Bit(file.problem.c_str()));
        return result;
    }
    return ReadContactsText(*file.contents, path, phones);
}

ContactsImport ReadContactsText(const std::string& contents, const QString& path,
                                const KVR_PhoneData& phones) {
    ContactsImport result;
    const std::string text = kvr::DecodeText(contents);
    const QByteArray start = QByteArray::fromStdString(text).trimmed();
    if (start.isEmpty()) {
        result.error = QStringLiteral("'%1' is empty: it holds no contacts to import.").arg(path);
        return result;
    }
    const std::vector<Card> cards =
        start.toUpper().startsWith("BEGIN:VCARD") ? ReadCards(text) : std::vector<Card>{};
    if (cards.empty()) {
        result.error = QStringLiteral("'%1' holds no contacts: a vCard file (.vcf) begins with "
                                      "BEGIN:VCARD.")
                           .arg(path);
        return result;
    }

    // The book's names, ignoring case. A name the book holds twice is never
    // updated: the import cannot know which of the two the card means.
    std::map<QString, const PhoneRecord*> book;
    std::set<QString> twice;
    for (unsigned i = 0; i < phones.Count(); ++i) {
        const PhoneRecord* entry = phones.At(static_cast<int>(i));
        const QString key = FromStored(entry->name).toCaseFolded();
        if (!book.emplace(key, entry).second)
            twice.insert(key);
    }
    std::set<QString> taken;
    for (const Card& card : cards) {
        kvr::ImportReport& report = result.report;
        const QString name = CardName(card);
        if (name.isEmpty()) {
            report.problems.push_back({card.line, "a card without a name (FN or N)", true});
            continue;
        }
        PhoneRecord entry;
        entry.name = StorableField(name);
        const QString key = FromStored(entry.name).toCaseFolded();
        if (!taken.insert(key).second) {
            report.problems.push_back(
                {card.line,
                 QStringLiteral("\"%1\" came earlier in the file").arg(name).toStdString(), true});
            continue;
        }
        entry.phoneNumber = StorableField(Number(Value(card, "TEL")));
        entry.notes = StorableField(Value(card, "NOTE"));

        const auto known = book.find(key);
        if (known == book.end()) {
            ReadProfile(card, entry);
            result.added.push_back(std::move(entry));
            continue;
        }
        // A name of the book: its number and notes from the card where the
        // card has them, everything else as it is.
        if (twice.contains(key)) {
            report.problems.push_back(
                {card.line,
                 QStringLiteral("\"%1\" is in the phone book twice: neither entry is updated")
                     .arg(name)
                     .toStdString(),
                 true, true});
            continue;
        }
        PhoneRecord changed;
        changed.Assign(*known->second);
        if (!entry.phoneNumber.empty())
            changed.phoneNumber = entry.phoneNumber;
        if (!entry.notes.empty())
            changed.notes = entry.notes;
        if (changed.phoneNumber == known->second->phoneNumber &&
            changed.notes == known->second->notes) {
            ++report.present;
            continue;
        }
        result.updated.emplace_back(known->second, std::move(changed));
    }
    result.report.added = result.added.size();
    result.report.updated = result.updated.size();
    return result;
}

std::vector<kvr::Change<PhoneRecord>> ContactsChanges(const ContactsImport& read, bool update) {
    std::vector<kvr::Change<PhoneRecord>> changes;
    for (const PhoneRecord& entry : read.added)
        changes.push_back(kvr::Added(entry));
    if (update)
        for (const auto& [target, entry] : read.updated)
            changes.push_back(kvr::Updated(*target, entry));
    return changes;
}

} // namespace kui
