// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/record_store.h"

#include <string>

// One coaching tip for one stroke at one level of play.
struct TipRecord : ZBD_DataRecordBase<TipRecord> {
    std::string stroke, kind, tipText;
    int level = 0;           // 1 Consistency, 2 Placement, 3 Spin, 4 Power
    int frequencyRating = 0; // 0 to 10: how readily the tip is shown

    void Assign(const TipRecord& other) override;
    std::string Key() const override { return stroke; }
    // "stroke","kind","level","frequencyRating","tipText"
    std::string ToLine() const override;
    void FromLine(const std::string& line) override;
    // Same tip text; the other fields are not compared.
    bool Equals(const TipRecord& other) const override;
};

// The tips of one stroke at a time, each stroke in its own file.
class TipClass : public ZBD_Data<TipRecord> {
public:
    TipClass(); // no file until a stroke is selected

    // Binds the store to the file of a stroke ("Forehand" or "forehand" ...;
    // any other text binds it to no file). A text other than the one selected
    // last also empties the store; the caller loads afterwards.
    void Select(const std::string& strokeText);
    const std::string& SelectedStroke() const { return selectedStroke_; }

    int CountAtLevel(int level) const;
    // The highest rating among the tips of a level; 0 when there are none.
    int MaxRatingAtLevel(int level) const;

    // Converts a headerless tip file and saves it in the current format.
    // 1 done; -1 when the file could not be read or saved, or for any other
    // older version.
    int Upgrade(float fileVersion) override;
    bool IsRecordLine(const std::string& line) const override;

    // The file of a stroke text; empty for a text that names no stroke.
    static std::string FileNameFor(const std::string& strokeText);

private:
    std::string selectedStroke_;
};
