// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/conflict_merge.h"

#include "app/application.h"
#include "app/main_window.h"
#include "charting/chart_store.h"
#include "core/backups.h"
#include "core/coach_file.h"
#include "core/conflict_copies.h"
#include "core/history.h"
#include "core/import_report.h"
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
#include <unordered_set>

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

namespace kui {
namespace {

QString FileText(const std::string& name) {
    return QFile::decodeName(name.c_str());
}

// kvr::Counted for the texts of the merge.
QString Counted(std::size_t count, const QString& noun) {
    return QString::fromStdString(kvr::Counted(count, noun.toStdString()));
}

QString Quoted(const std::string& name) {
    return QLatin1Char('\'') + FileText(name) + QLatin1Char('\'');
}

// A record as the side-by-side choice shows it: its fields in a line.
QString Joined(std::initializer_list<std::string> fields) {
    QStringList shown;
    for (const std::string& field : fields)
        if (!field.empty())
            shown << FromStored(field);
    return shown.join(QStringLiteral(" · "));
}

QString OutingText(const PlayRecord& outing) {
    return Joined({outing.date, outing.kind, outing.who, outing.time, outing.result, outing.score,
                   outing.matchNotes, outing.practiceNotes});
}

std::string EventKey(const SchedRecord& event) {
    return event.date + '\n' + event.time + '\n' + event.who;
}

QString EventText(const SchedRecord& event) {
    return Joined({event.date, event.time, event.who, event.where, event.notes});
}

// A phone entry is the same one by its name, whatever its case.
std::string EntryKey(const PhoneRecord& entry) {
    return FromStored(entry.name).toCaseFolded().toStdString();
}

QString EntryText(const PhoneRecord& entry) {
    return Joined({entry.name, entry.phoneNumber, entry.rating, entry.playingSide,
                   entry.playingStyle, entry.backhandStyle, entry.notes});
}

// Where outings go (of a plan, or of the outings placed): `lead` opens the
// sentence ("Merge would put", "The outings merged went").
QString WhereOutingsGo(std::size_t toHistory, std::size_t toPeriod, int periodsClosed,
                       const QString& lead, bool done) {
    QStringList where;
    if (toHistory > 0)
        where << QStringLiteral("%1 into the history (older than the current goal period)")
                     .arg(Counted(toHistory, QStringLiteral("outings")));
    if (toPeriod > 0)
        where << QStringLiteral("%1 into the current goal period")
                     .arg(Counted(toPeriod, QStringLiteral("outings")));
    QString line = QStringLiteral("\n%1: %2.").arg(lead, where.join(QStringLiteral(", ")));
    if (periodsClosed > 0)
        line += (done ? QStringLiteral(" The current goal period passed thirty outings, so %1 of "
                                       "thirty moved into the history.")
                      : QStringLiteral(" The current goal period would pass thirty outings, so "
                                       "%1 of thirty would move into the history."))
                    .arg(Counted(static_cast<std::size_t>(periodsClosed),
                                 QStringLiteral("goal periods")));
    return line;
}

QString WhereOutingsGo(const kvr::PlayPlan& plan, const QString& lead) {
    return WhereOutingsGo(plan.toHistory, plan.toPeriod, plan.periodsClosed, lead, false);
}

// One copy found, and what becomes of it.
struct Found {
    kvr::CopyOutcome outcome;
    QString noun;           // what its records are ("events")
    QString notMerged;      // why a readable copy is not merged, when it is not
    QString note;           // what merging it will do besides adding records
    bool mergeable = false; // read, and its data file can take its records
    // Its records that differ from the player's: their rows in its group's
    // differences, and, once merged, how many the player took over or kept
    // beside his own.
    size_t firstDifference = 0, differenceCount = 0;
    size_t taken = 0, keptBoth = 0;
    // Where the outings of a play copy went, once merged.
    std::shared_ptr<const kvr::PlacedOutings> placed;
    std::optional<std::string> keptAs;
    int moveError = 0; // why it could not be moved into conflicts/
};

// What the player keeps of a record that differs from his own.
enum class Keep { Mine, Theirs, Both };

// A difference as the player sees it: his record and the copy's, side by side.
struct DifferenceRow {
    QString mine, theirs;
    bool canTake = true; // the copy's may replace his (else only both or his)
};

// The merge of the copies of one data file: its changes are saved at once.
struct Group {
    std::string dataFile;
    std::string alsoChanges;    // a second data file its save changes
    std::vector<size_t> copies; // the mergeable ones, as indexes into the copies found
    bool hasChanges = false;
    // Records of the copies that differ from the player's of the same key.
    std::vector<DifferenceRow> differences;
    // What the player chose for each difference (Keep::Mine unless asked).
    std::vector<Keep> choices;
    // Saves the changes, with what was chosen for each difference, through
    // the one write path (telling a failed save); true when saved.
    std::function<bool(QWidget*, const std::vector<Keep>&)> commit;
    // Raises the change signal of the store, once saved.
    std::function<void()> changed;
};

struct Plan {
    std::vector<Found> found;
    std::vector<Group> groups;
    QString outingsNote; // where the merged outings would go, said beforehand
};

// How the records of a store are matched and shown when a copy's differs
// from the player's: the key that makes two records the same one (empty:
// the store has none, and every other record is a new one) and a line that
// shows a record.
template <class T> struct RecordView {
    std::function<std::string(const T&)> key;
    std::function<QString(const T&)> describe;
};

// Reads the copies of `dataFile` with the type of its store `live` and plans
// the records they add, saved together by the group's commit.
template <class Store>
void PlanStore(Plan& plan, const std::vector<kvr::ConflictCopy>& copies,
               const std::string& dataFile, std::shared_ptr<Store> live, bool liveReadable,
               const QString& noun, std::function<void()> changed,
               const RecordView<kvr::RecordOf<Store>>& view = {}) {
    using Record = kvr::RecordOf<Store>;
    auto changes = std::make_shared<std::vector<kvr::Change<Record>>>();
    auto differences = std::make_shared<std::vector<kvr::Difference<Record>>>();
    auto present = kvr::StoredLines(*live);
    std::vector<const Record*> mine;
    for (unsigned i = 0; i < live->Count(); ++i)
        mine.push_back(live->At(static_cast<int>(i)));
    Group group;
    group.dataFile = dataFile;
    for (const kvr::ConflictCopy& copy : copies) {
        if (copy.dataFile != dataFile)
            continue;
        Found found;
        found.noun = noun;
        auto missing = kvr::MissingRecords<Store>(copy, ".", present, found.outcome);
        if (found.outcome.Readable() && !liveReadable) {
            found.notMerged = QStringLiteral("not merged, as %1 itself could not be read whole")
                                  .arg(Quoted(dataFile));
        } else if (found.outcome.Readable()) {
            found.mergeable = true;
            group.copies.push_back(plan.found.size());
            std::vector<Record> added;
            for (const auto& change : missing)
                added.push_back(change.record);
            found.firstDifference = group.differences.size();
            if (view.key) {
                for (auto& difference :
                     kvr::TakeDifferences(added, mine, view.key, found.outcome)) {
                    group.differences.push_back(
                        {view.describe(difference.mine), view.describe(difference.theirs)});
                    differences->push_back(std::move(difference));
                }
            }
            found.differenceCount = group.differences.size() - found.firstDifference;
            for (const Record& record : added)
                changes->push_back(kvr::Added(record));
        }
        plan.found.push_back(std::move(found));
    }
    if (group.copies.empty())
        return;
    group.hasChanges = !changes->empty() || !differences->empty();
    group.choices.assign(group.differences.size(), Keep::Mine);
    group.commit = [live, changes, differences](QWidget* parent, const std::vector<Keep>& keep) {
        std::vector<kvr::Change<Record>> all = *changes;
        for (size_t i = 0; i < differences->size(); ++i) {
            const auto& difference = (*differences)[i];
            if (keep[i] == Keep::Theirs)
                all.push_back(kvr::Updated(*difference.stored, difference.theirs));
            else if (keep[i] == Keep::Both)
                all.push_back(kvr::Added(difference.theirs));
        }
        return all.empty() || kui::CommitAll(parent, *live, all);
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
    group.commit = [](QWidget*, const std::vector<Keep>&) { return true; };
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
    auto differing = std::make_shared<std::vector<PlayRecord>>();
    auto placed = std::make_shared<kvr::PlacedOutings>();
    Group group;
    group.dataFile = "play.dat";
    group.alsoChanges = KVR_History::kFileName;
    std::vector<std::pair<size_t, std::vector<PlayRecord>>> missingOf; // by copy found
    for (const kvr::ConflictCopy& copy : copies) {
        if (copy.dataFile != "play.dat" && copy.dataFile != KVR_History::kFileName)
            continue;
        Found found;
        found.noun = QStringLiteral("outings");
        auto missing = kvr::MissingOutings(copy, ".", present, found.outcome);
        if (found.outcome.Readable() && kvr::PlayChangePending()) {
            found.notMerged = QStringLiteral("not merged now, as the last change of your outings "
                                             "is not finished");
        } else if (found.outcome.Readable() && !liveReadable) {
            found.notMerged = QStringLiteral("not merged, as 'play.dat' or 'history.dat' itself "
                                             "could not be read whole");
        } else if (found.outcome.Readable()) {
            found.mergeable = true;
            found.placed = placed;
            group.copies.push_back(plan.found.size());
            missingOf.emplace_back(plan.found.size(), std::move(missing));
        }
        plan.found.push_back(std::move(found));
    }
    // The stored outings a copy's may differ from (same date, kind, who and
    // time): such an outing is never taken for the player's, only kept
    // beside it when he says so. Of the history, only those with such a key.
    std::unordered_set<std::string> keys;
    for (const auto& [index, missing] : missingOf)
        for (const PlayRecord& outing : missing)
            keys.insert(kvr::OutingKey(outing));
    std::vector<PlayRecord> past;
    if (!keys.empty()) {
        KVR_History history;
        while (history.ReadNext() == 1)
            if (keys.contains(kvr::OutingKey(history.Current())))
                past.push_back(history.Current());
    }
    std::vector<const PlayRecord*> mine;
    for (unsigned i = 0; i < live.Count(); ++i)
        mine.push_back(live.At(static_cast<int>(i)));
    for (const PlayRecord& record : past)
        mine.push_back(&record);
    for (auto& [index, missing] : missingOf) {
        plan.found[index].firstDifference = group.differences.size();
        for (auto& difference :
             kvr::TakeDifferences(missing, mine, kvr::OutingKey, plan.found[index].outcome)) {
            group.differences.push_back(
                {OutingText(difference.mine), OutingText(difference.theirs), false});
            differing->push_back(std::move(difference.theirs));
        }
        plan.found[index].differenceCount =
            group.differences.size() - plan.found[index].firstDifference;
        outings->insert(outings->end(), missing.begin(), missing.end());
    }
    if (group.copies.empty())
        return;
    group.hasChanges = !outings->empty() || !differing->empty();
    group.choices.assign(group.differences.size(), Keep::Mine);
    if (!outings->empty()) {
        // Said before anything is stored: where the outings go, and whether
        // a goal period closes.
        if (const auto planned = live.PlanChange(*outings, false))
            plan.outingsNote = WhereOutingsGo(*planned, QStringLiteral("Merge would put"));
    }
    group.commit = [&app, &live, outings, differing, placed](QWidget* parent,
                                                             const std::vector<Keep>& keep) {
        std::vector<PlayRecord> all = *outings;
        for (size_t i = 0; i < differing->size(); ++i)
            if (keep[i] == Keep::Both)
                all.push_back((*differing)[i]);
        if (all.empty())
            return true;
        *placed = kvr::AddOutings(live, all, 0, kvr::PlayChangeKind::Merge);
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
                      QStringLiteral("events"), signal(Store::Schedule),
                      RecordView<SchedRecord>{EventKey, EventText});
        } else if (dataFile == KVR_PhoneData::kFileName) {
            KVR_PhoneData& live = app.PhoneStore();
            PlanStore(plan, copies, dataFile, Borrowed(live), live.KeepUnreadFile(),
                      QStringLiteral("entries"), signal(Store::Phone),
                      RecordView<PhoneRecord>{EntryKey, EntryText});
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
    if (found.outcome.differing > 0)
        figures << QStringLiteral("%1 differing from yours")
                       .arg(Counted(found.outcome.differing, found.noun));
    return line + figures.join(QStringLiteral(", ")) + QLatin1Char('.');
}

// The records of the copies that differ from the player's, side by side,
// each with what to keep: his own unless he chooses otherwise.
class TDifferencesDlg : public QDialog {
public:
    TDifferencesDlg(QWidget* parent, const std::vector<const DifferenceRow*>& rows)
        : QDialog(parent) {
        setWindowTitle(QStringLiteral("Conflict Copies"));
        auto* layout = new QVBoxLayout(this);
        auto* text = new QLabel(
            QStringLiteral("These records of the copies differ from yours of the same name, or "
                           "of the same date, time and who. Choose what to keep of each; yours "
                           "stays unless you choose otherwise."),
            this);
        text->setWordWrap(true);
        layout->addWidget(text);
        auto* table = new QTableWidget(static_cast<int>(rows.size()), 3, this);
        table->setObjectName(QStringLiteral("differences"));
        table->setHorizontalHeaderLabels(
            {QStringLiteral("Yours"), QStringLiteral("In the copy"), QStringLiteral("Keep")});
        table->setEditTriggers(QAbstractItemView::NoEditTriggers);
        table->verticalHeader()->setVisible(false);
        for (int row = 0; row < table->rowCount(); ++row) {
            const DifferenceRow& difference = *rows[static_cast<size_t>(row)];
            for (int column : {0, 1}) {
                const QString& shown = column == 0 ? difference.mine : difference.theirs;
                auto* item = new QTableWidgetItem(shown);
                item->setToolTip(shown);
                table->setItem(row, column, item);
            }
            auto* keep = new QComboBox(table);
            keep->setObjectName(QStringLiteral("keep%1").arg(row));
            keep->setAccessibleName(QStringLiteral("Keep, row %1").arg(row + 1));
            keep->addItem(QStringLiteral("Yours"), static_cast<int>(Keep::Mine));
            if (difference.canTake)
                keep->addItem(QStringLiteral("The copy's"), static_cast<int>(Keep::Theirs));
            keep->addItem(QStringLiteral("Both"), static_cast<int>(Keep::Both));
            table->setCellWidget(row, 2, keep);
            keeps_.push_back(keep);
        }
        table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
        table->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
        table->horizontalHeader()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
        layout->addWidget(table);
        layout->addWidget(OkCancelButtons(*this));
        resize(720, 360);
    }

    std::vector<Keep> Choices() const {
        std::vector<Keep> choices;
        for (const QComboBox* keep : keeps_)
            choices.push_back(static_cast<Keep>(keep->currentData().toInt()));
        return choices;
    }

private:
    std::vector<QComboBox*> keeps_;
};

// Asks what to keep of each difference, when there are any: false when the
// player cancelled (nothing is merged then).
bool ChooseDifferences(QWidget* parent, Plan& plan) {
    std::vector<const DifferenceRow*> rows;
    for (const Group& group : plan.groups)
        for (const DifferenceRow& row : group.differences)
            rows.push_back(&row);
    if (rows.empty())
        return true;
    TDifferencesDlg dialog(parent, rows);
    if (RunModal(dialog) != QDialog::Accepted)
        return false;
    const std::vector<Keep> choices = dialog.Choices();
    size_t next = 0;
    for (Group& group : plan.groups)
        for (Keep& choice : group.choices)
            choice = choices[next++];
    return true;
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
    // What became of its records that differed from the player's.
    if (found.taken > 0)
        line += QStringLiteral(", %1 of yours replaced by the copy's")
                    .arg(Counted(found.taken, found.noun));
    if (found.keptBoth > 0)
        line += QStringLiteral(", %1 of the copy kept beside yours")
                    .arg(Counted(found.keptBoth, found.noun));
    if (found.keptAs)
        return line + QStringLiteral("; the copy is kept as %1.").arg(Quoted(*found.keptAs));
    return line + QStringLiteral("; the copy could not be moved into '%1' (%2) and is found "
                                 "again at the next start.")
                      .arg(QString::fromLatin1(kvr::kConflictFolder),
                           FileText(kvr::ErrorText(found.moveError)));
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
    bool differing = false;
    for (const Group& group : plan.groups)
        differing = differing || !group.differences.empty();
    const QString differences =
        differing ? QStringLiteral(" Records that differ from yours are shown side by side "
                                   "first: yours stay unless you choose otherwise.")
                  : QString();
    if (AskChoice(parent,
                  listing + plan.outingsNote +
                      QStringLiteral("\n\nMerge adds the records of these copies that your "
                                     "data files lack, and keeps each merged copy in the folder "
                                     "'%1'.%2 Not now asks again at the next start.")
                          .arg(QString::fromLatin1(kvr::kConflictFolder), differences),
                  {QStringLiteral("Merge"), QStringLiteral("Not now")}, caption, Icon::None) != 0 ||
        !ChooseDifferences(parent, plan))
        return;

    std::vector<std::string> changing;
    for (const Group& group : plan.groups)
        if (group.hasChanges) {
            changing.push_back(group.dataFile);
            if (!group.alsoChanges.empty())
                changing.push_back(group.alsoChanges);
        }
    if (!changing.empty()) {
        if (const std::string failure = kvr::KeepBeforeChange(changing); !failure.empty()) {
            Tell(parent,
                 QStringLiteral("The conflict copies were not merged: %1\nNothing was changed; "
                                "you will be asked again at the next start.")
                     .arg(FileText(failure)),
                 caption, Icon::Warning);
            return;
        }
    }

    std::vector<bool> saved(plan.found.size(), false);
    for (const Group& group : plan.groups) {
        if (!group.commit(parent, group.choices))
            continue;
        if (group.hasChanges && group.changed)
            group.changed();
        for (size_t index : group.copies) {
            saved[index] = true;
            Found& found = plan.found[index];
            for (size_t k = 0; k < found.differenceCount; ++k) {
                const Keep choice = group.choices[found.firstDifference + k];
                found.taken += choice == Keep::Theirs;
                found.keptBoth += choice == Keep::Both;
            }
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
        results << WhereOutingsGo(placed->toHistory, placed->toPeriod, placed->periodsClosed,
                                  QStringLiteral("The outings merged went"), true);
    Tell(parent, QStringLiteral("Conflict copies merged:\n\n") + results.join(QLatin1Char('\n')),
         caption);
}

} // namespace kui
