// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/play_store.h"
#include "support/process.h"
#include "support/records.h"
#include "support/temp_dir.h"

#include <string>
#include <vector>

#include <QRectF>
#include <QRegularExpression>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

namespace kvrtest {

// One word of a PDF as pdftotext reads it back, with its box in points.
struct PdfWord {
    QString text;
    QRectF box;
};

struct PdfPage {
    QSizeF size;
    std::vector<PdfWord> words;

    // The words in reading order, one blank apart.
    QString Text() const {
        QStringList texts;
        for (const PdfWord& word : words)
            texts << word.text;
        return texts.join(QLatin1Char(' '));
    }
    // The first word that reads `text`, or null.
    const PdfWord* Find(const QString& text) const {
        for (const PdfWord& word : words)
            if (word.text == text)
                return &word;
        return nullptr;
    }
};

// The pages of a PDF file, read with `pdftotext -bbox`; none when it
// cannot be read.
inline std::vector<PdfPage> ReadPdf(const QString& file) {
    const QString html =
        QString::fromUtf8(RunProcess(QStringLiteral("pdftotext"),
                                     {QStringLiteral("-bbox"), file, QStringLiteral("-")})
                              .out);
    static const QRegularExpression tag(
        QStringLiteral("<page width=\"([0-9.]+)\" height=\"([0-9.]+)\">|<word xMin=\"([0-9.]+)\" "
                       "yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" yMax=\"([0-9.]+)\">([^<]*)</word>"));
    std::vector<PdfPage> pages;
    for (const QRegularExpressionMatch& match : tag.globalMatch(html)) {
        if (!match.captured(1).isEmpty()) {
            pages.push_back(
                {QSizeF(match.captured(1).toDouble(), match.captured(2).toDouble()), {}});
        } else if (!pages.empty()) {
            QString text = match.captured(7);
            text.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
            pages.back().words.push_back(
                {text,
                 QRectF(QPointF(match.captured(3).toDouble(), match.captured(4).toDouble()),
                        QPointF(match.captured(5).toDouble(), match.captured(6).toDouble()))});
        }
    }
    return pages;
}

// An outing with notes, as the play records keep it.
inline PlayRecord Outing(const std::string& date, const std::string& kind, const std::string& who,
                         const std::string& matchNotes, const std::string& practiceNotes,
                         const std::string& secondOpponent = {}) {
    PlayRecord record;
    record.date = date;
    record.singlesDoubles = secondOpponent.empty() ? "S" : "D";
    record.who = who;
    record.secondOpponent = secondOpponent;
    record.time = "2";
    record.kind = kind;
    record.result = "W";
    record.score = "6-4 6-3";
    record.matchNotes = matchNotes;
    record.practiceNotes = practiceNotes;
    return record;
}

// Writes play.dat (the current goal period, oldest first) and history.dat
// (the past periods, newest first) in the working folder, with the player's
// name.
inline void WritePlayData(const std::vector<PlayRecord>& current,
                          const std::vector<PlayRecord>& past) {
    WritePlayFiles(current, past);
    if (past.empty())
        WriteFile("history.dat", Lines({"KVR History Data Format 2.0"}));
    WriteFile("coach.dat", Lines({"KVR Coach Data Format 1.0", "Pat Smith"}));
}

} // namespace kvrtest
