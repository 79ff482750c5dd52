// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace kvrtest {

// How a program a test ran ended, and what it printed.
struct ProcessRun {
    // Its exit code; -1 when it did not start, crashed or was stopped.
    int code = -1;
    QByteArray out;
    QByteArray err;
};

// The longest a test waits for a program it runs (a sanitizer build runs
// the program several times slower than a plain one).
constexpr int kProcessWaitSeconds = 300;

// Runs `program` with `arguments` in the working folder, in `environment`
// (else the test's own), and waits for it to end. A program that is still
// running after kProcessWaitSeconds is killed and fails the test, so that a
// hang never stops the run.
ProcessRun RunProcess(const QString& program, const QStringList& arguments,
                      const std::optional<QProcessEnvironment>& environment = std::nullopt);

// The system's Python when it can import `module` (tests read back what the
// program wrote with another program's parser), else empty: such a test
// skips without it.
QString PythonWith(const QString& module);

} // namespace kvrtest
