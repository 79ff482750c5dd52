// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/child.h"

#include <functional>
#include <string>

#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

class QLabel;
class QPushButton;
class QScrollBar;
class TipClass;

namespace kui {

// What the tips view shows.
struct TipPageData {
    QImage page;      // the notebook page picture, stretched behind
    QString stroke;   // "Tip for your <stroke>"
    bool tip = false; // a tip is shown: its level line, text and the rating frame
    int level = 0;
    int rating = 0; // the stored rating, in the box (under the live box of a view)
    QString text;
    // The rating's number box, framed on the page; empty: the box at
    // (0.52 W, 0.88 H), 0.05 W by 0.05 H.
    QRect ratingBox;
};

// Where the rating's number box stands at `size`: its place in proportion
// to the size, made large enough for "10" at the smallest legible font.
QRect TipRatingBox(QSize size);

// The tips page: the heading, and for a tip its level line, its text
// wrapped in the lower part of the pad, and the framed rating box with its
// "Rating:" label.
void DrawTipPage(QPainter& painter, QSize size, const TipPageData& data);

// The page in words, as drawn from the top: the heading, and for a tip its
// level line, its text and "Rating: n" with `rating` (the live rating).
QStringList TipPageLines(const TipPageData& data, int rating);

// The random numbers the lookup draws its minimum rating from. Null puts
// back the generator seeded from the clock; tests fix the draw.
void SetTipDraw(std::function<int()> draw);

// The first tip the lookup shows at `level` of the tips in `tips`: the first
// in the store's order whose rating reaches a minimum drawn at random (and
// lowered to the level's highest rating), or -1 when the level has none.
int FirstTipShown(const TipClass& tips, int level);

// Runs the lookup's selection, opened on `stroke` and `level` as given (the
// choice made last), and loads the stroke's tips into `tips`; `stroke` and
// `level` take the new choice. False (after telling why) when the player
// cancels or the file cannot be read.
bool ChooseTips(QWidget* parent, TipClass& tips, QString& stroke, int& level);

} // namespace kui

// "Lookup Tips": one tip of a stroke and level at a time, drawn with a
// random preference for highly rated tips. The player steps on, rates the
// tip, edits its text or deletes it; every change is saved at once.
class KvrTipsLookup : public TKvrChild {
    Q_OBJECT
public:
    // A view of the tips of `stroke` at `level` (1 to 4) that the store
    // holds; Start shows the first one.
    KvrTipsLookup(KvrClient& client, int childId, const QString& stroke, int level);
    Q_DISABLE_COPY_MOVE(KvrTipsLookup)

    // Draws the minimum rating and shows the first qualifying tip.
    void Start();
    // The next tip that reaches the minimum rating, cyclically; asks to
    // save a moved rating first, and asks before showing the same tip again.
    void NextTip();
    void EditTip();
    void DeleteTip();

    int CurrentIndex() const { return current_; }
    int MinimumRating() const { return minimum_; }
    // False once the player declined to see the tips again.
    bool Showing() const { return showing_; }

    kui::TipPageData Snapshot() const;
    void Render(QPainter& painter, QSize size) override;
    // A tip added to the shown stroke's file reloads the store, which may
    // put the tips in other places: the page keeps the tip it showed.
    void StoresChanged() override;
    // The page, with the rating the bar shows as the view's value.
    kui::ViewText Describe() override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    TipClass& Tips() const;
    bool HasTip() const;
    void ShowControls(bool show);
    // The rating controls take the stored rating of the tip shown.
    void ShowRating();
    void SaveMovedRating();
    void Hide();

    QString stroke_;
    int level_;
    int current_ = -1;
    int minimum_ = 1;
    int shownRating_ = -1;
    std::string shownLine_; // the shown tip's stored line
    bool showing_ = true;

    QPushButton* next_;
    QPushButton* edit_;
    QPushButton* delete_;
    QScrollBar* rating_;
    QLabel* ratingBox_;
};
