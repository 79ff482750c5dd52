// SPDX-License-Identifier: GPL-3.0-or-later
// Reads arbitrary bytes as a vCard file against a phone book that holds two
// names (one of them twice): every entry read must be one phone.dat can keep
// (a name, a line that reads back as itself), and every update must name an
// entry of the book.
#include "formats/vcard_read.h"
#include "phonebook/phone_store.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

PhoneRecord Entry(const char* name, const char* number) {
    PhoneRecord entry;
    entry.name = name;
    entry.phoneNumber = number;
    return entry;
}

KVR_PhoneData book; // in memory only: never loaded nor saved

bool ReadsBack(const PhoneRecord& entry) {
    PhoneRecord back;
    back.FromLine(entry.ToLine());
    return !entry.name.empty() && back.ToLine() == entry.ToLine();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    book.AddCopy(Entry("Ann Lee", "555-0101"));
    book.AddCopy(Entry("Dee Fox", "555-0000"));
    book.AddCopy(Entry("dee fox", "555-0001"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string contents(reinterpret_cast<const char*>(data), size);
    const kui::ContactsImport read =
        kui::ReadContactsText(contents, QStringLiteral("fuzz.vcf"), book);
    if (!read.error.isEmpty() && (!read.added.empty() || !read.updated.empty()))
        std::abort();
    for (const PhoneRecord& entry : read.added)
        if (!ReadsBack(entry))
            std::abort();
    for (const auto& [target, entry] : read.updated) {
        bool inBook = false;
        for (unsigned i = 0; i < book.Count(); ++i)
            inBook = inBook || book.At(static_cast<int>(i)) == target;
        if (!inBook || !ReadsBack(entry))
            std::abort();
    }
    (void)kui::ContactsChanges(read, true);
    return 0;
}
