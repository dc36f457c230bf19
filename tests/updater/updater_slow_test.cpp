// The patcher time limit, with the updater's own 20-second constant: a
// patcher that never ends is cut off and the old program comes back.

#include "updaterfolder.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

TEST(UpdaterSlow, APatcherThatRunsPastTwentySecondsIsEndedAndTheOldProgramRestored)
{
    UpdaterFolder folder;
    folder.installOldProgram();
    // It starts a child of its own too, which must not outlive it.
    folder.write("Temp.DAT", "#!/bin/sh\nsleep 120 &\necho $! > child\nsleep 120\n");

    QElapsedTimer clock;
    clock.start();
    const UpdaterRun run = folder.run("Temp.DAT;patch.sh;patch.sh;-quiet", 60000);
    const qint64 elapsedMs = clock.elapsed();

    EXPECT_EQ(run.exitCode, 255);
    EXPECT_TRUE(run.err.endsWith("Waiting for patcher app to shut down\r\nHad to terminate patcher app\r\n"
                                 "Running app\r\n"))
        << run.err.constData();
    EXPECT_GE(elapsedMs, 250 + 1500 + 1500 + 20000);
    EXPECT_EQ(folder.read("collage"), UpdaterFolder::program("old"));
    EXPECT_FALSE(folder.exists("$$AppTemp$$"));
    EXPECT_EQ(folder.started(), QList<QByteArray>{"old"});

    const QByteArray child = folder.read("child").trimmed();
    ASSERT_FALSE(child.isEmpty());
    QThread::msleep(200);
    // Gone, or a zombie waiting for whoever adopted it.
    QFile stat("/proc/" + child + "/stat");
    const QByteArray state = stat.open(QIODevice::ReadOnly) ? stat.readAll() : QByteArray();
    EXPECT_TRUE(state.isEmpty() || state.contains(") Z ")) << "the patcher's own child was left running";
}
