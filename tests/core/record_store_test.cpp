// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/record_store.h"
#include "support/temp_dir.h"

#include <csignal>
#include <filesystem>
#include <sys/resource.h>

#include <gtest/gtest.h>

namespace {

using kvrtest::Lines;
using kvrtest::ReadFile;
using kvrtest::WriteFile;

// A small record type: a text key and a note.
struct NoteRecord : ZBD_DataRecordBase<NoteRecord> {
    std::string key, note;
    NoteRecord() = default;
    NoteRecord(std::string k, std::string n, char kind = 'S')
        : key(std::move(k)), note(std::move(n)) {
        sortKind = kind;
    }
    void Assign(const NoteRecord& other) override { *this = other; }
    std::string Key() const override { return key; }
    std::string ToLine() const override {
        return kvr::QuotedField(key) + "," + kvr::QuotedField(note);
    }
    void FromLine(const std::string& line) override {
        ZBD_Record fields(line, ',');
        key = fields.Field(1);
        note = fields.Field(2);
    }
    bool Equals(const NoteRecord& other) const override {
        return key == other.key && note == other.note;
    }
};

struct NoteStore : ZBD_Data<NoteRecord> {
    NoteStore() : ZBD_Data<NoteRecord>("notes.dat", 2.0f, ',') {}
    int Upgrade(float fileVersion) override {
        upgradedFrom = fileVersion;
        return 7;
    }
    float upgradedFrom = -1;
};

std::vector<std::string> Fields(const std::string& line) {
    ZBD_Record record(line, ',');
    std::vector<std::string> fields;
    for (int i = 1; i <= record.FieldCount(); ++i)
        fields.push_back(record.Field(i));
    return fields;
}

std::vector<std::string> Keys(const NoteStore& store) {
    std::vector<std::string> keys;
    for (unsigned i = 0; i < store.Count(); ++i)
        keys.push_back(store.At(static_cast<int>(i))->key);
    return keys;
}

using Strings = std::vector<std::string>;

TEST(RecordSplitTest, QuotedFieldsMayHoldTheSeparator) {
    EXPECT_EQ(Fields(R"("a","","b,c")"), (Strings{"a", "", "b,c"}));
    EXPECT_EQ(Fields(R"(plain,"quoted",7)"), (Strings{"plain", "quoted", "7"}));
    EXPECT_EQ(Fields(""), (Strings{""}));
    EXPECT_EQ(Fields(","), (Strings{"", ""}));
}

TEST(RecordSplitTest, QuotesInsideQuotedFields) {
    // A quote inside a field is kept unless the separator follows it.
    EXPECT_EQ(Fields(R"("say "hi" now","x")"), (Strings{R"(say "hi" now)", "x"}));
    EXPECT_EQ(Fields(R"("say "hi", now","x")"), (Strings{R"(say "hi)", R"( now")", "x"}));
    // A field's opening quote never closes it, so a lone quote opens a field
    // that runs to the end; an unterminated last field loses its last character.
    EXPECT_EQ(Fields(R"(",x)"), (Strings{","}));
    EXPECT_EQ(Fields(R"("abc)"), (Strings{"ab"}));
    EXPECT_EQ(Fields(R"(a"b,c)"), (Strings{R"(a"b)", "c"}));
}

TEST(RecordSplitTest, OutOfRangeFieldsAndNumbers) {
    ZBD_Record record(
        R"("12abc","-7","x","99999999999999999999999999999999999999","-99999999999999999999999999999999999999", 42)",
        ',');
    EXPECT_EQ(record.FieldCount(), 6);
    EXPECT_EQ(record.Field(0), "");
    EXPECT_EQ(record.Field(7), "");
    EXPECT_EQ(record.FieldInt(1), 12);
    EXPECT_EQ(record.FieldInt(2), -7);
    EXPECT_EQ(record.FieldInt(3), 0);
    EXPECT_EQ(record.FieldInt(4), INT_MAX);
    EXPECT_EQ(record.FieldInt(5), INT_MIN);
    EXPECT_EQ(record.FieldInt(6), 42);
    EXPECT_EQ(record.FieldInt(0), 0);
    EXPECT_EQ(record.FieldInt(99), 0);
}

TEST(RecordSplitTest, WrittenFieldsReadBackWithoutShifting) {
    std::string awkward = "he said \"out\", I said \"in\"";
    std::string line = kvr::QuotedField(awkward) + "," + kvr::QuotedField("next");
    EXPECT_EQ(Fields(line), (Strings{"he said \"out', I said \"in\"", "next"}));
    EXPECT_EQ(Fields(kvr::QuotedField("a\r\nb")), (Strings{"a  b"}));
    EXPECT_EQ(kvr::StorableText("say \"hi\"\nbye"), "say 'hi' bye");
}

TEST(RecordSplitTest, AtMostAHundredFields) {
    ZBD_Record record(std::string(250, ','), ',');
    EXPECT_EQ(record.FieldCount(), ZBD_Record::kMaxFields);
    // The hundredth field holds the rest of the line.
    EXPECT_EQ(record.Field(100), std::string(151, ','));
}

TEST(RecordSplitTest, BinaryBytesSurvive) {
    std::string text("a\0b\xff\xfe", 5);
    ZBD_Record record("\"" + text + "\",x", ',');
    EXPECT_EQ(record.Field(1), text);
}

TEST(CapitalizeWordsTest, CapitalisesWordsAndTrimsTheEnd) {
    auto capitalized = [](std::string text) {
        NoteStore::CapitalizeWords(text);
        return text;
    };
    EXPECT_EQ(capitalized("john  smith  "), "John  Smith");
    EXPECT_EQ(capitalized("   "), " ");
    EXPECT_EQ(capitalized(""), "");
    EXPECT_EQ(capitalized("mcEnroe 3rd o'neil"), "McEnroe 3rd O'neil");
    EXPECT_EQ(capitalized("\xc3\xa9mile zola"), "\xc3\xa9mile Zola");
}

class RecordStoreTest : public kvrtest::TempDirTest {};

TEST_F(RecordStoreTest, EmptyStoreSavesHeaderAndCount) {
    NoteStore store;
    EXPECT_EQ(store.Save(), 1);
    EXPECT_EQ(ReadFile("notes.dat"), "ZBD Data File Format 2.0\r\n0\r\n");
}

TEST_F(RecordStoreTest, SaveAndLoadRoundTrip) {
    NoteStore store;
    store.AddCopy(NoteRecord("b", "second"));
    store.AddCopy(NoteRecord("a", "first, with a comma"));
    store.AddCopy(NoteRecord("c", "two\r\nlines"));
    ASSERT_EQ(store.Save(), 1);
    EXPECT_EQ(ReadFile("notes.dat"),
              Lines({"ZBD Data File Format 2.0", "3", R"("a","first, with a comma")",
                     R"("b","second")", R"("c","two  lines")"}));
    NoteStore loaded;
    ASSERT_EQ(loaded.Load(), 1);
    EXPECT_EQ(Keys(loaded), (Strings{"a", "b", "c"}));
    EXPECT_EQ(loaded.At(0)->note, "first, with a comma");
    ASSERT_EQ(loaded.Save(), 1);
    EXPECT_EQ(ReadFile("notes.dat"),
              Lines({"ZBD Data File Format 2.0", "3", R"("a","first, with a comma")",
                     R"("b","second")", R"("c","two  lines")"}));
}

TEST_F(RecordStoreTest, OrderingPutsNewRecordsInFrontOfEqualKeys) {
    NoteStore store;
    store.AddCopy(NoteRecord("b", "1"));
    store.AddCopy(NoteRecord("B", "2"));
    store.AddCopy(NoteRecord("b", "3"));
    store.AddCopy(NoteRecord("a", "4"));
    // Byte order: capitals before small letters.
    EXPECT_EQ(Keys(store), (Strings{"B", "a", "b", "b"}));
    EXPECT_EQ(store.At(2)->note, "3");
    EXPECT_EQ(store.At(3)->note, "1");
}

TEST_F(RecordStoreTest, LoadKeepsTheOrderOfEqualKeys) {
    NoteStore store;
    for (const char* note : {"first", "second", "third"})
        store.AddCopy(NoteRecord("same", note));
    store.AddCopy(NoteRecord("a", "other"));
    ASSERT_EQ(store.Save(), 1);
    std::string saved = ReadFile("notes.dat");
    NoteStore loaded;
    ASSERT_EQ(loaded.Load(), 1);
    EXPECT_EQ(loaded.At(1)->note, "third");
    EXPECT_EQ(loaded.At(3)->note, "first");
    ASSERT_EQ(loaded.Save(), 1);
    EXPECT_EQ(ReadFile("notes.dat"), saved);
}

TEST_F(RecordStoreTest, DateKeysOrderByDayNumber) {
    NoteStore store;
    for (auto [date, note] :
         {std::pair{"3/7/2001", "x"}, {"12/25/1995", "y"}, {"3/7/01", "z"}, {"1/1/2001", "w"}})
        store.AddCopy(NoteRecord(date, note, 'D'));
    EXPECT_EQ(Keys(store), (Strings{"12/25/1995", "1/1/2001", "3/7/01", "3/7/2001"}));
    EXPECT_EQ(store.At(2)->note, "z");
}

TEST_F(RecordStoreTest, UpdateKeepsThePlaceAndLaterAddsStillWalkTheList) {
    NoteStore store;
    for (const char* key : {"a", "c", "e"})
        store.AddCopy(NoteRecord(key, ""));
    store.Update(*store.At(0), NoteRecord("z", "moved"));
    EXPECT_EQ(Keys(store), (Strings{"z", "c", "e"}));
    // Out of order now: the new record goes in front of the first record it does not follow.
    store.AddCopy(NoteRecord("d", ""));
    EXPECT_EQ(Keys(store), (Strings{"d", "z", "c", "e"}));
}

TEST_F(RecordStoreTest, AtAndRemoveAtIgnoreBadIndexes) {
    NoteStore store;
    store.AddCopy(NoteRecord("a", ""));
    EXPECT_EQ(store.At(-1), nullptr);
    EXPECT_EQ(store.At(1), nullptr);
    store.RemoveAt(5);
    store.RemoveAt(-1);
    EXPECT_EQ(store.Count(), 1u);
    store.RemoveAt(0);
    EXPECT_EQ(store.Count(), 0u);
}

TEST_F(RecordStoreTest, LoadSkipsEmptyLinesAndIgnoresTheCount) {
    NoteStore store;
    WriteFile("notes.dat",
              Lines({"ZBD Data File Format 2.0", "3", R"("a","1")", "", R"("b","2")"}));
    EXPECT_EQ(store.Load(), 1);
    EXPECT_EQ(Keys(store), (Strings{"a", "b"}));

    // A count above the lines the file holds means a file cut short: the
    // records are read, and the load is a damaged one that no save ends.
    WriteFile("notes.dat",
              Lines({"ZBD Data File Format 2.0", "5", R"("a","")", R"("b","")", R"("c","")"}));
    EXPECT_EQ(store.Load(), -1);
    EXPECT_EQ(store.Count(), 3u);
    EXPECT_EQ(store.Error(), 0);
    EXPECT_EQ(store.Save(), 0);

    // A count that is too small never costs the records behind it.
    WriteFile("notes.dat",
              Lines({"ZBD Data File Format 2.0", "1", R"("a","")", R"("b","")", R"("c","")"}));
    EXPECT_EQ(store.Load(), 1);
    EXPECT_EQ(store.Count(), 3u);

    // Absurd counts are harmless: the record is read, and a count that says
    // more than there is, or that is no count, makes the load a damaged one.
    for (const char* count : {"2000000000", "-5", "99999999999999999999999", "x"}) {
        WriteFile("notes.dat", Lines({"ZBD Data File Format 2.0", count, R"("a","")"}));
        EXPECT_EQ(store.Load(), std::string(count) == "-5" ? 1 : -1) << count;
        EXPECT_EQ(store.Count(), 1u) << count;
    }
}

TEST_F(RecordStoreTest, LoadResultsForMissingNewerAndOlderFiles) {
    NoteStore store;
    store.AddCopy(NoteRecord("kept", ""));
    EXPECT_EQ(store.Load(), 0); // missing: the list stays as it was
    EXPECT_EQ(store.Count(), 1u);

    WriteFile("notes.dat", Lines({"ZBD Data File Format 2.1", "1", R"("new","")"}));
    EXPECT_EQ(store.Load(), -2);
    EXPECT_EQ(Keys(store), (Strings{"kept"}));

    WriteFile("notes.dat", Lines({"ZBD Data File Format 1.0", "1", R"("old","")"}));
    EXPECT_EQ(store.Load(), 7);
    EXPECT_FLOAT_EQ(store.upgradedFrom, 1.0f);

    WriteFile("notes.dat", Lines({"4", "x"}));
    EXPECT_EQ(store.Load(), 7);
    EXPECT_FLOAT_EQ(store.upgradedFrom, 0.0f);

    // A folder in place of the file cannot be read.
    std::filesystem::remove("notes.dat");
    std::filesystem::create_directory("notes.dat");
    EXPECT_EQ(store.Load(), -1);
}

TEST_F(RecordStoreTest, AFileThatCouldNotBeReadIsNeverWrittenOver) {
    std::string newer = Lines({"ZBD Data File Format 9.0", "1", "from a newer program"});
    WriteFile("notes.dat", newer);
    NoteStore store;
    ASSERT_EQ(store.Load(), -2);
    store.AddCopy(NoteRecord("a", ""));
    EXPECT_EQ(store.Save(), 0);
    EXPECT_EQ(store.rebuild_file(), -1); // a newer file is never rebuilt
    EXPECT_EQ(ReadFile("notes.dat"), newer);
    EXPECT_FALSE(kvrtest::Exists("notes.old"));

    // A load that reads the file whole allows saves again.
    WriteFile("notes.dat", Lines({"ZBD Data File Format 2.0", "1", R"("b","")"}));
    ASSERT_EQ(store.Load(), 1);
    EXPECT_EQ(store.Save(), 1);
}

TEST_F(RecordStoreTest, HeaderOfAHeaderlessFile) {
    WriteFile("old.dat", Lines({"12", "first"}));
    ZBD_File file("old.dat", 'r', ',', true);
    EXPECT_EQ(file.Status(), 1);
    EXPECT_FLOAT_EQ(file.Version(), 0.0f);
    EXPECT_EQ(file.RecordCount(), 12);
    EXPECT_EQ(file.ReadLine(), "first");
    EXPECT_EQ(file.ReadLine(), "");
    EXPECT_EQ(file.Status(), 0);
    EXPECT_EQ(file.ReadLine(), std::nullopt);
}

TEST_F(RecordStoreTest, FileModesAndCountLines) {
    ZBD_File bad("x.dat", 'q', ',', true);
    EXPECT_FALSE(bad.Good());
    EXPECT_EQ(bad.Status(), -1);
    ZBD_File missing("missing.dat", 'r', ',', true);
    EXPECT_EQ(missing.Status(), 0);
    EXPECT_EQ(missing.ReadLine(), std::nullopt);
    EXPECT_EQ(missing.CountLines(), 0);

    {
        ZBD_File out("lines.dat", 'w', ',', true);
        out.WriteLine("one");
        out.WriteLine("two");
        out.Close();
    }
    {
        ZBD_File more("lines.dat", 'a', ',', true);
        more.WriteLine("three");
        more.WriteLine("");
        more.WriteLine("after the gap");
        more.Close();
        EXPECT_TRUE(more.Good());
    }
    EXPECT_EQ(ReadFile("lines.dat"), Lines({"one", "two", "three", "", "after the gap"}));
    ZBD_File in("lines.dat", 'r', ',', false);
    EXPECT_EQ(in.CountLines(), 3);
}

TEST_F(RecordStoreTest, LongLinesAreReadWhole) {
    NoteStore store;
    std::string note(5000, 'n');
    WriteFile("notes.dat",
              Lines({"ZBD Data File Format 2.0", "2", "\"a\",\"" + note + "\"", R"("b","")"}));
    ASSERT_EQ(store.Load(), 1);
    EXPECT_EQ(store.Count(), 2u);
    EXPECT_EQ(store.At(0)->note, note);
}

TEST_F(RecordStoreTest, BinaryAndInvalidUtf8SurviveARoundTrip) {
    NoteStore store;
    std::string odd("caf\xe9\0\xff", 6);
    store.AddCopy(NoteRecord("k", odd));
    ASSERT_EQ(store.Save(), 1);
    NoteStore loaded;
    ASSERT_EQ(loaded.Load(), 1);
    EXPECT_EQ(loaded.At(0)->note, odd);
}

TEST_F(RecordStoreTest, LfOnlyFilesAreRead) {
    WriteFile("notes.dat", "ZBD Data File Format 2.0\n2\n\"a\",\"1\"\n\"b\",\"2\"");
    NoteStore store;
    ASSERT_EQ(store.Load(), 1);
    EXPECT_EQ(Keys(store), (Strings{"a", "b"}));
    EXPECT_EQ(store.At(1)->note, "2");
}

TEST_F(RecordStoreTest, SaveThatCannotRenameLeavesNothingBehind) {
    std::filesystem::create_directory("notes.dat");
    NoteStore store;
    store.AddCopy(NoteRecord("a", ""));
    EXPECT_EQ(store.Save(), 0);
    EXPECT_TRUE(std::filesystem::is_directory("notes.dat"));
    EXPECT_EQ(store.Count(), 1u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator("."),
                            std::filesystem::directory_iterator()),
              1);
}

TEST_F(RecordStoreTest, SaveIntoAFolderThatIsGoneFails) {
    auto gone = Dir() / "gone";
    std::filesystem::create_directory(gone);
    std::filesystem::current_path(gone);
    std::filesystem::remove(gone);
    NoteStore store;
    store.AddCopy(NoteRecord("a", ""));
    EXPECT_EQ(store.Save(), 0);
    EXPECT_EQ(store.Count(), 1u);
    std::filesystem::current_path(Dir());
}

TEST_F(RecordStoreTest, SaveOnAFullDiskKeepsTheOldFile) {
    NoteStore store;
    store.AddCopy(NoteRecord("a", "original"));
    ASSERT_EQ(store.Save(), 1);
    std::string before = ReadFile("notes.dat");

    // A file-size limit makes every write past 64 bytes fail, as a full disk does.
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 64;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    store.AddCopy(NoteRecord("b", std::string(500, 'x')));
    int saved = store.Save();
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(saved, 0);
    EXPECT_EQ(ReadFile("notes.dat"), before);
    EXPECT_EQ(store.Count(), 2u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator("."),
                            std::filesystem::directory_iterator()),
              1);
}

TEST_F(RecordStoreTest, StartUpHooksFindNothingToRebuildWithoutAFile) {
    NoteStore store;
    EXPECT_EQ(store.CheckFile(), 0);
    EXPECT_EQ(store.rebuild_file(), -1);
    EXPECT_FALSE(kvrtest::Exists("notes.old"));
}

} // namespace
