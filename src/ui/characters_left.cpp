// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/characters_left.h"

#include "ui/contrast.h"

#include <algorithm>
#include <memory>

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>

namespace kui {

namespace {

// The counter beside a field: hidden while the text is well within its
// limit, so that it only speaks when there is something to say.
class CharactersLeft : public QLabel {
public:
    CharactersLeft(int limit, QWidget* parent) : QLabel(parent), limit_(std::max(limit, 1)) {
        setObjectName(QStringLiteral("charactersLeft"));
        setAccessibleName(QStringLiteral("Characters left"));
        setToolTip(QStringLiteral("This field holds %1 characters.").arg(limit_));
        setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        // The room it needs is kept while it is hidden, so the field does
        // not change width as the counter comes and goes.
        QSizePolicy policy = sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        setSizePolicy(policy);
        // One width for every counter, so the fields of a form line up.
        setMinimumWidth(std::max(fontMetrics().horizontalAdvance(Text(999)),
                                 fontMetrics().horizontalAdvance(Text(-999))));
        hide();
    }

    void Count(int characters) {
        // Shown once the text passes four fifths of the limit.
        const bool shown = characters * 5 > limit_ * 4;
        if (shown) {
            const int left = limit_ - characters;
            setText(Text(left));
            QPalette colours = palette();
            // Red when over the limit, a red that reads on the dialog's
            // ground, light or dark.
            const QPalette& around = parentWidget()->palette();
            colours.setColor(QPalette::WindowText,
                             left < 0 ? ReadableOn(Qt::red, around.color(QPalette::Window))
                                      : around.color(QPalette::WindowText));
            setPalette(colours);
        }
        setVisible(shown);
    }

private:
    static QString Text(int left) {
        return left >= 0 ? QStringLiteral("%1 left").arg(left)
                         : QStringLiteral("%1 over").arg(-left);
    }

    int limit_;
};

} // namespace

int CharacterCount(const QString& text) {
    int count = 0;
    for (qsizetype i = 0; i < text.size(); ++i, ++count)
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
    return count;
}

QWidget* WithCharactersLeft(QWidget* field, int limit) {
    auto* row = new QWidget(field->parentWidget());
    row->setObjectName(field->objectName() + QStringLiteral("Row"));
    // The row grows as the field does; a field of a fixed height keeps the
    // row at that height, so the counter stays level with its bottom.
    QSizePolicy policy = field->sizePolicy();
    if (field->minimumHeight() == field->maximumHeight())
        policy.setVerticalPolicy(QSizePolicy::Fixed);
    row->setSizePolicy(policy);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(field, 1);
    auto* counter = new CharactersLeft(limit, row);

    if (auto* notes = qobject_cast<QPlainTextEdit*>(field)) {
        layout->addWidget(counter, 0, Qt::AlignBottom);
        QObject::connect(notes, &QPlainTextEdit::textChanged, counter, [counter, notes] {
            counter->Count(CharacterCount(notes->toPlainText()));
        });
        counter->Count(CharacterCount(notes->toPlainText()));
    } else {
        auto* line = qobject_cast<QLineEdit*>(field);
        if (auto* list = qobject_cast<QComboBox*>(field))
            line = list->lineEdit();
        layout->addWidget(counter, 0, Qt::AlignVCenter);
        if (line) {
            QObject::connect(
                line, &QLineEdit::textChanged, counter,
                [counter](const QString& text) { counter->Count(CharacterCount(text)); });
            counter->Count(CharacterCount(line->text()));
        }
    }

    // The row stands for the field: a label's accelerator and a click on
    // the row reach the field, and Tab passes over the row to the field.
    row->setFocusPolicy(field->focusPolicy());
    row->setFocusProxy(field);
    return row;
}

void KeepWithin(QPlainTextEdit& edit, int limit) {
    // Where the last change put text in and how much, as the document tells
    // it before the text-changed signal; and the length before that change.
    struct State {
        int position = 0;
        int added = 0;
        int before = 0;
    };
    auto state = std::make_shared<State>();
    state->before = CharacterCount(edit.toPlainText());
    QTextDocument* document = edit.document();
    QObject::connect(document, &QTextDocument::contentsChange, &edit,
                     [state](int position, int, int added) {
                         state->position = position;
                         state->added = added;
                     });
    QObject::connect(&edit, &QPlainTextEdit::textChanged, &edit, [&edit, document, limit, state] {
        const QString text = edit.toPlainText();
        const int count = CharacterCount(text);
        const int allowed = std::max(limit, state->before);
        // A text the program sets starts a new undo history: it is kept as
        // it is, however long. What the player puts in can be undone.
        const bool typed = document->isUndoAvailable();
        if (typed && count > allowed && state->added > 0) {
            // Drop the end of what was put in, a whole character at a time.
            const qsizetype from = std::clamp<qsizetype>(state->position, 0, text.size());
            const qsizetype end = std::clamp<qsizetype>(from + state->added, from, text.size());
            qsizetype start = end;
            for (int dropped = 0; dropped < count - allowed && start > from; ++dropped) {
                --start;
                if (start > from && text.at(start).isLowSurrogate() &&
                    text.at(start - 1).isHighSurrogate())
                    --start;
            }
            state->added = 0;
            QTextCursor cursor(document);
            // One undo step with the typing it cuts.
            cursor.joinPreviousEditBlock();
            cursor.setPosition(static_cast<int>(start));
            cursor.setPosition(static_cast<int>(end), QTextCursor::KeepAnchor);
            cursor.removeSelectedText();
            cursor.endEditBlock();
            edit.setTextCursor(cursor);
        }
        state->before = CharacterCount(edit.toPlainText());
    });
}

void NameFieldsByTheirLabels(QWidget& dialog) {
    for (QLabel* label : dialog.findChildren<QLabel*>()) {
        QWidget* buddy = label->buddy();
        if (!buddy)
            continue;
        QWidget* field = buddy->focusProxy() ? buddy->focusProxy() : buddy;
        // A field beside its label is named by it already.
        if (field->parentWidget() == label->parentWidget() || !field->accessibleName().isEmpty())
            continue;
        QString name = label->text();
        name.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
        name.remove(QLatin1Char('&'));
        name.replace(QStringLiteral("\x01"), QStringLiteral("&"));
        name = name.trimmed();
        if (name.endsWith(QLatin1Char(':')))
            name.chop(1);
        field->setAccessibleName(name.trimmed());
    }
}

} // namespace kui
