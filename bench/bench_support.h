#pragma once

#include "data_generator.h"

#include <filesystem>
#include <string>

namespace kvrbench {

// The data set every benchmark works from, made once per run.
const DataSet& SharedData();

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

// Puts a file back to the given contents (written durably, as the program's
// own saves are, so its writing does not spill into the timed work).
bool RestoreFile(const std::string& name, const std::string& contents);

} // namespace kvrbench
