// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "data_generator.h"

#include <filesystem>
#include <initializer_list>
#include <string>

namespace kvrbench {

// The data set every benchmark works from, made once per run.
const DataSet& SharedData();

// The files of the shared data set. ReversedHistory is history.dat with its
// records oldest first.
enum class DataFile { History, ReversedHistory, Play, Phone, Chart, Sched, Tips };

const char* FileName(DataFile file);
// The file's whole contents, made once per run; empty when it could not be
// made.
const std::string& FileText(DataFile file);

// Puts the files into the working directory as the data set has them
// (written durably, as the program's own saves are, so that writing them
// does not spill into the timed work). False when any could not be written.
bool RestoreFiles(std::initializer_list<DataFile> files);

// A fresh temporary folder made the working directory (the model reads its
// files relative to it) for as long as the object lives; removed afterwards.
// The folder lies under $TMPDIR when that is set.
class WorkingFolder {
public:
    WorkingFolder();
    ~WorkingFolder();
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;

    bool Ok() const { return ok_; }
    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
    std::filesystem::path previous_;
    bool ok_ = false;
};

} // namespace kvrbench
