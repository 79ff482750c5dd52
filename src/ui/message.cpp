// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/message.h"

#include "core/pending_change.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPushButton>

namespace kui {

namespace {

Responder* g_responder = nullptr;

QString& DefaultCaptionText() {
    static QString caption;
    return caption;
}

QMessageBox::Icon BoxIcon(Icon icon) {
    switch (icon) {
    case Icon::Information:
        return QMessageBox::Information;
    case Icon::Warning:
        return QMessageBox::Warning;
    case Icon::Stop:
        return QMessageBox::Critical;
    case Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

int ShowBox(QWidget* parent, const Message& message, QMessageBox::StandardButtons buttons,
            QMessageBox::StandardButton defaultButton) {
    QMessageBox box(BoxIcon(message.icon), message.caption, message.text, buttons, parent);
    box.setDefaultButton(defaultButton);
    box.setTextFormat(Qt::PlainText);
    // A letter alone presses the button it underlines; OK has none of its
    // own, and needs one when Enter does not press it.
    if (QAbstractButton* ok = box.button(QMessageBox::Ok); ok && defaultButton != QMessageBox::Ok)
        ok->setText(QStringLiteral("&OK"));
    return box.exec();
}

Message Make(Message::Kind kind, const QString& text, const QString& caption, Icon icon,
             Default byDefault = Default::Yes) {
    Message message;
    message.kind = kind;
    message.text = text;
    message.caption = caption.isEmpty() ? DefaultCaption() : caption;
    message.icon = icon;
    message.byDefault = byDefault;
    return message;
}

} // namespace

void SetDefaultCaption(const QString& caption) {
    DefaultCaptionText() = caption;
}

QString DefaultCaption() {
    return DefaultCaptionText();
}

void Tell(QWidget* parent, const QString& text, const QString& caption, Icon icon) {
    Message message = Make(Message::Kind::Tell, text, caption, icon);
    if (g_responder) {
        g_responder->Told(message);
        return;
    }
    ShowBox(parent, message, QMessageBox::Ok, QMessageBox::Ok);
}

void TellSaveFailed(QWidget* parent) {
    Tell(parent, QStringLiteral("Error saving data!"), {}, Icon::Warning);
}

QString PlayChangeWaitingText() {
    const auto pending = kvr::FindPendingPlayChange();
    if (!pending)
        return {};
    QString change;
    switch (pending->kind) {
    case kvr::PlayChangeKind::GoalPeriod:
        change = QStringLiteral("a new goal period");
        break;
    case kvr::PlayChangeKind::Import:
        change = QStringLiteral("an import");
        break;
    case kvr::PlayChangeKind::Merge:
        change = QStringLiteral("a merge of conflict copies");
        break;
    case kvr::PlayChangeKind::Unknown:
        change = QStringLiteral("a change of your outings");
        break;
    }
    QStringList waiting;
    for (const kvr::StagedFile& file : pending->waiting)
        waiting << QStringLiteral("'%1' is to replace '%2'")
                       .arg(QString::fromLatin1(file.staged), QString::fromLatin1(file.target));
    const QString files =
        waiting.isEmpty()
            ? QStringLiteral("Its files are in place, but its mark '%1' could not be removed.")
                  .arg(QString::fromLatin1(kvr::kPlayChangeMark))
            : QStringLiteral("In the data folder, %1.").arg(waiting.join(QStringLiteral(", ")));
    return QStringLiteral("The last change of your outings (%1) is not finished.\n%2\n\nUntil "
                          "it is, no outing can be recorded, changed or imported; everything "
                          "else works as usual. Make sure the data folder and these files can "
                          "be written to, then start Kavora again to finish it.")
        .arg(change, files);
}

bool TellPlayChangeWaits(QWidget* parent) {
    const QString text = PlayChangeWaitingText();
    if (text.isEmpty())
        return false;
    Tell(parent, text, {}, Icon::Warning);
    return true;
}

bool AskYesNo(QWidget* parent, const QString& text, const QString& caption, Default byDefault) {
    Message message = Make(Message::Kind::YesNo, text, caption, Icon::None, byDefault);
    if (g_responder)
        return g_responder->Answer(message);
    return ShowBox(parent, message, QMessageBox::Yes | QMessageBox::No,
                   byDefault == Default::Yes ? QMessageBox::Yes : QMessageBox::No) ==
           QMessageBox::Yes;
}

bool AskOkCancel(QWidget* parent, const QString& text, const QString& caption, Default byDefault) {
    Message message = Make(Message::Kind::OkCancel, text, caption, Icon::None, byDefault);
    if (g_responder)
        return g_responder->Answer(message);
    return ShowBox(parent, message, QMessageBox::Ok | QMessageBox::Cancel,
                   byDefault == Default::Yes ? QMessageBox::Ok : QMessageBox::Cancel) ==
           QMessageBox::Ok;
}

int AskChoice(QWidget* parent, const QString& text, const QStringList& buttons,
              const QString& caption, Icon icon) {
    Message message = Make(Message::Kind::Choice, text, caption, icon);
    message.buttons = buttons;
    if (buttons.isEmpty())
        return -1;
    if (g_responder)
        return g_responder->Choose(message);
    QMessageBox box(BoxIcon(icon), message.caption, text, QMessageBox::NoButton, parent);
    box.setTextFormat(Qt::PlainText);
    QList<QPushButton*> pushed;
    for (qsizetype i = 0; i < buttons.size(); ++i) {
        const bool last = i == buttons.size() - 1;
        pushed << box.addButton(buttons[i],
                                last && i > 0 ? QMessageBox::RejectRole : QMessageBox::AcceptRole);
    }
    box.setDefaultButton(pushed.first());
    box.setEscapeButton(pushed.last());
    box.exec();
    return static_cast<int>(pushed.indexOf(qobject_cast<QPushButton*>(box.clickedButton())));
}

QString AboutWhat(const QString& question, const QStringList& details) {
    QStringList named;
    for (const QString& detail : details)
        if (!detail.trimmed().isEmpty())
            named << detail.trimmed();
    return named.isEmpty() ? question
                           : question + QStringLiteral("\n\n") + named.join(QStringLiteral(", "));
}

int RunModal(QDialog& dialog) {
    if (g_responder)
        return g_responder->Run(dialog);
    return dialog.exec();
}

void SetResponder(Responder* responder) {
    g_responder = responder;
}

Responder* CurrentResponder() {
    return g_responder;
}

QDialogButtonBox* OkCancelButtons(QDialog& dialog, std::function<void()> onOk) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    if (onOk)
        QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, std::move(onOk));
    else
        QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    return buttons;
}

} // namespace kui
