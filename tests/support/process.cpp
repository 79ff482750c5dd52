// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/process.h"

#include <QProcess>

#include <gtest/gtest.h>

namespace kvrtest {

ProcessRun RunProcess(const QString& program, const QStringList& arguments,
                      const std::optional<QProcessEnvironment>& environment) {
    QProcess process;
    if (environment)
        process.setProcessEnvironment(*environment);
    process.start(program, arguments);
    ProcessRun run;
    if (!process.waitForStarted()) {
        ADD_FAILURE() << program.toStdString() << " did not start";
        return run;
    }
    if (!process.waitForFinished(kProcessWaitSeconds * 1000)) {
        ADD_FAILURE() << program.toStdString() << " did not end within " << kProcessWaitSeconds
                      << " s";
        process.kill();
        process.waitForFinished(10000);
    } else if (process.exitStatus() == QProcess::NormalExit) {
        run.code = process.exitCode();
    }
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

} // namespace kvrtest
