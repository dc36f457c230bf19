// collage-cli info and resave on projects made by collage-cli make, run as
// real processes in a private home.
#include "clirun.h"
#include "testhome.h"

#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace {

constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

class ProjectCli : public ::testing::Test
{
protected:
    CliRun run(const QStringList& args) { return runCli(args); }
    QString path(const QString& name) const { return home.path() + '/' + name; }

    // A project of three plain-colour photos.
    QString makeProject(const QString& name, const QStringList& options = {})
    {
        QStringList args{"make"};
        for (int i = 0; i < 3; ++i) {
            QImage image(i == 1 ? QSize(300, 400) : QSize(400, 300), QImage::Format_RGB32);
            image.fill(QColor::fromHsv(i * 100, 200, 200));
            args << path(QString("photo%1.jpg").arg(i));
            EXPECT_TRUE(image.save(args.last(), "JPEG", 90));
        }
        const QString project = path(name + ".Collage");
        const CliRun made = run(args + QStringList{"--out", project} + options);
        EXPECT_EQ(made.exitCode, 0) << made.err.constData();
        return project;
    }

    QJsonObject info(const QString& project)
    {
        const CliRun shown = run({"info", project});
        EXPECT_EQ(shown.exitCode, 0) << shown.err.constData();
        return QJsonDocument::fromJson(shown.out).object();
    }

    TestHome home;
};

TEST_F(ProjectCli, InfoShowsTheWholeProject)
{
    const QJsonObject project = info(makeProject("trip"));

    EXPECT_EQ(project["version"].toInt(), 23);
    EXPECT_FALSE(project["flags"].toObject()["template"].toBool());
    const QJsonArray frames = project["frames"].toArray();
    ASSERT_EQ(frames.size(), 3);
    for (const QJsonValue& frame : frames) {
        EXPECT_TRUE(frame.toObject()["photo"].toString().endsWith(".jpg"));
        EXPECT_GT(frame.toObject()["rect"].toObject()["width"].toDouble(), 0.0);
    }
    // A saved project carries the picture open dialogs show it by.
    const QJsonObject preview = project["preview"].toObject();
    EXPECT_EQ(std::max(preview["width"].toInt(), preview["height"].toInt()), 256);
    for (const char* key : {"dropper", "undo", "redo", "macros"})
        EXPECT_TRUE(project[key].isArray()) << key;
    EXPECT_TRUE(project["printer"].toObject().contains("devModeBytes"));
}

TEST_F(ProjectCli, InfoListsTheHistoryOldestStepFirst)
{
    // make places each photo, lays them out, then jumbles them.
    const QJsonArray undo = info(makeProject("jumbled", {"--jumble"}))["undo"].toArray();
    ASSERT_EQ(undo.size(), 8);
    EXPECT_EQ(undo[0].toObject()["name"].toString(), "Create image frame");
    EXPECT_EQ(undo[6].toObject()["name"].toString(), "ZadeDudaziz");
    EXPECT_EQ(undo[7].toObject()["name"].toString(), "ZiraRadaru");
}

TEST_F(ProjectCli, ResaveWritesAProjectThatReadsTheSame)
{
    const QString original = makeProject("original");
    const CliRun resaved = run({"resave", original, path("copy.Collage")});
    ASSERT_EQ(resaved.exitCode, 0) << resaved.err.constData();

    QJsonObject before = info(original);
    QJsonObject after = info(path("copy.Collage"));
    for (const char* key : {"path", "lastSaved"}) {
        before.remove(key);
        after.remove(key);
    }
    EXPECT_EQ(before, after);
}

TEST_F(ProjectCli, ResaveAsATemplateKeepsTheFramesWithoutAnyPhoto)
{
    const QString project = makeProject("trip");
    const QString layout = path("layout.Collage");
    const CliRun resaved = run({"resave", project, layout, "--template"});
    ASSERT_EQ(resaved.exitCode, 0) << resaved.err.constData();

    QFile file(layout);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    for (int i = 0; i < 3; ++i) {
        const QString name = QString("photo%1.jpg").arg(i);
        EXPECT_FALSE(bytes.contains(QByteArray(reinterpret_cast<const char*>(name.utf16()), name.size() * 2)))
            << "the template names " << name.toStdString();
    }

    // Opened by a user whose collection is empty, it adds nothing to it.
    ASSERT_TRUE(QFile::remove(home.dataHome() + "/Tessary/ImageDatabase/Collection.DAT"));
    const QJsonObject opened = info(layout);
    EXPECT_TRUE(opened["flags"].toObject()["template"].toBool());
    const QJsonArray frames = opened["frames"].toArray();
    ASSERT_EQ(frames.size(), 3);
    for (const QJsonValue& frame : frames)
        EXPECT_TRUE(frame.toObject()["photo"].toString().isEmpty());
    EXPECT_TRUE(opened["photos"].toArray().isEmpty());
    const CliRun listed = run({"photos", "list", "--json"});
    ASSERT_EQ(listed.exitCode, 0) << listed.err.constData();
    EXPECT_TRUE(QJsonDocument::fromJson(listed.out).array().isEmpty()) << listed.out.constData();
}

TEST_F(ProjectCli, DamagedOrMissingProjectsFailWithAMessage)
{
    const QString project = makeProject("damaged");
    QFile file(project);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    file.seek(file.size() / 2);
    file.write("garbage in the middle");
    file.close();

    for (const QString& bad : {project, path("nowhere.Collage")}) {
        const CliRun shown = run({"info", bad});
        EXPECT_EQ(shown.exitCode, kExitFailed) << bad.toStdString();
        EXPECT_TRUE(shown.out.isEmpty());
        EXPECT_FALSE(shown.err.isEmpty());
    }
    const CliRun resaved = run({"resave", project, path("copy.Collage")});
    EXPECT_EQ(resaved.exitCode, kExitFailed);
    EXPECT_FALSE(QFile::exists(path("copy.Collage")));
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void replaceContents(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

TEST_F(ProjectCli, AResaveOntoAFullDiskFailsAndLeavesTheOldProject)
{
    const QString project = makeProject("new");
    const QString old = makeProject("old", {"--canvas", "5x5"});
    const QByteArray before = contents(old);

    QProcess process;
    // The child's disk is full after 2,000 bytes of any file it writes.
    process.setChildProcessModifier([] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{2000, 2000};
        setrlimit(RLIMIT_FSIZE, &limit);
    });
    process.start(COLLAGE_CLI_BINARY, {"resave", project, old});
    ASSERT_TRUE(process.waitForFinished(120000));
    EXPECT_EQ(process.exitCode(), kExitFailed);
    EXPECT_TRUE(process.readAllStandardError().contains("cannot write"));
    EXPECT_TRUE(process.readAllStandardOutput().isEmpty());
    EXPECT_EQ(contents(old), before);
}

// The process is killed at points spread over the time a whole resave
// takes; afterwards the target is the old project, untouched, or the new
// one, whole.
TEST_F(ProjectCli, AResaveKilledAtAnyMomentLeavesTheOldOrTheNewProjectWhole)
{
    const QString project = makeProject("new");
    const QString target = makeProject("old", {"--canvas", "5x5"});
    const QByteArray old = contents(target);

    QElapsedTimer clock;
    clock.start();
    ASSERT_EQ(run({"resave", project, path("timed.Collage")}).exitCode, 0);
    const qint64 wholeRun = clock.nsecsElapsed();

    constexpr int kKills = 16;
    int keptOld = 0, wroteNew = 0;
    for (int i = 0; i <= kKills; ++i) {
        replaceContents(target, old);
        QProcess process;
        process.start(COLLAGE_CLI_BINARY, {"resave", project, target});
        ASSERT_TRUE(process.waitForStarted());
        const qint64 delay = wholeRun * i / kKills;
        // The last run is left to finish: on a busy machine a run can take
        // longer than the timed one, and a resave never killed must write.
        if (i < kKills && !process.waitForFinished(int(delay / 1000000)))
            process.kill();
        process.waitForFinished();

        if (contents(target) == old) {
            ++keptOld;
            continue;
        }
        ++wroteNew;
        const QJsonObject written = info(target);
        EXPECT_EQ(written["canvas"].toObject()["width"].toDouble(), 10.0) << "killed after " << delay << " ns";
    }
    EXPECT_GT(keptOld, 0);
    EXPECT_GT(wroteNew, 0);
}

TEST_F(ProjectCli, WrongArgumentsShowTheUsage)
{
    EXPECT_EQ(run({"info"}).exitCode, kExitUsage);
    EXPECT_EQ(run({"info", "a", "b"}).exitCode, kExitUsage);
    EXPECT_EQ(run({"resave", "only-one"}).exitCode, kExitUsage);
    EXPECT_EQ(run({"resave", "a", "b", "--as-template"}).exitCode, kExitUsage);
}

} // namespace
