// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/date.h"
#include "core/record_store.h"

#include <memory>
#include <string>

// One coming tennis date: when, against whom (or which event), at what time,
// where, and a note. Ordered by its date.
struct SchedRecord : ZBD_DataRecordBase<SchedRecord> {
    std::string who, date, time, where, notes;

    SchedRecord() { sortKind = 'D'; }

    void Assign(const SchedRecord& other) override;
    std::string Key() const override { return date; }
    // "date","who","time","where","notes"
    std::string ToLine() const override;
    // Reads the line above; the date is kept in its normalised form.
    void FromLine(const std::string& line) override;
    // Same date, who and time (where and notes are not compared).
    bool Equals(const SchedRecord& other) const override;
    // The days the event lasts from its date: N when its time reads "N days"
    // (2 to 31, as an import of a tournament of several days gives it or a
    // player types it), else 1. The record itself stays one line.
    int Days() const;
};

// The scheduled events: sched.dat, in date order, with the scheduler's search.
class SchedClass : public ZBD_Data<SchedRecord> {
public:
    static constexpr int kForward = 0;
    static constexpr int kBackward = 1;

    SchedClass();

    // Removes the first event that Equals `event`; nothing when there is none.
    void Remove(const SchedRecord* event);
    // Takes `event` itself out of the list (not another event equal to it),
    // keeping it alive, and gives its index; none and -1 when the store does
    // not hold it. PutBack returns a taken event to that index, so that a
    // change that could not be saved is undone exactly.
    std::unique_ptr<SchedRecord> Take(const SchedRecord* event, int& index);
    void PutBack(std::unique_ptr<SchedRecord> event, int index);

    // The next event (kForward) or previous one (kBackward) whose who holds
    // `name` anywhere, ignoring case and accents, starting from `fromDate`. Repeating a search with
    // the same name, direction and a from-date equal to the date of the event found last continues
    // past that event; changing any of them starts over.
    SchedRecord* Find(const std::string& name, const ZBD_Date& fromDate, int direction);
    void ResetSearch();

    // Converts a headerless sched.dat and saves it in the current format.
    // The number of events converted, or below 0 when the file could not be
    // read or the converted file could not be saved.
    int Upgrade(float fileVersion) override;

    // The search state. lastFound is only compared for identity.
    const SchedRecord* lastFound = nullptr;
    std::string lastName;
    int lastDirection = kForward;
    ZBD_Date lastDate{"01/01/1999"};

protected:
    // Drops a lastFound that would dangle: a new event could later get the
    // same address and be taken for it.
    void WillRemove(const SchedRecord* record) override;
};
