// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/text.h"

#include <QPlainTextEdit>

namespace kui {

QString LeftCharacters(const QString& text, int count) {
    qsizetype end = 0;
    for (int taken = 0; taken < count && end < text.size(); ++taken) {
        if (text.at(end).isHighSurrogate() && end + 1 < text.size() &&
            text.at(end + 1).isLowSurrogate())
            end += 2;
        else
            end += 1;
    }
    return text.left(end);
}

void WrapWithoutScrolling(QPlainTextEdit& edit) {
    edit.setLineWrapMode(QPlainTextEdit::WidgetWidth);
    edit.setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    edit.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

} // namespace kui
