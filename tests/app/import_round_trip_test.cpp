// SPDX-License-Identifier: GPL-3.0-or-later
#include "data_generator.h"
#include "formats/ical.h"
#include "formats/vcard.h"
#include "phonebook/phone_store.h"
#include "phonebook/vcard_import.h"
#include "schedule/sched_ical_import.h"
#include "schedule/sched_store.h"
#include "support/records.h"
#include "support/render.h"
#include "support/scripted_responder.h"
#include "support/temp_dir.h"

#include <filesystem>

#include <QDialog>

namespace kvrtest {
namespace {

namespace fs = std::filesystem;

template <class Store> std::vector<std::string> StoredLines(const Store& store) {
    std::vector<std::string> lines;
    for (unsigned i = 0; i < store.Count(); ++i)
        lines.push_back(store.At(static_cast<int>(i))->ToLine());
    return lines;
}

class ImportRoundTripTest : public TempDirTest {
protected:
    static void SetUpTestSuite() { EnsureApplication(); }
};

// The generated data set's schedule and phone book, exported as the menus
// export them and imported through the menus' path into an empty folder,
// come back record by record, in the same order; importing the same files
// again adds nothing.
TEST_F(ImportRoundTripTest, ExportedCalendarAndContactsComeBackWhole) {
    const kvrbench::DataSet data;
    WriteFile("sched.dat", data.SchedFile());
    WriteFile("phone.dat", data.PhoneFile());
    SchedClass events;
    KVR_PhoneData phones;
    ASSERT_EQ(events.Load(), 1);
    ASSERT_EQ(phones.Load(), 1);
    // Times as a player may type them: no clock time, a 24-hour one, none.
    for (const char* time : {"evening", "18:05", ""})
        events.AddCopy(MakeEvent("6/1/2025", "Bo (coach) Park", time, "Lobs, then; smash"));
    ASSERT_GT(events.Count(), 900u);
    ASSERT_GT(phones.Count(), 100u);
    ASSERT_TRUE(kui::ExportCalendar(QStringLiteral("tennis.ics"), events));
    ASSERT_TRUE(kui::ExportVCards(QStringLiteral("contacts.vcf"), phones));

    fs::create_directory("empty");
    fs::current_path("empty");
    ScriptedResponder responder;
    auto accept = [](QDialog& dialog) {
        dialog.accept();
        return dialog.result();
    };
    SchedClass newEvents;
    KVR_PhoneData newPhones;
    for (int pass = 0; pass < 2; ++pass) {
        responder.QueueDialog(accept);
        EXPECT_EQ(kui::ImportCalendar(nullptr, QStringLiteral("../tennis.ics"), newEvents),
                  pass == 0);
        responder.QueueDialog(accept);
        EXPECT_EQ(kui::ImportContacts(nullptr, QStringLiteral("../contacts.vcf"), newPhones),
                  pass == 0);
    }
    EXPECT_TRUE(responder.Shown().empty()) << responder.Texts().front().toStdString();
    ASSERT_EQ(newEvents.Load(), 1);
    ASSERT_EQ(newPhones.Load(), 1);
    EXPECT_EQ(StoredLines(newEvents), StoredLines(events));
    EXPECT_EQ(StoredLines(newPhones), StoredLines(phones));

    const kui::CalendarImport again =
        kui::ReadCalendarForImport(QStringLiteral("../tennis.ics"), newEvents, ZBD_Date());
    EXPECT_EQ(again.report.present, events.Count());
    EXPECT_TRUE(again.report.problems.empty());
    const kui::ContactsImport contacts =
        kui::ReadContactsForImport(QStringLiteral("../contacts.vcf"), newPhones);
    EXPECT_EQ(contacts.report.present, phones.Count());
    EXPECT_TRUE(contacts.report.problems.empty());
}

} // namespace
} // namespace kvrtest
