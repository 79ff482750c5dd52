// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/file_formats.h"

#include <gtest/gtest.h>

namespace kvrtest {
namespace {

using kvr::FileFormat;
using kvr::FormatRow;

// The file dialogs' filters and suggested names, as the menus have always
// offered them, and the data files each format changes or reads.
TEST(FileFormatsTest, RowsGiveTheDialogsTextsAndTheDataFiles) {
    EXPECT_EQ(FormatRow(FileFormat::Outings).Filter(), "CSV files (*.csv)");
    EXPECT_EQ(FormatRow(FileFormat::Events).Filter(), "iCalendar files (*.ics *.ical *.ifb)");
    EXPECT_EQ(FormatRow(FileFormat::Entries).Filter(), "vCard files (*.vcf *.vcard)");
    EXPECT_EQ(FormatRow(FileFormat::Calendar).Filter(), "iCalendar files (*.ics)");
    EXPECT_EQ(FormatRow(FileFormat::Contacts).Filter(), "vCard files (*.vcf)");

    std::vector<std::string> exports;
    for (const kvr::FileFormatRow& row : kvr::ExportFormats()) {
        EXPECT_TRUE(row.write);
        exports.push_back(std::string(row.name) + " " + row.defaultName + " " + row.Filter());
    }
    EXPECT_EQ(exports, (std::vector<std::string>{
                           "notes notes.csv CSV files (*.csv)",
                           "ratings spreadsheet.csv CSV files (*.csv)",
                           "calendar tennis.ics iCalendar files (*.ics)",
                           "contacts contacts.vcf vCard files (*.vcf)",
                       }));
    std::vector<std::string> imports;
    for (const kvr::FileFormatRow& row : kvr::ImportFormats()) {
        EXPECT_FALSE(row.write);
        imports.push_back(row.name);
    }
    EXPECT_EQ(imports, (std::vector<std::string>{"outings", "events", "entries"}));
    EXPECT_EQ(FormatRow(FileFormat::Outings).files,
              (std::vector<std::string>{"play.dat", "history.dat"}));
    EXPECT_EQ(FormatRow(FileFormat::Notes).files,
              (std::vector<std::string>{"play.dat", "history.dat"}));
}

// A file is known by any of its format's suffixes, in any case, and by
// nothing else.
TEST(FileFormatsTest, FileNamesAreKnownByTheirSuffixInAnyCase) {
    const kvr::FileFormatRow& events = FormatRow(FileFormat::Events);
    for (const char* name : {"club.ics", "Club.ICS", "/tmp/a b/season.iCal", "busy.ifb"})
        EXPECT_TRUE(events.Names(name)) << name;
    for (const char* name : {"club.ics.txt", "clubics", "club.vcf", "", "ics"})
        EXPECT_FALSE(events.Names(name)) << name;
    EXPECT_TRUE(FormatRow(FileFormat::Entries).Names("phone.VCARD"));
}

} // namespace
} // namespace kvrtest
