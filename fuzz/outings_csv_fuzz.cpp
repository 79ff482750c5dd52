// SPDX-License-Identifier: GPL-3.0-or-later
// Reads arbitrary bytes as a CSV file of outings: every outing read must be
// one the play store can keep, each problem on a line of the file.
#include "core/play_store.h"
#include "play/outings_csv.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const kvr::OutingsCsv read = kvr::ReadOutingsCsv(text);
    if (read.outings.size() != read.lines.size())
        std::abort();
    for (const PlayRecord& outing : read.outings)
        if (!KVR_PlayData::IsPlayRecordLine(outing.ToLine()))
            std::abort();
    for (const kvr::ImportProblem& problem : read.problems)
        if (problem.line == 0 || problem.reason.empty())
            std::abort();
    return 0;
}
