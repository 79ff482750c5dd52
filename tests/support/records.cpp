// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/records.h"

#include "core/history.h"
#include "support/temp_dir.h"

namespace kvrtest {

PlayRecord MakePlay(const std::string& date, const std::string& who, const std::string& kind) {
    PlayRecord record;
    record.date = date;
    record.singlesDoubles = "S";
    record.who = who;
    record.time = "1.5";
    record.kind = kind;
    if (kind == "M") {
        record.result = "W";
        record.score = "6-4 6-3";
    }
    return record;
}

std::vector<PlayRecord> MakePeriod(int count, int month, const std::string& who, bool numbered) {
    std::vector<PlayRecord> period;
    for (int day = 1; day <= count; ++day)
        period.push_back(MakePlay(std::to_string(month) + "/" + std::to_string(day) + "/2026",
                                  numbered ? who + std::to_string(day) : who));
    return period;
}

ChartRecord MakeChart(const std::string& date, const std::string& opponent,
                      const std::string& score) {
    ChartRecord chart;
    chart.date = date;
    chart.opponent = opponent;
    chart.score = score;
    return chart;
}

PhoneRecord MakePhone(const std::string& name, const std::string& phone, const std::string& notes) {
    PhoneRecord record;
    record.name = name;
    record.phoneNumber = phone;
    record.notes = notes;
    return record;
}

SchedRecord MakeEvent(const std::string& date, const std::string& who, const std::string& time,
                      const std::string& notes) {
    SchedRecord record;
    record.date = date;
    record.who = who;
    record.time = time;
    record.where = "Club";
    record.notes = notes;
    return record;
}

TipRecord MakeTip(const std::string& text, int level, int rating) {
    TipRecord record;
    record.stroke = "Serve";
    record.kind = "T";
    record.tipText = text;
    record.level = level;
    record.frequencyRating = rating;
    return record;
}

void SaveServeTips(std::initializer_list<TipRecord> tips) {
    TipClass store;
    store.Select("Serve");
    for (const TipRecord& tip : tips)
        store.AddCopy(tip);
    ASSERT_EQ(store.Save(), 1);
}

void WritePlayFiles(const std::vector<PlayRecord>& current, const std::vector<PlayRecord>& past) {
    std::string play = "ZBD Data File Format 2.0\r\n" + std::to_string(current.size()) + "\r\n";
    for (const PlayRecord& record : current)
        play += record.ToLine() + "\r\n";
    WriteFile("play.dat", play);
    if (past.empty())
        return;
    std::string history = std::string(KVR_History::kHeader) + "\r\n";
    for (const PlayRecord& record : past)
        history += record.ToHistoryLine() + "\r\n";
    WriteFile(KVR_History::kFileName, history);
}

} // namespace kvrtest
