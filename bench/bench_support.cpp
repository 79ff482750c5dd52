#include "bench_support.h"

#include "core/safe_file.h"

#include <cstdlib>
#include <system_error>

namespace kvrbench {

const DataSet& SharedData() {
    static const DataSet data;
    return data;
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

bool RestoreFile(const std::string& name, const std::string& contents) {
    return kvr::WriteFileAtomically(name, contents);
}

} // namespace kvrbench
