#pragma once

// Runs the safety mover and, unless `killAfterMs` is negative, kills it
// (SIGKILL) that long after it announced its start. Its trash, state and home
// are folders under `home`, so each run has a journal and trash of its own.

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <gtest/gtest.h>

struct MoverRun {
    bool finished = false; // ended by itself
    int exitCode = -1;
    qint64 ms = 0; // from its announcement to its end
};

inline MoverRun runMover(const QStringList& arguments, const QString& home, int killAfterMs) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home);
    environment.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/data"));
    environment.insert(QStringLiteral("XDG_STATE_HOME"), home + QStringLiteral("/state"));
    QDir().mkpath(home);

    QProcess mover;
    mover.setProcessEnvironment(environment);
    mover.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    mover.start(QStringLiteral(SORTEKA_SAFETY_MOVER), arguments);
    EXPECT_TRUE(mover.waitForStarted(-1));
    while (!mover.canReadLine() && mover.state() == QProcess::Running)
        mover.waitForReadyRead(-1);
    EXPECT_FALSE(mover.readLine().isEmpty());

    MoverRun run;
    QElapsedTimer clock;
    clock.start();
    if (killAfterMs < 0 || mover.waitForFinished(killAfterMs)) {
        mover.waitForFinished(-1);
        run.finished = mover.exitStatus() == QProcess::NormalExit;
        run.exitCode = mover.exitCode();
    } else {
        mover.kill();
        mover.waitForFinished(-1);
    }
    run.ms = clock.elapsed();
    return run;
}
