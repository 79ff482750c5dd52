// SPDX-License-Identifier: GPL-3.0-or-later
// The documents name what the program has: every menu command in the Names
// table of docs/architecture.md (and only commands it has, in files that
// exist), every view --render draws in the README, the manual page and the
// manual.
#include "app/command_table.h"
#include "root/all_commands.h"
#include "root/render_command.h"
#include "support/temp_dir.h"

#include <filesystem>
#include <map>

#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

namespace {

QString SourceFile(const char* path) {
    return QString::fromStdString(kvrtest::ReadFile(std::string(KAVORA_SOURCE_DIR "/") + path));
}

// The text from the first line that starts with `start` up to the next line
// that starts with `end` (or to the end), empty when no line starts so.
QString Block(const QString& text, const QString& start, const QString& end) {
    const QStringList lines = text.split(QLatin1Char('\n'));
    QStringList block;
    for (const QString& line : lines) {
        if (block.isEmpty()) {
            if (line.startsWith(start))
                block << line;
        } else if (line.startsWith(end)) {
            break;
        } else {
            block << line;
        }
    }
    return block.join(QLatin1Char('\n'));
}

// The menu path as the documents write it: "Data > Import Outings...".
QString MenuItem(const kui::CommandRow& row) {
    QStringList path = row.menu;
    if (path.isEmpty() || path.last() != row.text)
        path << row.text;
    return path.join(QStringLiteral(" > ")).remove(QLatin1Char('&'));
}

// The rows of the Names table that name commands: each command number they
// cover ("`CmCascade` 11865 to `CmArrangeIcons` 11867" covers three), with
// the row's first cell (the menu item).
struct NamesTable {
    std::map<int, QString> items;
    QStringList rows;
};

NamesTable ReadNamesTable() {
    const QString names = Block(SourceFile("docs/architecture.md"), QStringLiteral("## Names"),
                                QStringLiteral("## "));
    static const QRegularExpression command(
        QStringLiteral("`Cm\\w+` (\\d+)(?: to `Cm\\w+` (\\d+))?"));
    NamesTable table;
    for (const QString& line : names.split(QLatin1Char('\n'))) {
        if (!line.startsWith(QStringLiteral("| ")) || !line.contains(QStringLiteral("`Cm")))
            continue;
        const QStringList cells = line.split(QLatin1Char('|'));
        table.rows << line;
        for (auto match = command.globalMatch(cells.value(2)); match.hasNext();) {
            const QRegularExpressionMatch found = match.next();
            const int first = found.captured(1).toInt();
            const int last = found.captured(2).isEmpty() ? first : found.captured(2).toInt();
            for (int id = first; id <= last; ++id)
                table.items[id] = cells.value(1).trimmed();
        }
    }
    return table;
}

TEST(DocumentedNamesTest, NamesTableListsEveryCommandOfTheMenus) {
    kui::CommandTable commands;
    kui::AddAllCommands(commands);
    const NamesTable names = ReadNamesTable();
    ASSERT_FALSE(names.items.empty()) << "no commands found in docs/architecture.md";

    for (const kui::CommandRow& row : commands.Rows()) {
        const QString item = MenuItem(row);
        const auto documented = names.items.find(row.id);
        if (documented == names.items.end()) {
            ADD_FAILURE() << item.toStdString() << " (" << row.id
                          << ") is missing from the Names table of docs/architecture.md";
            continue;
        }
        // The row stands under the menu the command is in.
        EXPECT_TRUE(documented->second.startsWith(item.section(QStringLiteral(" > "), 0, 0)))
            << row.id << " is documented as '" << documented->second.toStdString() << "' but is "
            << item.toStdString();
    }
    for (const auto& [id, item] : names.items)
        EXPECT_NE(commands.Find(id), nullptr)
            << "docs/architecture.md names command " << id << " (" << item.toStdString()
            << "), which the menus do not have";
}

TEST(DocumentedNamesTest, NamesTableFilesExist) {
    static const QRegularExpression file(QStringLiteral("`(\\w+/\\w+\\.(?:h|cpp))`"));
    const NamesTable names = ReadNamesTable();
    int files = 0;
    for (const QString& row : names.rows) {
        for (auto match = file.globalMatch(row.section(QLatin1Char('|'), -2)); match.hasNext();) {
            const QString path = match.next().captured(1);
            ++files;
            EXPECT_TRUE(
                std::filesystem::is_regular_file(KAVORA_SOURCE_DIR "/src/" + path.toStdString()))
                << "docs/architecture.md names src/" << path.toStdString()
                << ", which does not exist";
        }
    }
    EXPECT_GT(files, 10);
}

// Each view --render draws is named where the option is described: the
// README's table of options, the manual page and the manual.
TEST(DocumentedNamesTest, DocumentsNameEveryViewTheCommandLineDraws) {
    const QString readme = Block(SourceFile("README.md"), QStringLiteral("| `--render VIEW"),
                                 QStringLiteral("| `--print"));
    const QString manPage = Block(SourceFile("packaging/kavora.1"),
                                  QStringLiteral(".BI \\-\\-render"), QStringLiteral(".TP"));
    const QString manual =
        Block(SourceFile("resources/help/manual.html"),
              QStringLiteral("<dt><code>kavora --render VIEW"), QStringLiteral("<dt>"));
    ASSERT_FALSE(readme.isEmpty() || manPage.isEmpty() || manual.isEmpty());
    // The manual page's words, as troff writes them: "charting\-game".
    const QStringList manWords =
        QString(manPage).replace(QLatin1Char('"'), QLatin1Char(' ')).split(QLatin1Char(' '));

    const QStringList views = kui::RenderViewNames();
    ASSERT_GE(views.size(), 10);
    for (const QString& view : views) {
        const std::string name = view.toStdString();
        EXPECT_TRUE(readme.contains(QLatin1Char('`') + view + QLatin1Char('`')))
            << name << " is missing from the README's --render";
        const QString troff = QString(view).replace(QStringLiteral("-"), QStringLiteral("\\-"));
        EXPECT_TRUE(manWords.contains(troff) || manWords.contains(troff + QLatin1Char(',')) ||
                    manWords.contains(troff + QLatin1Char('.')))
            << name << " is missing from --render in packaging/kavora.1";
        EXPECT_TRUE(manual.contains(QStringLiteral("<code>%1</code>").arg(view)))
            << name << " is missing from --render in resources/help/manual.html";
    }
}

} // namespace
