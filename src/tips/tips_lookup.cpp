// SPDX-License-Identifier: GPL-3.0-or-later
#include "tips/tips_lookup.h"

#include "app/application.h"
#include "app/client.h"
#include "app/data_stores.h"
#include "app/view_accessible.h"
#include "tips/tip_dialogs.h"
#include "tips/tip_store.h"
#include "tips/tips_commands.h"
#include "ui/button_row.h"
#include "ui/drawing.h"
#include "ui/message.h"
#include "ui/notebook_page.h"
#include "ui/text.h"

#include <algorithm>
#include <chrono>
#include <random>
#include <utility>

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QMdiSubWindow>
#include <QPainter>
#include <QPushButton>
#include <QResizeEvent>
#include <QScrollBar>

namespace kui {
namespace {

std::function<int()>& Draw() {
    static std::function<int()> draw;
    return draw;
}

// A number from the generator, seeded from the clock at every lookup.
int DrawNumber() {
    if (Draw())
        return Draw()();
    std::mt19937 generator(static_cast<std::mt19937::result_type>(
        std::chrono::system_clock::now().time_since_epoch().count()));
    return static_cast<int>(generator() >> 1);
}

} // namespace

void SetTipDraw(std::function<int()> draw) {
    Draw() = std::move(draw);
}

void DrawTipPage(QPainter& painter, QSize size, const TipPageData& data) {
    const int w = size.width();
    const int h = size.height();
    painter.save();
    if (!data.page.isNull()) {
        // Pixel for pixel when the picture was drawn for this size.
        painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
        painter.drawImage(QRect(0, 0, w, h), data.page);
    }
    painter.setPen(Qt::black);
    UseScaledFont(painter, size, 20, 35);
    DrawText(painter, Frac(w, 0.5), Frac(h, 0.3),
             QStringLiteral("Tip for your %1").arg(data.stroke), Align::Center);
    if (data.tip) {
        UseScaledFont(painter, size, 25, 45);
        DrawText(painter, Frac(w, 0.5), Frac(h, 0.4),
                 QStringLiteral("Level %1: %2").arg(data.level).arg(LevelName(data.level)),
                 Align::Center);
        // The text stands between the level line and the rating bar, so a
        // long tip never runs under the controls.
        UseScaledFont(painter, size, 25, 50);
        DrawWrappedText(painter, Frac(w, 0.1), Frac(h, 0.48), Frac(w, 0.9), Frac(h, 0.78),
                        data.text);
        painter.setBrush(Qt::NoBrush);
        const QRect box = data.ratingBox.isEmpty()
                              ? QRect(Frac(w, 0.52), Frac(h, 0.88), Frac(w, 0.05), Frac(h, 0.05))
                              : data.ratingBox;
        // The frame from (0.51 W, 0.87 H) to (0.58 W, 0.94 H), its right and
        // bottom lines inside those edges; it moves and grows with a box
        // raised or widened for the smallest legible number.
        const int dy = box.top() - Frac(h, 0.88);
        const int dw = box.width() - Frac(w, 0.05);
        const int dh = box.height() - Frac(h, 0.05);
        const QPoint corner(Frac(w, 0.51) + box.left() - Frac(w, 0.52), Frac(h, 0.87) + dy);
        const QPoint far(Frac(w, 0.58) + box.left() - Frac(w, 0.52) + dw, Frac(h, 0.94) + dy + dh);
        painter.drawRect(corner.x(), corner.y(), far.x() - corner.x() - 1,
                         far.y() - corner.y() - 1);
        DrawText(painter, Frac(w, 0.5), box.top(), QStringLiteral("Rating:"), Align::Right);
        DrawText(painter, box.center().x(), box.top() + Frac(h, 0.005),
                 QString::number(data.rating), Align::Center);
    }
    painter.restore();
}

QStringList TipPageLines(const TipPageData& data, int rating) {
    QStringList lines{QStringLiteral("Tip for your %1").arg(data.stroke)};
    if (data.tip)
        lines << QStringLiteral("Level %1: %2").arg(data.level).arg(LevelName(data.level))
              << data.text << QStringLiteral("Rating: %1").arg(rating);
    return lines;
}

QRect TipRatingBox(QSize size) {
    const int w = size.width();
    const int h = size.height();
    const QFontMetrics number(ArialFont(kSmallestText, 0));
    const int width = std::max(Frac(w, 0.05), number.horizontalAdvance(QStringLiteral("10")) + 4);
    const int height = std::max(Frac(h, 0.05), number.height() + 2);
    return {Frac(w, 0.52), std::min(Frac(h, 0.88), h - height - Frac(h, 0.01) - 1), width, height};
}

int FirstTipShown(const TipClass& tips, int level) {
    if (tips.CountAtLevel(level) == 0)
        return -1;
    const int drawn = DrawNumber() % 10;
    const int minimum =
        std::min((drawn < 0 ? drawn + 10 : drawn) + 1, tips.MaxRatingAtLevel(level));
    for (int index = 0; index < static_cast<int>(tips.Count()); ++index) {
        const TipRecord& tip = *tips.At(index);
        if (tip.level == level && std::max(tip.frequencyRating, 0) >= minimum)
            return index;
    }
    return -1;
}

bool ChooseTips(QWidget* parent, TipClass& tips, QString& stroke, int& level) {
    TTipsSelectDlg dialog(parent, stroke, level);
    if (RunModal(dialog) != QDialog::Accepted)
        return false;
    stroke = dialog.Stroke();
    level = dialog.Level();
    tips.Select(ToStored(stroke));
    const int loaded = tips.Load();
    if (loaded < 0) {
        Tell(parent, QStringLiteral("Unable to load tips file!\n\n") +
                         kui::DataStores::FailedLoadText(QString::fromStdString(tips.FileName()),
                                                         loaded, tips.Error()));
        return false;
    }
    return true;
}

} // namespace kui

KvrTipsLookup::KvrTipsLookup(KvrClient& client, int childId, const QString& stroke, int level)
    : TKvrChild(client, childId, QStringLiteral("Lookup Tips")), stroke_(stroke), level_(level),
      next_(new QPushButton(QStringLiteral("&Next >>"), this)),
      edit_(new QPushButton(QStringLiteral("&Edit"), this)),
      delete_(new QPushButton(QStringLiteral("De&l"), this)),
      rating_(new QScrollBar(Qt::Horizontal, this)), ratingBox_(new QLabel(this)) {
    RepaintOn({kui::Store::Tips});
    next_->setObjectName(QStringLiteral("next"));
    edit_->setObjectName(QStringLiteral("edit"));
    delete_->setObjectName(QStringLiteral("delete"));
    rating_->setObjectName(QStringLiteral("frequencyRating"));
    ratingBox_->setObjectName(QStringLiteral("ratingBox"));
    next_->setDefault(true);
    rating_->setRange(0, 10);
    rating_->setPageStep(1);
    // The rating is changed with the arrow keys too: it takes the focus in
    // the Tab order, between the buttons.
    rating_->setFocusPolicy(Qt::StrongFocus);
    ratingBox_->setFrameStyle(QFrame::Box | QFrame::Plain);
    ratingBox_->setAlignment(Qt::AlignCenter);
    ratingBox_->setAutoFillBackground(true);
    connect(next_, &QPushButton::clicked, this, &KvrTipsLookup::NextTip);
    connect(edit_, &QPushButton::clicked, this, &KvrTipsLookup::EditTip);
    connect(delete_, &QPushButton::clicked, this, &KvrTipsLookup::DeleteTip);
    connect(rating_, &QScrollBar::valueChanged, this, [this](int value) {
        ratingBox_->setText(QString::number(value));
        // A screen reader hears the rating the player moves.
        kui::AnnounceViewChange(*this);
    });
    setFocusPolicy(Qt::StrongFocus);
    // Tab goes through the controls from left to right.
    setTabOrder(delete_, edit_);
    setTabOrder(edit_, rating_);
    setTabOrder(rating_, next_);
    ShowControls(false);
}

TipClass& KvrTipsLookup::Tips() const {
    return App().TipStore();
}

bool KvrTipsLookup::HasTip() const {
    return current_ >= 0 && Tips().At(current_) != nullptr;
}

void KvrTipsLookup::Start() {
    current_ = -1;
    const int drawn = kui::DrawNumber() % 10;
    minimum_ = (drawn < 0 ? drawn + 10 : drawn) + 1;
    update();
    NextTip();
}

void KvrTipsLookup::NextTip() {
    TipClass& tips = Tips();
    if (level_ < 1 || level_ > 4)
        level_ = 1;
    if (tips.CountAtLevel(level_) == 0) {
        current_ = -1;
        ShowControls(false);
        update();
        return;
    }
    ShowControls(true);
    SaveMovedRating();

    if (minimum_ > tips.MaxRatingAtLevel(level_))
        minimum_ = tips.MaxRatingAtLevel(level_);
    const int count = static_cast<int>(tips.Count());
    int index = current_ < 0 || current_ + 1 >= count ? 0 : current_ + 1;
    // A rating below 0 (a hand-edited file) counts as 0, so that the lowered
    // minimum always lets one tip through and the walk ends.
    auto qualifies = [&](const TipRecord& tip) {
        return tip.level == level_ && std::max(tip.frequencyRating, 0) >= minimum_;
    };
    for (bool first = true;; first = false, index = (index + 1) % count) {
        if (!first && index == current_ &&
            !kui::AskYesNo(this,
                           QStringLiteral("No more Tips for This Selection.  Return to First Tip?"),
                           QStringLiteral("No More Tips"))) {
            Hide();
            return;
        }
        if (qualifies(*tips.At(index)))
            break;
    }
    current_ = index;
    ShowRating();
    update();
    setFocus();
}

void KvrTipsLookup::SaveMovedRating() {
    TipRecord* tip = Tips().At(current_);
    // A rating outside the bar's range shows at its end; left there, it is
    // not a change.
    const int shownPosition = std::clamp(shownRating_, rating_->minimum(), rating_->maximum());
    if (!tip || shownRating_ <= 0 || rating_->value() == shownPosition)
        return;
    if (!kui::AskOkCancel(this, QStringLiteral("Frequency Rating has been changed.  Save changes?"),
                          QStringLiteral("Save Changes?")))
        return;
    TipRecord rated = *tip;
    rated.frequencyRating = rating_->value();
    if (!kui::Commit(this, Tips(), kvr::Updated(*tip, rated)))
        return;
    App().RecordsChanged(kui::Store::Tips);
    shownRating_ = rated.frequencyRating;
}

void KvrTipsLookup::EditTip() {
    if (!HasTip())
        return;
    TipRecord* tip = Tips().At(current_);
    TTipEditDlg dialog(this, *tip);
    bool stored = false;
    dialog.Run([&](kui::FormDialog::Request) {
        if (!dialog.Changed())
            return true;
        stored = kui::Commit(&dialog, Tips(), kvr::Updated(*tip, dialog.Tip()));
        return stored;
    });
    if (stored)
        App().RecordsChanged(kui::Store::Tips);
}

void KvrTipsLookup::DeleteTip() {
    if (!HasTip())
        return;
    // The tip named by its first words, on one line.
    constexpr int kNamedLength = 60;
    const QString text = kui::FromStored(Tips().At(current_)->tipText).simplified();
    const QString start =
        text.size() > kNamedLength
            ? text.left(kNamedLength).section(QLatin1Char(' '), 0, -2) + QStringLiteral("...")
            : text;
    if (!kui::AskYesNo(this,
                       kui::AboutWhat(QStringLiteral("Do you really want to delete this tip?"),
                                      {QStringLiteral("\"%1\"").arg(start)}),
                       QStringLiteral("Delete Tip"), kui::Default::No))
        return;
    // A delete that cannot be saved keeps the tip on the page.
    if (!kui::Commit(this, Tips(), kvr::Removed(*Tips().At(current_))))
        return;
    App().RecordsChanged(kui::Store::Tips);
    shownRating_ = -1;
    // The walk to the next tip starts at the tip that followed the deleted
    // one, which now has its place.
    --current_;
    NextTip();
}

void KvrTipsLookup::StoresChanged() {
    const TipClass& tips = Tips();
    const TipRecord* shown = tips.At(current_);
    if (!shown || shown->ToLine() == shownLine_)
        return;
    for (int index = 0; index < static_cast<int>(tips.Count()); ++index)
        if (tips.At(index)->ToLine() == shownLine_) {
            current_ = index;
            return;
        }
    // The shown tip itself changed (an edit, a new rating): it keeps its place.
    shownLine_ = shown->ToLine();
}

void KvrTipsLookup::ShowRating() {
    const TipRecord* tip = Tips().At(current_);
    shownLine_ = tip ? tip->ToLine() : std::string();
    shownRating_ = tip ? tip->frequencyRating : -1;
    rating_->setValue(std::max(shownRating_, 0));
    ratingBox_->setText(QString::number(shownRating_));
}

void KvrTipsLookup::ShowControls(bool show) {
    for (QWidget* control :
         std::initializer_list<QWidget*>{next_, edit_, delete_, rating_, ratingBox_})
        control->setVisible(show);
}

void KvrTipsLookup::Hide() {
    showing_ = false;
    if (QMdiSubWindow* frame = SubWindow())
        frame->hide();
    else
        hide();
}

kui::TipPageData KvrTipsLookup::Snapshot() const {
    kui::TipPageData page;
    page.page = Client().NotebookPage();
    page.stroke = stroke_;
    if (const TipRecord* tip = HasTip() ? Tips().At(current_) : nullptr) {
        page.tip = true;
        page.level = tip->level;
        page.rating = tip->frequencyRating;
        page.text = kui::FromStored(tip->tipText);
    }
    return page;
}

kui::ViewText KvrTipsLookup::Describe() {
    const kui::TipPageData page = Snapshot();
    kui::ViewText text;
    text.name = QStringLiteral("Tip for your %1").arg(stroke_);
    if (page.tip) {
        // Which of the level's tips this is, counted in the store's order.
        TipClass& tips = Tips();
        int number = 0;
        for (int i = 0; i <= current_; ++i)
            number += tips.At(i) && tips.At(i)->level == page.level ? 1 : 0;
        text.name = QStringLiteral("Tip %1 of %2").arg(number).arg(tips.CountAtLevel(page.level));
        text.value = rating_->isVisibleTo(this) ? rating_->value() : page.rating;
        text.minimum = rating_->minimum();
        text.maximum = rating_->maximum();
    }
    text.lines = kui::TipPageLines(page, text.value.value_or(page.rating));
    return text;
}

void KvrTipsLookup::Render(QPainter& painter, QSize size) {
    kui::TipPageData page = Snapshot();
    page.page = Client().NotebookPage(size, kui::DrawingScale(painter));
    page.ratingBox = kui::TipRatingBox(size);
    kui::DrawTipPage(painter, size, page);
}

void KvrTipsLookup::resizeEvent(QResizeEvent* event) {
    TKvrChild::resizeEvent(event);
    const int w = width();
    const int h = height();
    rating_->setGeometry(kui::Frac(w, 0.4), kui::Frac(h, 0.8), kui::Frac(w, 0.2),
                         kui::Frac(h, 0.05));
    const QRect box = kui::TipRatingBox(size());
    ratingBox_->setGeometry(box);
    // The number in the style's size where the box holds it, "10" included,
    // smaller down to the legible floor where it does not.
    const int styleCell = QFontMetrics(QApplication::font(ratingBox_)).height();
    int cell = std::max(kui::kSmallestText, std::min(styleCell, box.height() - 4));
    while (cell > kui::kSmallestText &&
           QFontMetrics(kui::ArialFont(cell, 0, this)).horizontalAdvance(QStringLiteral("10")) >
               box.width() - 4)
        --cell;
    ratingBox_->setFont(kui::ArialFont(cell, 0, this));

    // The buttons' row, as high as their captions need on the bottom edge;
    // "&Del" and "&Edit" keep left of "Rating:", "&Next >>" right of the
    // rating box.
    const int height = kui::ButtonRowHeight(*next_, kui::Frac(h, 0.07));
    const int top = std::min(kui::Frac(h, 0.9), h - height);
    auto at = [&](QPushButton* button, double x, double width) {
        return kui::ButtonPlace{button, QRect(kui::Frac(w, x), top, kui::Frac(w, width), height)};
    };
    const QFontMetrics label(kui::ScaledFont(size(), 25, 50, this));
    const int labelLeft = kui::Frac(w, 0.5) - label.horizontalAdvance(QStringLiteral("Rating:"));
    const std::vector<kui::ButtonPlace> before{at(delete_, 0.08, 0.12), at(edit_, 0.21, 0.12)};
    const std::vector<kui::ButtonPlace> after{at(next_, 0.75, 0.15)};
    const int caption = kui::RowCaptionCell({before[0], before[1], after[0]});
    kui::PlaceButtonRow(before, 0, std::max(labelLeft - 2, kui::Frac(w, 0.33)), caption);
    kui::PlaceButtonRow(after, box.right() + kui::Frac(w, 0.01) + 2, w, caption);
}
