// SPDX-License-Identifier: GPL-3.0-or-later
// kavora_gen: writes the synthetic data set into a folder, for timing the
// program's start-up on a log of realistic size.

#include "core/safe_file.h"
#include "data_generator.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace {

int usage() {
    std::fprintf(stderr, "usage: kavora_gen [--force] [--history N] <folder>\n"
                         "Writes a synthetic Kavora data set into <folder> (created when\n"
                         "missing), with N past play records (10000 unless given).\n"
                         "Existing data files are only replaced with --force.\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    bool force = false;
    kvrbench::DataSetSize size;
    std::string folder;
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        if (argument == "--force")
            force = true;
        else if (argument == "--history" && i + 1 < argc)
            size.historyRecords = std::atoi(argv[++i]);
        else if (argument.empty() || argument[0] == '-' || !folder.empty())
            return usage();
        else
            folder = argument;
    }
    if (folder.empty())
        return usage();

    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error || !std::filesystem::is_directory(folder)) {
        std::fprintf(stderr, "kavora_gen: cannot create folder %s\n", folder.c_str());
        return 1;
    }
    std::filesystem::current_path(folder, error);
    if (error) {
        std::fprintf(stderr, "kavora_gen: cannot enter folder %s\n", folder.c_str());
        return 1;
    }
    // A real log must never be overwritten by accident.
    if (!force) {
        for (const std::string& name : kvrbench::DataFileNames()) {
            if (kvr::FileExists(name)) {
                std::fprintf(stderr, "kavora_gen: %s/%s exists; use --force to replace it\n",
                             folder.c_str(), name.c_str());
                return 1;
            }
        }
    }

    if (size.historyRecords < 0)
        return usage();
    kvrbench::DataSet data(size);
    std::string failed = data.WriteAll();
    if (!failed.empty()) {
        std::fprintf(stderr, "kavora_gen: cannot write %s/%s\n", folder.c_str(), failed.c_str());
        return 1;
    }
    std::printf("Wrote %d past and %d current play records, %d people, %d charts, %d events and "
                "%d tips to %s\n",
                size.historyRecords, size.playRecords, size.people, size.charts, size.events,
                size.tips, folder.c_str());
    return 0;
}
