// A process killed with SIGKILL in the middle of its saves, 200 times: every
// file is afterwards either the old or the new version, and loads.
#include <gtest/gtest.h>

#include <random>

#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include "crashsave_files.h"
#include "testapp.h"

TEST(CrashSafeSaves, EveryFileIsOldOrNewAfterAKill)
{
    EnsureTestApp();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(crashsave::SaveAll(dir.path(), 0));  // what a first run left
    std::mt19937 random(4242);
    int caughtMidway = 0;
    for (int round = 0; round < 200; ++round) {
        QProcess saver;
        saver.start(QStringLiteral(KELVRA_CRASHSAVE), {dir.path()});
        ASSERT_TRUE(saver.waitForStarted(10000));
        // Somewhere in the first few saves.
        QThread::usleep(random() % 40000);
        saver.kill();
        ASSERT_TRUE(saver.waitForFinished(10000));
        caughtMidway += saver.readAllStandardOutput().isEmpty();
        for (const QString &name : crashsave::FileNames()) {
            const QByteArray loaded = crashsave::Loaded(dir.path(), name);
            ASSERT_TRUE(loaded == crashsave::Expected(name, 0) || loaded == crashsave::Expected(name, 1))
                << name.toStdString() << " after round " << round << ": " << loaded.size() << " bytes";
        }
    }
    // The kills did land during the saves, not only between them.
    EXPECT_GT(caughtMidway, 10);
}
