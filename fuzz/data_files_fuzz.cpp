// Feeds arbitrary bytes as play.dat and as history.dat to the readers, in a
// private temporary folder.
#include "core/history.h"
#include "core/play_store.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

void writeFile(const char* name, const uint8_t* data, size_t size) {
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    char folder[] = "/tmp/kavora-fuzz-XXXXXX";
    if (!::mkdtemp(folder) || ::chdir(folder) != 0)
        std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    writeFile("play.dat", data, size);
    {
        KVR_PlayData store;
        store.Load();
    }
    ::unlink("history.old");
    writeFile("history.dat", data, size);
    KVR_History history;
    while (history.ReadNext() == 1) {
    }
    history.CountRecords();
    history.Find(2, "a");
    history.SortByDate();
    return 0;
}
