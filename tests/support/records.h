// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "charting/chart_store.h"
#include "core/play_store.h"
#include "phonebook/phone_store.h"
#include "schedule/sched_store.h"
#include "tips/tip_store.h"

#include <initializer_list>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace kvrtest {

// The records the tests start from, one builder per store. Each fills what
// the program needs to keep and show the record; a test sets what else it
// checks on the copy it gets.

// A singles outing of `kind` ("P" practice, "M" match, "L" lesson) against
// `who`, 1.5 hours long; a match is won 6-4 6-3.
PlayRecord MakePlay(const std::string& date, const std::string& who = "Ann Lee",
                    const std::string& kind = "P");
// A goal period of `count` such outings, one a day from the 1st of `month`
// 2026, against `who` (with the day's number after it when `numbered`).
std::vector<PlayRecord> MakePeriod(int count, int month, const std::string& who = "Ann Lee",
                                   bool numbered = false);

// A charted match, every count zero.
ChartRecord MakeChart(const std::string& date, const std::string& opponent,
                      const std::string& score = "6-4 6-3");

// A phone book entry.
PhoneRecord MakePhone(const std::string& name, const std::string& phone = "",
                      const std::string& notes = "");

// An event of the scheduler, at the club.
SchedRecord MakeEvent(const std::string& date, const std::string& who,
                      const std::string& time = "6 pm", const std::string& notes = "");

// A tip ("T") for the serve.
TipRecord MakeTip(const std::string& text, int level, int rating);

// Saves `records` as the whole of a store's file, in the working folder.
template <class Store, class Record> void SaveRecords(std::initializer_list<Record> records) {
    Store store;
    for (const Record& record : records)
        store.AddCopy(record);
    ASSERT_EQ(store.Save(), 1);
}

// Saves `tips` as the whole of the serve's tip file.
void SaveServeTips(std::initializer_list<TipRecord> tips);

// Writes play.dat (the current goal period, oldest first) and, when `past`
// holds any, history.dat (the past periods, newest first) in the working
// folder.
void WritePlayFiles(const std::vector<PlayRecord>& current, const std::vector<PlayRecord>& past);

} // namespace kvrtest
