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

QString PythonWith(const QString& module) {
    for (const QString& python : {QStringLiteral("/usr/bin/python3"), QStringLiteral("python3")}) {
        QProcess process;
        process.start(python, {QStringLiteral("-c"), QStringLiteral("import ") + module});
        if (process.waitForStarted() && process.waitForFinished(60000) &&
            process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0)
            return python;
    }
    return {};
}

} // namespace kvrtest
