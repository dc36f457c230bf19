// The updater as the editor runs it: a real process in a program folder
// with a stand-in editor, a download and patchers that are shell scripts.

#include "updaterfolder.h"

#include <QByteArray>
#include <QThread>

#include <gtest/gtest.h>

namespace {

constexpr int kExitFailed = 255; // -1 as the shell sees it
// Long enough for a program the updater started to have written its mark.
constexpr int kQuietMs = 700;

QByteArray lines(std::initializer_list<const char*> texts)
{
    QByteArray joined;
    for (const char* text : texts)
        joined += QByteArray(text) + "\r\n";
    return joined;
}

QList<QByteArray> startedAfterQuiet(const UpdaterFolder& folder)
{
    QThread::msleep(kQuietMs);
    QList<QByteArray> labels = folder.read("started").split('\n');
    labels.removeAll(QByteArray());
    return labels;
}

} // namespace

TEST(Updater, ADownloadNamedAsTheMainProgramReplacesItAndStartsTheNewOne)
{
    UpdaterFolder folder;
    folder.installOldProgram();
    folder.write("Temp.DAT", UpdaterFolder::program("new")); // as downloaded: not executable

    const UpdaterRun run = folder.run("Temp.DAT;patch.exe;collage;");

    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err, lines({"Params - Temp.DAT;patch.exe;collage;", "Waiting for main app to shut down",
                              "Renaming temp file", "Running app"}));
    EXPECT_EQ(folder.started(), QList<QByteArray>{"new"});
    EXPECT_FALSE(folder.exists("$$AppTemp$$"));
    EXPECT_FALSE(folder.exists("Temp.DAT"));
    EXPECT_EQ(folder.read("updater.log"), run.err) << "the log beside the program holds the same lines";
}

// A patcher that makes the new program from the old one, noting its arguments.
const QByteArray kPatcher = "#!/bin/sh\n"
                            "for a in \"$@\"; do echo \"[$a]\" >> patcher-args; done\n"
                            "echo ran >> patcher-ran\n"
                            "sed 's/old/patched/' '$$AppTemp$$' > collage && chmod +x collage\n";

struct PatcherCase
{
    const char* name;
    const char* commandLine;
    const char* patcherName;
    QByteArray expectedArguments; // one "[argument]" a line
};

class PatcherRuns : public ::testing::TestWithParam<PatcherCase>
{
};

TEST_P(PatcherRuns, ThePatcherRunsWithItsParametersAndTheBackupGoes)
{
    const PatcherCase& c = GetParam();
    UpdaterFolder folder;
    folder.installOldProgram();
    folder.write(QString::fromUtf8(c.patcherName), "stale leftover of an earlier update", true);
    folder.write("Temp.DAT", kPatcher);

    const UpdaterRun run = folder.run(QString::fromUtf8(c.commandLine));

    EXPECT_EQ(run.exitCode, 0) << run.err.constData();
    EXPECT_TRUE(run.err.contains(lines({"Renaming temp file", "Starting patcher app",
                                        "Waiting for patcher app to shut down", "Running app"})))
        << run.err.constData();
    EXPECT_EQ(folder.read("patcher-ran"), "ran\n");
    EXPECT_EQ(folder.read("patcher-args"), c.expectedArguments);
    EXPECT_EQ(folder.started(), QList<QByteArray>{"patched"});
    EXPECT_FALSE(folder.exists("$$AppTemp$$"));
}

INSTANTIATE_TEST_SUITE_P(
    Updater, PatcherRuns,
    ::testing::Values(PatcherCase{"with_a_parameter", "Temp.DAT;patch.exe;patch.exe;-silent", "patch.exe", "[-silent]\n"},
                      PatcherCase{"without_the_third_semicolon", "Temp.DAT;patch.exe;patch.exe", "patch.exe", ""},
                      PatcherCase{"names_with_blanks_and_quotes",
                                  "Temp.DAT;my \"patch\" v2;my \"patch\" v2;-o \"two words\" say\\\"hi\\\"",
                                  "my \"patch\" v2", "[-o]\n[two words]\n[say\"hi\"]\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Updater, ACommandLineSplitIntoSeveralArgumentsIsJoinedAgain)
{
    UpdaterFolder folder;
    folder.installOldProgram();
    folder.write("Temp.DAT", kPatcher);

    const UpdaterRun run = folder.runWith({"Temp.DAT;patch.sh;patch.sh;-a", "-b"});

    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.err.startsWith("Params - Temp.DAT;patch.sh;patch.sh;-a -b\r\n"));
    EXPECT_EQ(folder.read("patcher-args"), "[-a]\n[-b]\n");
}

// Command lines the updater refuses before it touches anything: it only
// says so and starts the editor again.
class RefusedCommandLines : public ::testing::TestWithParam<QString>
{
};

TEST_P(RefusedCommandLines, LeaveEveryFileAsItWasAndStartTheEditorAgain)
{
    const QString& commandLine = GetParam();
    UpdaterFolder folder;
    folder.installOldProgram();
    folder.write("Temp.DAT", UpdaterFolder::program("new"));

    const UpdaterRun run = folder.run(commandLine);

    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err, "Params - " + commandLine.toUtf8() + "\r\n"
                           + lines({"Invalid command line params", "Running app"}));
    EXPECT_EQ(folder.started(), QList<QByteArray>{"old"});
    EXPECT_EQ(folder.read("collage"), UpdaterFolder::program("old"));
    EXPECT_EQ(folder.read("Temp.DAT"), UpdaterFolder::program("new"));
    EXPECT_FALSE(folder.exists("$$AppTemp$$"));
}

INSTANTIATE_TEST_SUITE_P(
    Updater, RefusedCommandLines,
    ::testing::Values(QString(), QString("Temp.DAT"), QString("Temp.DAT;patch.exe"), QString(";;"),
                      // Longer than the patcher command line may be: refused, never cut.
                      QString("Temp.DAT;patch.exe;patch.exe;") + QString(10 * 1024, 'x'),
                      QString("Temp.DAT;patch.exe;") + QString(260, 'p'),
                      // Names outside the program folder, or over the backup.
                      QString("Temp.DAT;patch.exe;../collage;"), QString("../Temp.DAT;p;collage;"),
                      QString("Temp.DAT;p;$$AppTemp$$;"), QString("collage;p;patch.exe;")),
    [](const auto& info) { return "line_" + std::to_string(info.index); });

TEST(Updater, ThePatcherCommandLineMayBeExactlyTwoHundredFiftyNineCharacters)
{
    UpdaterFolder folder;
    folder.installOldProgram();
    folder.write("Temp.DAT", kPatcher);
    const QString parameters(259 - 9, 'y'); // "patch.sh" and a space before them

    const UpdaterRun run = folder.run("Temp.DAT;patch.sh;patch.sh;" + parameters);

    EXPECT_EQ(run.exitCode, 0) << run.err.constData();
    EXPECT_EQ(folder.read("patcher-args"), "[" + parameters.toUtf8() + "]\n");
}

TEST(Updater, AMainProgramThatNeverClosesLeavesEverythingAndIsNotStartedAgain)
{
    UpdaterFolder folder;
    // A real program standing in for the editor, still running.
    ASSERT_TRUE(QFile::copy("/bin/sleep", folder.path("collage")));
    QProcess editor;
    editor.start(folder.path("collage"), {"60"});
    ASSERT_TRUE(editor.waitForStarted());
    folder.write("Temp.DAT", UpdaterFolder::program("new"));

    const UpdaterRun run = folder.run("Temp.DAT;patch.exe;collage;");
    editor.kill();
    editor.waitForFinished();

    EXPECT_EQ(run.exitCode, kExitFailed);
    QByteArray expected = lines({"Params - Temp.DAT;patch.exe;collage;", "Waiting for main app to shut down"});
    for (int i = 0; i < 10; ++i)
        expected += "Still waiting\r\n";
    EXPECT_EQ(run.err, expected);
    EXPECT_TRUE(folder.exists("collage"));
    EXPECT_FALSE(folder.exists("$$AppTemp$$"));
    EXPECT_EQ(folder.read("Temp.DAT"), UpdaterFolder::program("new"));
}

TEST(Updater, ADownloadThatCannotBeInstalledIsDeletedAndTheOldProgramComesBack)
{
    UpdaterFolder folder;
    folder.installOldProgram();
    // No "Temp.DAT" at all: every install attempt fails.

    const UpdaterRun run = folder.run("Temp.DAT;patch.exe;collage;");

    EXPECT_EQ(run.exitCode, kExitFailed);
    QByteArray expected = lines({"Params - Temp.DAT;patch.exe;collage;", "Waiting for main app to shut down",
                                 "Renaming temp file"});
    for (int i = 0; i < 10; ++i)
        expected += "Still waiting\r\n";
    expected += "Could not rename temp file - Exiting\r\n";
    EXPECT_EQ(run.err, expected);
    EXPECT_EQ(folder.read("collage"), UpdaterFolder::program("old"));
    EXPECT_FALSE(folder.exists("$$AppTemp$$"));
    EXPECT_TRUE(startedAfterQuiet(folder).isEmpty()) << "this failure leaves the editor closed";
}

TEST(Updater, ALeftoverBackupIsClearedBeforeTheUpdate)
{
    UpdaterFolder folder;
    folder.installOldProgram();
    folder.write("$$AppTemp$$", "backup of an update that broke off");
    folder.write("Temp.DAT", UpdaterFolder::program("new"));

    EXPECT_EQ(folder.run("Temp.DAT;patch.exe;collage;").exitCode, 0);

    EXPECT_EQ(folder.started(), QList<QByteArray>{"new"});
    EXPECT_FALSE(folder.exists("$$AppTemp$$"));
}

TEST(Updater, APatchPublishedUnderTheMainProgramsNameDoesNotDeleteTheProgram)
{
    UpdaterFolder folder;
    folder.installOldProgram();
    folder.write("Temp.DAT", UpdaterFolder::program("new"));

    const UpdaterRun run = folder.run("Temp.DAT;collage;collage;");

    EXPECT_EQ(run.exitCode, 0) << run.err.constData();
    EXPECT_EQ(folder.started(), QList<QByteArray>{"new"});
}

struct BrokenPatcher
{
    const char* name;
    QByteArray download; // empty: the download is a folder
    const char* expectedLine;
};

class BrokenPatchers : public ::testing::TestWithParam<BrokenPatcher>
{
};

TEST_P(BrokenPatchers, BringTheOldProgramBackAndFail)
{
    const BrokenPatcher& c = GetParam();
    UpdaterFolder folder;
    folder.installOldProgram();
    if (c.download.isEmpty())
        ASSERT_TRUE(QDir().mkdir(folder.path("Temp.DAT")));
    else
        folder.write("Temp.DAT", c.download);

    const UpdaterRun run = folder.run("Temp.DAT;patch.sh;patch.sh;");

    EXPECT_EQ(run.exitCode, kExitFailed);
    EXPECT_TRUE(run.err.contains(QByteArray(c.expectedLine) + "\r\n")) << run.err.constData();
    EXPECT_TRUE(run.err.endsWith("Running app\r\n"));
    EXPECT_EQ(folder.read("collage"), UpdaterFolder::program("old"));
    EXPECT_FALSE(folder.exists("$$AppTemp$$"));
    EXPECT_EQ(folder.started(), QList<QByteArray>{"old"});
}

INSTANTIATE_TEST_SUITE_P(
    Updater, BrokenPatchers,
    ::testing::Values(BrokenPatcher{"folder", {}, "Patcher app is not a program - Not started"},
                      BrokenPatcher{"no program", "#!/bin/sh\nexit 0\n", "Patcher app left no main app"}),
    [](const auto& info) {
        std::string name = info.param.name;
        for (char& c : name)
            c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        return name;
    });
