// SPDX-License-Identifier: GPL-3.0-or-later
#include "play/rating_dialog.h"

#include "core/date.h"
#include "ui/message.h"

#include <algorithm>

#include <QDialogButtonBox>
#include <QEvent>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

namespace {

constexpr int kMaxRating = 10;
constexpr const char* kLevelNames[kvr::kLevelCount] = {"Consistency", "Placement", "Spin", "Power"};

const char* StrokeName(kvr::Stroke stroke) {
    switch (stroke) {
    case kvr::Stroke::Forehand:
        return "Forehand";
    case kvr::Stroke::Backhand:
        return "Backhand";
    case kvr::Stroke::Serve:
        return "Serve";
    case kvr::Stroke::Return:
        return "Return";
    case kvr::Stroke::Volley:
        return "Volley";
    case kvr::Stroke::Approach:
        return "Approach";
    }
    return "";
}

} // namespace

RatingDlg::RatingDlg(QWidget* parent, int level, const std::array<int, kStrokes>& initial)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("STROKE RATINGS"));
    level = std::clamp(level, 0, kvr::kLevelCount - 1);

    auto* layout = new QVBoxLayout(this);
    auto* title =
        new QLabel(QString::asprintf("Level %d   %s", level + 1, kLevelNames[level]), this);
    title->setObjectName(QStringLiteral("level"));
    title->setAlignment(Qt::AlignCenter);
    QFont titleFont = title->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.3);
    title->setFont(titleFont);
    layout->addWidget(title);

    auto* grid = new QGridLayout;
    layout->addLayout(grid);
    for (int i = 0; i < kStrokes; ++i) {
        const auto position = static_cast<size_t>(i);
        const QString name = QString::fromLatin1(StrokeName(kDialogOrder[position]));
        auto* group = new QGroupBox(name, this);
        auto* row = new QHBoxLayout(group);

        auto* slider = new QSlider(Qt::Vertical, group);
        slider->setObjectName(name.toLower());
        slider->setAccessibleName(name);
        slider->setRange(0, kMaxRating);
        slider->setSingleStep(1);
        slider->setPageStep(kMaxRating);
        slider->setTickPosition(QSlider::TicksRight);
        slider->setTickInterval(1);
        slider->setMinimumHeight(120);
        slider->setValue(std::clamp(initial[position], 0, kMaxRating));
        connect(slider, &QSlider::valueChanged, this, &RatingDlg::Refresh);
        slider->installEventFilter(this);
        sliders_[position] = slider;

        auto* value = new QLabel(group);
        value->setObjectName(name.toLower() + QStringLiteral("Value"));
        value->setAlignment(Qt::AlignCenter);
        value->setFrameShape(QFrame::Box);
        value->setFrameShadow(QFrame::Sunken);
        QFont valueFont = value->font();
        valueFont.setBold(true);
        valueFont.setPointSizeF(valueFont.pointSizeF() * 1.6);
        value->setFont(valueFont);
        value->setAutoFillBackground(true);
        const QFontMetrics metrics(valueFont);
        value->setFixedSize(metrics.horizontalAdvance(QStringLiteral("100")),
                            metrics.height() * 3 / 2);
        values_[position] = value;

        row->addWidget(slider);
        row->addWidget(value, 0, Qt::AlignVCenter);
        // Two strokes a column, the first on top.
        grid->addWidget(group, i % 2, i / 2);
    }

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    layout->addWidget(buttons);

    // Tab runs down each column, then on to the next.
    for (int i = 1; i < kStrokes; ++i)
        setTabOrder(sliders_[static_cast<size_t>(i - 1)], sliders_[static_cast<size_t>(i)]);
    setTabOrder(sliders_.back(), buttons->button(QDialogButtonBox::Ok));
    sliders_.front()->setFocus();
    Refresh();
}

// The value of the stroke the keys move lights up, so that the player sees
// which one that is.
bool RatingDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) {
        const auto found = std::find(sliders_.begin(), sliders_.end(), watched);
        if (found != sliders_.end()) {
            QLabel* value = values_[static_cast<size_t>(found - sliders_.begin())];
            QPalette colours = palette();
            if (event->type() == QEvent::FocusIn) {
                colours.setColor(QPalette::Window, colours.color(QPalette::Highlight));
                colours.setColor(QPalette::WindowText, colours.color(QPalette::HighlightedText));
            }
            value->setPalette(colours);
        }
    }
    return QDialog::eventFilter(watched, event);
}

std::array<int, RatingDlg::kStrokes> RatingDlg::Values() const {
    std::array<int, kStrokes> values{};
    for (size_t i = 0; i < values.size(); ++i)
        values[i] = sliders_[i]->value();
    return values;
}

void RatingDlg::Refresh() {
    for (size_t i = 0; i < sliders_.size(); ++i)
        values_[i]->setText(QString::number(sliders_[i]->value()));
}

namespace kui {

const PlayRecord* RatingReference(const KVR_PlayData& store, const ZBD_Date& date) {
    const int day = date.DayNumber();
    const PlayRecord* previous = nullptr;
    for (unsigned i = 0; i < store.Count(); ++i) {
        const PlayRecord* record = store.At(static_cast<int>(i));
        if (ZBD_Date(record->date).DayNumber() >= day)
            break;
        if (record->rated)
            previous = record;
    }
    return previous;
}

void AskStrokeRatings(QWidget* parent, PlayRecord& record, const PlayRecord* reference) {
    constexpr int kNoReferenceRating = 5;
    for (int level = 0; level < kvr::kLevelCount; ++level) {
        const auto column = static_cast<kvr::Level>(level);
        std::array<int, RatingDlg::kStrokes> initial{};
        for (size_t i = 0; i < initial.size(); ++i)
            initial[i] = reference ? reference->Rating(RatingDlg::kDialogOrder[i], column)
                                   : kNoReferenceRating;
        RatingDlg dialog(parent, level, initial);
        // OK and Escape alike keep the values shown.
        RunModal(dialog);
        const auto values = dialog.Values();
        for (size_t i = 0; i < values.size(); ++i)
            record.Rating(RatingDlg::kDialogOrder[i], column) = values[i];
    }
}

} // namespace kui
