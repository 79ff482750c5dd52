// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench_support.h"

#include "core/history.h"
#include "core/safe_file.h"

#include <array>
#include <cstdlib>
#include <system_error>

namespace kvrbench {
namespace {

constexpr size_t kFileCount = static_cast<size_t>(DataFile::Tips) + 1;

// play.dat as the play store itself writes the goal period.
std::string PlayFileText() {
    WorkingFolder folder;
    if (!folder.Ok() || SharedData().WritePlayFile() != 1)
        return {};
    return kvr::ReadWholeFile("play.dat").value_or(std::string());
}

std::string MakeText(DataFile file) {
    const DataSet& data = SharedData();
    switch (file) {
    case DataFile::History:
        return data.HistoryFile();
    case DataFile::ReversedHistory:
        return data.ReversedHistoryFile();
    case DataFile::Play:
        return PlayFileText();
    case DataFile::Phone:
        return data.PhoneFile();
    case DataFile::Chart:
        return data.ChartFile();
    case DataFile::Sched:
        return data.SchedFile();
    case DataFile::Tips:
        return data.TipFile();
    }
    return {};
}

} // namespace

const DataSet& SharedData() {
    static const DataSet data;
    return data;
}

const char* FileName(DataFile file) {
    switch (file) {
    case DataFile::History:
    case DataFile::ReversedHistory:
        return KVR_History::kFileName;
    case DataFile::Play:
        return "play.dat";
    case DataFile::Phone:
        return "phone.dat";
    case DataFile::Chart:
        return "chart.dat";
    case DataFile::Sched:
        return "sched.dat";
    case DataFile::Tips:
        return kTipFileName;
    }
    return "";
}

const std::string& FileText(DataFile file) {
    static std::array<std::string, kFileCount> texts;
    static std::array<bool, kFileCount> made{};
    const auto index = static_cast<size_t>(file);
    if (!made[index]) {
        texts[index] = MakeText(file);
        made[index] = true;
    }
    return texts[index];
}

bool RestoreFiles(std::initializer_list<DataFile> files) {
    for (DataFile file : files) {
        const std::string& text = FileText(file);
        if (text.empty() || !kvr::WriteFileAtomically(FileName(file), text))
            return false;
    }
    return true;
}

WorkingFolder::WorkingFolder() {
    std::error_code error;
    previous_ = std::filesystem::current_path(error);
    std::string pattern =
        (std::filesystem::temp_directory_path(error) / "kavora-bench-XXXXXX").string();
    if (error || ::mkdtemp(pattern.data()) == nullptr)
        return;
    path_ = pattern;
    std::filesystem::current_path(path_, error);
    ok_ = !error;
}

WorkingFolder::~WorkingFolder() {
    std::error_code ignored;
    if (!previous_.empty())
        std::filesystem::current_path(previous_, ignored);
    if (!path_.empty())
        std::filesystem::remove_all(path_, ignored);
}

} // namespace kvrbench
