// SPDX-License-Identifier: GPL-3.0-or-later
#include "root/import_command.h"

#include "app/application.h"
#include "app/data_stores.h"
#include "core/backups.h"
#include "core/history.h"
#include "core/import_file.h"
#include "core/instance_lock.h"
#include "core/outing_import.h"
#include "core/safe_file.h"
#include "formats/ical.h"
#include "formats/ical_read.h"
#include "formats/vcard.h"
#include "formats/vcard_read.h"
#include "play/notes_csv.h"
#include "play/outings_csv.h"
#include "play/spreadsheet.h"
#include "root/command_line.h"

#include <clocale>
#include <map>
#include <memory>
#include <optional>
#include <string_view>
#include <tuple>

#include <QCommandLineParser>
#include <QDir>
#include <QFile>

namespace kui {
namespace {

QString FromLocal(const std::string& text) {
    return QString::fromLocal8Bit(text.c_str());
}

// Loads a store from its file. An empty text when it was read whole (or is
// missing), else why not. A file of an older layout is converted as it is
// read: in memory only while a kvr::ReadOnlyData lives.
template <class Store> QString Load(Store& store) {
    const int result = store.Load();
    if (result >= 0)
        return {};
    return kui::DataStores::FailedLoadText(FromLocal(store.FileName()), result, store.Error());
}

// The stores that the files of an import or export name, loaded; an empty
// text, or the first problem. The history is read where it is used.
QString LoadStores(FolderStores& stores, const std::vector<std::string>& files) {
    for (const std::string& file : files) {
        QString problem;
        if (file == stores.play.FileName())
            problem = Load(stores.play);
        else if (file == stores.phones.FileName())
            problem = Load(stores.phones);
        else if (file == stores.schedule.FileName())
            problem = Load(stores.schedule);
        if (!problem.isEmpty())
            return problem;
    }
    return {};
}

ImportPlan ReadOutingsForImport(const QString& path, const std::string& contents,
                                FolderStores& stores, const ImportOptions& options) {
    ImportPlan plan;
    auto import = std::make_shared<kvr::OutingImport>(kvr::PrepareOutingImport(
        contents, stores.play, options.dates.value_or(kvr::DateOrder::FromFile)));
    if (!import->error.empty()) {
        plan.error = QStringLiteral("no outings can be imported from '%1': %2")
                         .arg(path, QString::fromStdString(import->error));
        if (import->dateOrderOpen)
            plan.error += QStringLiteral("; say which with --dates mdy (month/day) or --dates "
                                         "dmy (day/month)");
        return plan;
    }
    plan.report = import->report;
    plan.store = [&stores, import](QStringList& said) {
        const kvr::PlacedOutings placed =
            kvr::AddOutings(stores.play, import->outings, import->firstCurrentDay);
        using Result = kvr::PlacedOutings::Result;
        if (placed.result == Result::Failed) {
            said << QStringLiteral("Error saving data! 'play.dat' or 'history.dat' could not be "
                                   "written; nothing was imported");
            return false;
        }
        if (placed.result == Result::Unconfirmed)
            said << QStringLiteral("the outings were imported, but the data folder could not be "
                                   "confirmed on disk");
        if (placed.periodsClosed > 0)
            said << QStringLiteral("%1 goal period(s) of %2 outings closed into the history")
                        .arg(placed.periodsClosed)
                        .arg(KVR_PlayData::kGoalPeriodLength);
        return true;
    };
    return plan;
}

// Saves `changes` to `store` in one save; says what failed when it did not.
template <class Store, class Change>
bool StoreAll(Store& store, const std::vector<Change>& changes, const char* file,
              QStringList& said) {
    if (store.CommitAll(changes) == 1)
        return true;
    said << QStringLiteral("Error saving data! '%1' could not be written; nothing was imported")
                .arg(QLatin1String(file));
    return false;
}

ImportPlan ReadEventsForImport(const QString& path, const std::string& contents,
                               FolderStores& stores, const ImportOptions&) {
    auto read = std::make_shared<CalendarImport>(
        ReadCalendarText(contents, path, stores.schedule, ZBD_Date()));
    ImportPlan plan{read->report, read->error, {}};
    plan.store = [&stores, read](QStringList& said) {
        return StoreAll(stores.schedule, CalendarChanges(*read), "sched.dat", said);
    };
    return plan;
}

// Names already in the phone book are left as they are on the command line:
// they count as already there.
ImportPlan ReadContactsForCommandLine(const QString& path, const std::string& contents,
                                      FolderStores& stores, const ImportOptions&) {
    auto read = std::make_shared<ContactsImport>(ReadContactsText(contents, path, stores.phones));
    ImportPlan plan{read->report, read->error, {}};
    plan.report.present += plan.report.updated;
    plan.report.updated = 0;
    plan.store = [&stores, read](QStringList& said) {
        return StoreAll(stores.phones, ContactsChanges(*read, false), "phone.dat", said);
    };
    return plan;
}

// The files --export writes, as the menus write them: the name and the data
// files it reads come from the export's row of kvr::ExportFormats.
struct ExportKind {
    const char* name;
    std::vector<std::string> files; // the data files it reads
    bool (*write)(const QString& path, FolderStores& stores);

    ExportKind(kvr::FileFormat format, bool (*writer)(const QString&, FolderStores&))
        : name(kvr::FormatRow(format).name), files(kvr::FormatRow(format).files), write(writer) {}
};

const ExportKind kExportKinds[] = {
    {kvr::FileFormat::Notes,
     [](const QString& path, FolderStores& stores) { return ExportNotesCsv(path, stores.play); }},
    {kvr::FileFormat::Ratings,
     [](const QString& path, FolderStores& stores) {
         return ExportSpreadsheetCsv(path, stores.play);
     }},
    {kvr::FileFormat::Calendar,
     [](const QString& path, FolderStores& stores) {
         return ExportCalendar(path, stores.schedule);
     }},
    {kvr::FileFormat::Contacts,
     [](const QString& path, FolderStores& stores) { return ExportVCards(path, stores.phones); }},
};

// The names --export knows, for its usage line: "notes|ratings|...".
QString ExportNames() {
    QStringList names;
    for (const ExportKind& kind : kExportKinds)
        names << QString::fromLatin1(kind.name);
    return names.join(QLatin1Char('|'));
}

} // namespace

const std::vector<ImportKind>& ImportKinds() {
    static const std::vector<ImportKind> kinds = {
        {kvr::FileFormat::Outings, ReadOutingsForImport},
        {kvr::FileFormat::Events, ReadEventsForImport},
        {kvr::FileFormat::Entries, ReadContactsForCommandLine},
    };
    return kinds;
}

int ExportFromCommandLine(int argc, char** argv) {
    auto usage = [](const QString& problem) {
        Complain(problem +
                 QStringLiteral("; usage: kavora --export %1 --out FILE").arg(ExportNames()));
        return 2;
    };
    QCommandLineParser parser;
    const QCommandLineOption exportOption(QStringLiteral("export"), {}, QStringLiteral("what"));
    const QCommandLineOption out(QStringLiteral("out"), {}, QStringLiteral("file"));
    parser.addOptions({exportOption, out});
    if (auto problem = CommandLineProblem(parser, argc, argv))
        return usage(*problem);
    const QString name = parser.value(exportOption);
    const ExportKind* kind = nullptr;
    for (const ExportKind& candidate : kExportKinds)
        if (name == QLatin1String(candidate.name))
            kind = &candidate;
    if (!kind)
        return usage(QStringLiteral("unknown export '%1'").arg(name));
    if (parser.value(out).isEmpty())
        return usage(QStringLiteral("no --out FILE"));
    const QString outFile = CallerPath(parser.value(out));
    if (const auto problem = OutFileProblem(outFile))
        return usage(*problem);

    // Numbers in the files are always written with a decimal point.
    std::setlocale(LC_NUMERIC, "C");
    // The data folder is only read, and may be in use by the program: no
    // lock, and a file of an older layout is converted in memory only. The
    // one file written is the --out file.
    const kvr::ReadOnlyData readOnly(QFile::encodeName(outFile).toStdString());
    FolderStores stores;
    if (const QString problem = LoadStores(stores, kind->files); !problem.isEmpty()) {
        Complain(problem);
        return 1;
    }
    if (!kind->write(outFile, stores)) {
        Complain(QStringLiteral("unable to write '%1'").arg(outFile));
        return 1;
    }
    return 0;
}

int ImportFromCommandLine(int argc, char** argv) {
    QStringList suffixes;
    for (const ImportKind& kind : ImportKinds())
        suffixes << QString::fromStdString(kvr::FormatRow(kind.format).suffixes.front());
    auto usage = [&suffixes](const QString& problem) {
        Complain(
            problem +
            QStringLiteral("; usage: kavora --import FILE [--dry-run] [--dates mdy|dmy] (FILE: ") +
            suffixes.join(QStringLiteral(", ")) + QLatin1Char(')'));
        return 2;
    };
    QCommandLineParser parser;
    const QCommandLineOption import(QStringLiteral("import"), {}, QStringLiteral("file"));
    const QCommandLineOption dryRun(QStringLiteral("dry-run"));
    const QCommandLineOption dates(QStringLiteral("dates"), {}, QStringLiteral("order"));
    parser.addOptions({import, dryRun, dates});
    if (auto problem = CommandLineProblem(parser, argc, argv))
        return usage(*problem);
    ImportOptions options;
    if (parser.isSet(dates)) {
        const QString order = parser.value(dates);
        if (order != QLatin1String("mdy") && order != QLatin1String("dmy"))
            return usage(QStringLiteral("bad --dates '%1' (mdy or dmy)").arg(order));
        options.dates =
            order == QLatin1String("mdy") ? kvr::DateOrder::MonthFirst : kvr::DateOrder::DayFirst;
    }
    const QString path = CallerPath(parser.value(import));
    const ImportKind* kind = nullptr;
    for (const ImportKind& candidate : ImportKinds())
        if (kvr::FormatRow(candidate.format).Names(QFile::encodeName(path).toStdString()))
            kind = &candidate;
    if (!kind)
        return usage(QStringLiteral("no import for '%1'").arg(parser.value(import)));
    const bool dry = parser.isSet(dryRun);

    // The file first, before the folder's lock is taken: one that is no
    // regular file (a FIFO, a device) or too large is refused at once, and
    // the lock is never held while a file is read.
    const kvr::ImportFile file = kvr::ReadImportFile(QFile::encodeName(path).toStdString());
    if (!file.contents) {
        Complain(QStringLiteral("unable to read '%1': %2").arg(path, FromLocal(file.problem)));
        return 1;
    }

    std::setlocale(LC_NUMERIC, "C");
    // One program per data folder: the running one would write over what
    // is imported here, or read it half done. A dry run writes nothing, so
    // it takes no lock (and may run beside the program); an import refuses
    // a folder it cannot lock.
    std::optional<kvr::InstanceLock> lock;
    if (!dry) {
        lock.emplace();
        if (lock->HeldElsewhere()) {
            Complain(QStringLiteral("Kavora is running in this folder (%1); close it before "
                                    "importing, or import from its menus")
                         .arg(FromLocal(kvr::CanonicalFolder())));
            return 1;
        }
        if (lock->GetState() == kvr::InstanceLock::State::Unavailable) {
            Complain(QStringLiteral("no lock can be taken on this folder (%1), so another Kavora "
                                    "could change it at the same time; nothing was imported")
                         .arg(FromLocal(kvr::CanonicalFolder())));
            return 1;
        }
    }
    if (!dry && KVR_PlayData::RecoverInterruptedChange() < 0) {
        Complain(QStringLiteral("the last change of your outings could not be finished (see "
                                "'%1' in the data folder); start Kavora in this folder first")
                     .arg(QString::fromLatin1(kvr::kPlayChangeMark)));
        return 1;
    }
    // A dry run only reads: a file of an older layout is converted in memory
    // only. An import converts it for good, as the program's start would.
    std::optional<kvr::ReadOnlyData> readOnly;
    if (dry)
        readOnly.emplace();
    FolderStores stores;
    if (const QString problem = LoadStores(stores, kind->files); !problem.isEmpty()) {
        Complain(problem);
        return 1;
    }
    const ImportPlan plan = kind->read(path, *file.contents, stores, options);
    if (!plan.error.isEmpty()) {
        Complain(plan.error);
        return 1;
    }
    // The preview's lines, its counts of what comes in said as done ("added
    // 3 outings") or, under --dry-run, as what would be ("would add ...").
    auto report = [&plan, kind](bool done) {
        for (std::string line : kvr::DescribeImport(plan.report, kind->noun)) {
            for (const auto& [ending, doneVerb, wouldVerb] :
                 {std::tuple{" to add", "added ", "would add "},
                  std::tuple{" to update", "updated ", "would update "}}) {
                const std::string_view end(ending);
                if (line.ends_with(end) && std::isdigit(static_cast<unsigned char>(line[0]))) {
                    line = (done ? doneVerb : wouldVerb) + line.substr(0, line.size() - end.size());
                    break;
                }
            }
            SayResult(QString::fromStdString(line));
        }
    };
    // Exit codes: 0 all came in, 1 nothing did, 3 some rows were skipped.
    const int imported = plan.report.Skipped() > 0 ? 3 : 0;
    if (plan.report.Empty() || !plan.store || dry) {
        report(false);
        if (!plan.report.Empty() && plan.store)
            return imported;
        Complain(QStringLiteral("nothing %1 imported from '%2'")
                     .arg(dry ? QStringLiteral("would be") : QStringLiteral("was"), path));
        return 1;
    }

    if (const std::string failure = kvr::KeepBeforeChange(kind->files, true); !failure.empty()) {
        Complain(QStringLiteral("nothing was imported: ") + FromLocal(failure));
        return 1;
    }
    QStringList said;
    const bool stored = plan.store(said);
    if (stored)
        report(true);
    for (const QString& line : said) {
        if (stored)
            SayResult(line);
        else
            Complain(line);
    }
    return stored ? imported : 1;
}

} // namespace kui
