// SPDX-License-Identifier: GPL-3.0-or-later
// Splits arbitrary bytes as a record line and parses them as a play record
// and as a date.
#include "core/date.h"
#include "core/play_store.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string line(reinterpret_cast<const char*>(data), size);
    ZBD_Record record(line, ',');
    for (int i = 0; i <= record.FieldCount() + 1; ++i)
        (void)record.FieldInt(i);

    PlayRecord play;
    play.FromLine(line);
    PlayRecord back;
    back.FromLine(play.ToLine());

    ZBD_Date date(line);
    (void)date.IsValid();
    (void)date.DayNumber();
    (void)date.DayOfWeek();
    (void)date.DaysInMonth();
    (void)date.Difference(ZBD_Date(1, 1, 2000), 'M');
    (void)date.MonthName();
    return 0;
}
