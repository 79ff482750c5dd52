// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/conflict_merge.h"

#include "app/application.h"
#include "app/main_window.h"
#include "charting/chart_store.h"
#include "core/backups.h"
#include "core/coach_file.h"
#include "core/conflict_copies.h"
#include "core/history.h"
#include "core/outing_import.h"
#include "core/play_store.h"
#include "phonebook/phone_store.h"
#include "schedule/sched_store.h"
#include "tips/tip_store.h"
#include "ui/message.h"
#include "ui/text.h"

#include <cerrno>
#include <functional>
#include <memory>
#include <optional>
#include <set>

#include <QFile>

namespace kui {
namespace {

QString FileText(const std::string& name) {
    return QFile::decodeName(name.c_str());
}

// "1 outing", "3 outings": `noun` is the plural, made by its last "s".
QString Counted(std::size_t count, const QString& noun) {
    if (count == 1 && noun.endsWith(QStringLiteral("ies")))
        return QStringLiteral("1 ") + noun.chopped(3) + QLatin1Char('y');
    if (count == 1 && noun.endsWith(QLatin1Char('s')))
        return QStringLiteral("1 ") + noun.chopped(1);
    return QStringLiteral("%1 %2").arg(count).arg(noun);
}

QString Quoted(const std::string& name) {
    return QLatin1Char('\'') + FileText(name) + QLatin1Char('\'');
}

// One copy found, and what becomes of it.
struct Found {
    kvr::CopyOutcome outcome;
    QString noun;           // what its records are ("events")
    QString notMerged;      // why a readable copy is not merged, when it is not
    QString note;           // what merging it will do besides adding records
    bool mergeable = false; // read, and its data file can take its records
    // Where the outings of a play copy went, once merged.
    std::shared_ptr<const kvr::PlacedOutings> placed;
    std::optional<std::string> keptAs;
    int moveError = 0; // why it could not be moved into conflicts/
};

// The merge of the copies of one data file: its changes are saved at once.
struct Group {
    std::string dataFile;
    std::string alsoChanges;    // a second data file its save changes
    std::vector<size_t> copies; // the mergeable ones, as indexes into the copies found
    bool hasChanges = false;
    // Saves the changes through the one write path (telling a failed save);
    // true when saved.
    std::function<bool(QWidget*)> commit;
    // Raises the change signal of the store, once saved.
    std::function<void()> changed;
};

struct Plan {
    std::vector<Found> found;
    std::vector<Group> groups;
};

// Reads the copies of `dataFile` with the type of its store `live` and plans
// the records they add, saved together by the group's commit.
template <class Store>
void PlanStore(Plan& plan, const std::vector<kvr::ConflictCopy>& copies,
               const std::string& dataFile, std::shared_ptr<Store> live, bool liveReadable,
               const QString& noun, std::function<void()> changed) {
    auto changes = std::make_shared<std::vector<kvr::Change<kvr::RecordOf<Store>>>>();
    auto present = kvr::StoredLines(*live);
    Group group;
    group.dataFile = dataFile;
    for (const kvr::ConflictCopy& copy : copies) {
        if (copy.dataFile != dataFile)
            continue;
        Found found;
        found.noun = noun;
        auto missing = kvr::MissingRecords<Store>(copy, ".", present, found.outcome);
        if (found.outcome.Readable() && kvr::PlayChangePending()) {
            found.notMerged = QStringLiteral("not merged now, as the last change of your outings "
                                             "is not finished");
        } else if (found.outcome.Readable() && !liveReadable) {
            found.notMerged = QStringLiteral("not merged, as %1 itself could not be read whole")
                                  .arg(Quoted(dataFile));
        } else if (found.outcome.Readable()) {
            found.mergeable = true;
            group.copies.push_back(plan.found.size());
            changes->insert(changes->end(), missing.begin(), missing.end());
        }
        plan.found.push_back(std::move(found));
    }
    if (group.copies.empty())
        return;
    group.hasChanges = !changes->empty();
    group.commit = [live, changes](QWidget* parent) {
        return changes->empty() || kui::CommitAll(parent, *live, *changes);
    };
    group.changed = std::move(changed);
    plan.groups.push_back(std::move(group));
}

// The app's own store, shared without being owned.
template <class Store> std::shared_ptr<Store> Borrowed(Store& store) {
    return std::shared_ptr<Store>(&store, [](Store*) {});
}

// coach.dat holds the player's name alone: a copy's name is never taken over
// on its own. A copy with the same name (or none) has nothing to add; one
// with another name is named in the message, and kept in conflicts/ like
// any merged copy, the player's name left as it is.
void PlanCoach(Plan& plan, const std::vector<kvr::ConflictCopy>& copies) {
    Group group;
    group.dataFile = kvr::kCoachFile;
    const std::optional<std::string> ownName = kvr::ReadPlayerName(kvr::kCoachFile);
    for (const kvr::ConflictCopy& copy : copies) {
        if (copy.dataFile != kvr::kCoachFile)
            continue;
        Found found;
        found.outcome.copy = copy;
        found.noun = QStringLiteral("names");
        int error = 0;
        const std::optional<std::string> name = kvr::ReadPlayerName(copy.name, &error);
        if (error != 0) {
            found.outcome.readResult = kvr::kReadError;
            found.outcome.error = error;
        } else {
            found.mergeable = true;
            if (!name || name == ownName)
                found.outcome.report.present = 1;
            else
                found.note = QStringLiteral("it holds the name '%1', which is not taken over: "
                                            "your name stays '%2'")
                                 .arg(FromStored(*name), FromStored(ownName.value_or("")));
            group.copies.push_back(plan.found.size());
        }
        plan.found.push_back(std::move(found));
    }
    if (group.copies.empty())
        return;
    group.commit = [](QWidget*) { return true; };
    plan.groups.push_back(std::move(group));
}

// The copies of play.dat and history.dat, merged in one batch: each outing
// goes where a goal period puts it (older than the current period into the
// history in date order, the rest into the period, full periods of thirty
// closed).
void PlanOutings(Plan& plan, const std::vector<kvr::ConflictCopy>& copies, TKvrWinApp& app) {
    KVR_PlayData& live = app.PlayStore();
    kvr::StoredOutingLines present;
    const bool liveReadable = present.Read(live) && live.KeepUnreadFile();
    auto outings = std::make_shared<std::vector<PlayRecord>>();
    auto placed = std::make_shared<kvr::PlacedOutings>();
    Group group;
    group.dataFile = "play.dat";
    group.alsoChanges = KVR_History::kFileName;
    for (const kvr::ConflictCopy& copy : copies) {
        if (copy.dataFile != "play.dat" && copy.dataFile != KVR_History::kFileName)
            continue;
        Found found;
        found.noun = QStringLiteral("outings");
        auto missing = kvr::MissingOutings(copy, ".", present, found.outcome);
        if (found.outcome.Readable() && !liveReadable) {
            found.notMerged = QStringLiteral("not merged, as 'play.dat' or 'history.dat' itself "
                                             "could not be read whole");
        } else if (found.outcome.Readable()) {
            found.mergeable = true;
            found.placed = placed;
            group.copies.push_back(plan.found.size());
            outings->insert(outings->end(), missing.begin(), missing.end());
        }
        plan.found.push_back(std::move(found));
    }
    if (group.copies.empty())
        return;
    group.hasChanges = !outings->empty();
    group.commit = [&app, &live, outings, placed](QWidget* parent) {
        if (outings->empty())
            return true;
        *placed = kvr::AddOutings(live, *outings, 0, kvr::PlayChangeKind::Merge);
        if (placed->result == kvr::PlacedOutings::Result::Stored)
            return true;
        if (placed->result == kvr::PlacedOutings::Result::Unconfirmed) {
            // The store holds the outings and the next start puts the files
            // in place; the copies stay, to be found with nothing to add.
            app.RecordsChanged(Store::Play);
            if (!TellPlayChangeWaits(parent))
                Tell(parent,
                     QStringLiteral("The merged outings were written, but the data folder could "
                                    "not be confirmed on disk.\nPlease check the disk that holds "
                                    "your Kavora files."),
                     {}, Icon::Warning);
        } else {
            TellSaveFailed(parent, live);
        }
        return false;
    };
    group.changed = [&app] { app.RecordsChanged(Store::Play); };
    plan.groups.push_back(std::move(group));
}

Plan PlanMerge(TKvrWinApp& app, const std::vector<kvr::ConflictCopy>& copies) {
    Plan plan;
    std::set<std::string> dataFiles;
    for (const kvr::ConflictCopy& copy : copies)
        dataFiles.insert(copy.dataFile);
    auto signal = [&app](Store store) { return [&app, store] { app.RecordsChanged(store); }; };
    for (const std::string& dataFile : kvr::BackupFileNames()) {
        if (!dataFiles.contains(dataFile))
            continue;
        if (dataFile == "chart.dat") {
            KVR_ChartClass& live = app.ChartStore();
            PlanStore(plan, copies, dataFile, Borrowed(live), live.KeepUnreadFile(),
                      QStringLiteral("charts"), signal(Store::Chart));
        } else if (dataFile == "sched.dat") {
            SchedClass& live = app.SchedStore();
            PlanStore(plan, copies, dataFile, Borrowed(live), live.KeepUnreadFile(),
                      QStringLiteral("events"), signal(Store::Schedule));
        } else if (dataFile == KVR_PhoneData::kFileName) {
            KVR_PhoneData& live = app.PhoneStore();
            PlanStore(plan, copies, dataFile, Borrowed(live), live.KeepUnreadFile(),
                      QStringLiteral("entries"), signal(Store::Phone));
        } else if (dataFile == kvr::kCoachFile) {
            PlanCoach(plan, copies);
        } else if (!TipClass::FileNameFor(dataFile.substr(0, dataFile.find('.'))).empty()) {
            // A tip file of its own, whatever stroke the tips store has
            // selected; the store reads its file again when it is this one.
            auto live = std::make_shared<TipClass>();
            live->Select(dataFile.substr(0, dataFile.find('.')));
            const bool readable = live->Load() >= 0;
            PlanStore(plan, copies, dataFile, live, readable, QStringLiteral("tips"),
                      [&app, dataFile] {
                          if (app.TipStore().FileName() == dataFile)
                              app.TipStore().Load();
                          app.RecordsChanged(Store::Tips);
                      });
        } else if (dataFile == "play.dat" || !dataFiles.contains("play.dat")) {
            PlanOutings(plan, copies, app);
        }
    }
    return plan;
}

QString CopyLine(const Found& found) {
    QString line = QStringLiteral("%1, a copy of %2: ")
                       .arg(Quoted(found.outcome.copy.name), Quoted(found.outcome.copy.dataFile));
    if (!found.outcome.Readable())
        return line + QStringLiteral("could not be read (%1); it is left as it is.")
                          .arg(FileText(kvr::UnreadableReason(found.outcome.readResult,
                                                              found.outcome.error)));
    if (!found.notMerged.isEmpty())
        return line + found.notMerged + QLatin1Char('.');
    if (!found.note.isEmpty())
        return line + found.note + QLatin1Char('.');
    QStringList figures;
    for (const std::string& figure :
         kvr::DescribeImport(found.outcome.report, found.noun.toStdString()))
        figures << QString::fromStdString(figure);
    return line + figures.join(QStringLiteral(", ")) + QLatin1Char('.');
}

// After the merge: where each copy went, or why it stayed.
QString ResultLine(const Found& found, bool saved) {
    const QString name = Quoted(found.outcome.copy.name);
    if (!found.mergeable)
        return CopyLine(found);
    if (!saved && found.placed && found.placed->result == kvr::PlacedOutings::Result::Unconfirmed)
        return QStringLiteral("%1: its outings were written but not confirmed on disk. It is "
                              "left as it is, and the next start finds it again.")
            .arg(name);
    if (!saved)
        return QStringLiteral("%1 was not merged: %2 could not be saved. It is left as it is.")
            .arg(name, Quoted(found.outcome.copy.dataFile));
    QString line;
    if (!found.note.isEmpty())
        line = QStringLiteral("%1: %2").arg(name, found.note);
    else
        line = QStringLiteral("%1: %2 added to %3")
                   .arg(name, Counted(found.outcome.report.added, found.noun),
                        found.placed ? QStringLiteral("your notes")
                                     : Quoted(found.outcome.copy.dataFile));
    if (found.keptAs)
        return line + QStringLiteral("; the copy is kept as %1.").arg(Quoted(*found.keptAs));
    return line + QStringLiteral("; the copy could not be moved into '%1' (%2) and is found "
                                 "again at the next start.")
                      .arg(QString::fromLatin1(kvr::kConflictFolder),
                           FileText(kvr::ErrorText(found.moveError)));
}

// Where the merged outings went.
QString PlacedLine(const kvr::PlacedOutings& placed) {
    QStringList where;
    if (placed.toHistory > 0)
        where << QStringLiteral("%1 into the history (older than the current goal period)")
                     .arg(Counted(placed.toHistory, QStringLiteral("outings")));
    if (placed.toPeriod > 0)
        where << QStringLiteral("%1 into the current goal period")
                     .arg(Counted(placed.toPeriod, QStringLiteral("outings")));
    QString line =
        QStringLiteral("\nThe outings merged went: %1.").arg(where.join(QStringLiteral(", ")));
    if (placed.periodsClosed > 0)
        line += QStringLiteral(" The current goal period passed thirty outings, so %1 of "
                               "thirty moved into the history.")
                    .arg(Counted(static_cast<std::size_t>(placed.periodsClosed),
                                 QStringLiteral("goal periods")));
    return line;
}

} // namespace

void OfferConflictMerge(TKvrWinApp& app) {
    const std::vector<kvr::ConflictCopy> copies = kvr::FindConflictCopies();
    if (copies.empty())
        return;
    QWidget* parent = app.Frame();
    Plan plan = PlanMerge(app, copies);

    QStringList lines;
    for (const Found& found : plan.found)
        lines << CopyLine(found);
    const QString caption = QStringLiteral("Conflict Copies");
    const QString listing =
        QStringLiteral("Copies of your data files that a file synchronisation program left in "
                       "the data folder:\n\n") +
        lines.join(QLatin1Char('\n'));
    if (plan.groups.empty()) {
        Tell(parent, listing, caption, Icon::Warning);
        return;
    }
    if (AskChoice(parent,
                  listing + QStringLiteral("\n\nMerge adds the records of these copies that your "
                                           "data files lack, and keeps each merged copy in the "
                                           "folder '%1'. Not now asks again at the next start.")
                                .arg(QString::fromLatin1(kvr::kConflictFolder)),
                  {QStringLiteral("Merge"), QStringLiteral("Not now")}, caption, Icon::None) != 0)
        return;

    std::vector<std::string> changing;
    for (const Group& group : plan.groups)
        if (group.hasChanges) {
            changing.push_back(group.dataFile);
            if (!group.alsoChanges.empty())
                changing.push_back(group.alsoChanges);
        }
    if (!changing.empty()) {
        kvr::BackupResult backup = kvr::BackupBeforeChange(changing);
        if (backup.outcome == kvr::BackupResult::Outcome::Failed) {
            QString problems;
            for (const std::string& problem : backup.problems)
                problems += FileText(problem) + QLatin1Char('\n');
            Tell(parent,
                 QStringLiteral("The conflict copies were not merged: the backup of your data "
                                "files in '%1' could not be made:\n%2\nNothing was changed; you "
                                "will be asked again at the next start.")
                     .arg(FileText(backup.folder), problems),
                 caption, Icon::Warning);
            return;
        }
    }

    std::vector<bool> saved(plan.found.size(), false);
    for (const Group& group : plan.groups) {
        if (!group.commit(parent))
            continue;
        if (group.hasChanges && group.changed)
            group.changed();
        for (size_t index : group.copies) {
            saved[index] = true;
            Found& found = plan.found[index];
            errno = 0;
            found.keptAs = kvr::SetAsideCopy(found.outcome.copy.name);
            found.moveError = errno;
        }
    }
    QStringList results;
    std::shared_ptr<const kvr::PlacedOutings> placed;
    for (size_t i = 0; i < plan.found.size(); ++i) {
        results << ResultLine(plan.found[i], saved[i]);
        if (saved[i] && plan.found[i].placed)
            placed = plan.found[i].placed;
    }
    if (placed && placed->result == kvr::PlacedOutings::Result::Stored)
        results << PlacedLine(*placed);
    Tell(parent, QStringLiteral("Conflict copies merged:\n\n") + results.join(QLatin1Char('\n')),
         caption);
}

} // namespace kui
