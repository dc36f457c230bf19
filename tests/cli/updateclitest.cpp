// collage-cli update check and update download against the stand-in update
// service, on the user's own settings (a temporary home).

#include "clirun.h"
#include "datapaths.h"
#include "messagecatalogue.h"
#include "programversion.h"
#include "propmanager.h"
#include "testhome.h"
#include "updateserver.h"
#include "usagelog.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

class UpdateCli : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CPropManager settings;
        CUsageLog log(settings);
        log.record("e-mail", "true, 2");
        ASSERT_EQ(settings.save(DataPaths::settingsFile()), CPropManager::SaveResult::Saved);
    }

    QString storedLog() const
    {
        CPropManager settings;
        settings.load(DataPaths::settingsFile());
        return CUsageLog(settings).text();
    }

    static QJsonObject json(const CliRun& run) { return QJsonDocument::fromJson(run.out).object(); }

    TestHome m_home;
    UpdateServer m_server;
    const QByteArray m_patch = QByteArray(150000, 'p');
};

TEST_F(UpdateCli, CheckPrintsTheNewVersionAndItsDownloadSizeAndDeliversTheUsageLog)
{
    m_server.addFile("patch2.exe", m_patch);
    m_server.answer({{"shBuild", programVersion().build + 1}, {"strPatchURL", m_server.downloadUrl("plain", "patch2.exe")},
                     {"strLocalName", "collage"}, {"strPatchAppParams", QJsonValue::Null},
                     {"strUpdateMsg", "Build two is here"}});

    const CliRun run = runCli({"update", "check", "--server", m_server.url()});

    ASSERT_EQ(run.exitCode, 0) << run.err.constData();
    const QJsonObject result = json(run);
    EXPECT_EQ(result["state"].toString(), "update");
    EXPECT_EQ(result["message"].toString(), "Build two is here");
    EXPECT_EQ(result["runningBuild"].toInt(), programVersion().build);
    const QJsonObject version = result["newVersion"].toObject();
    EXPECT_EQ(version["build"].toInt(), programVersion().build + 1);
    EXPECT_FALSE(version["forced"].toBool());
    EXPECT_EQ(version["patchUrl"].toString(), m_server.downloadUrl("plain", "patch2.exe"));
    EXPECT_EQ(version["localName"].toString(), "collage");
    EXPECT_EQ(version["patchParameters"].toString(), "");
    EXPECT_EQ(result["downloadSize"].toDouble(), m_patch.size());

    EXPECT_TRUE(m_server.received()["bBytes"].toString().contains("\"e-mail\", \"true, 2\""));
    EXPECT_TRUE(storedLog().isEmpty()) << "a delivered log is taken out of the settings";
}

TEST_F(UpdateCli, CheckWithoutServerUsesTessaryServerAndSaysWhenNoUpdateIsNeeded)
{
    qputenv("Tessary_server", m_server.url().toUtf8());
    const CliRun run = runCli({"update", "check"});
    qunsetenv("Tessary_server");

    ASSERT_EQ(run.exitCode, 0) << run.err.constData();
    const QJsonObject result = json(run);
    EXPECT_EQ(result["state"].toString(), "none");
    EXPECT_EQ(result["messageKey"].toString(), "UpdateNone");
    EXPECT_EQ(result["message"].toString(), CMessageCatalogue().text("UpdateNone"));
    EXPECT_EQ(result["endpoint"].toString(), m_server.url());
    EXPECT_TRUE(result["downloadSize"].isNull());
}

TEST_F(UpdateCli, ACheckThatFailsSaysUpdateComProbKeepsTheLogAndExitsWithOne)
{
    m_server.answer({{"mode", "fault"}});

    const CliRun run = runCli({"update", "check", "--server", m_server.url()});

    EXPECT_EQ(run.exitCode, 1);
    const QJsonObject result = json(run);
    EXPECT_EQ(result["state"].toString(), "failed");
    EXPECT_EQ(result["error"].toString(), "fault");
    EXPECT_EQ(result["messageKey"].toString(), "UpdateComProb");
    EXPECT_TRUE(result["newVersion"].isNull());
    EXPECT_FALSE(storedLog().isEmpty());
}

TEST_F(UpdateCli, DownloadFetchesThePatchWithProgressOnStandardError)
{
    m_server.addFile("patch2.exe", m_patch);
    m_server.answer({{"shBuild", programVersion().build + 1},
                     {"strPatchURL", m_server.downloadUrl("plain", "patch2.exe")}});
    const QString target = m_home.path() + "/patch.bin";

    const CliRun run = runCli({"update", "download", "--server", m_server.url(), "--to", target});

    ASSERT_EQ(run.exitCode, 0) << run.err.constData();
    QFile file(target);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), m_patch);
    EXPECT_TRUE(run.err.contains("Connecting to Tessary\nProcess is ")) << run.err.constData();
    EXPECT_TRUE(run.err.contains("Process is 100% complete...\n"));
    EXPECT_TRUE(run.out.isEmpty());
}

TEST_F(UpdateCli, ADownloadShorterThanAnnouncedFailsAndLeavesNoFile)
{
    m_server.addFile("patch2.exe", m_patch);
    m_server.answer({{"shBuild", programVersion().build + 1},
                     {"strPatchURL", m_server.downloadUrl("short", "patch2.exe")}});
    const QString target = m_home.path() + "/patch.bin";

    const CliRun run = runCli({"update", "download", "--server", m_server.url(), "--to", target});

    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(CMessageCatalogue().text("UpdateComProb").toUtf8()));
    EXPECT_FALSE(QFile::exists(target));
}

TEST_F(UpdateCli, BadArgumentsExitWithTwo)
{
    for (const QStringList& args :
         {QStringList{"update"}, QStringList{"update", "install"}, QStringList{"update", "check", "--to", "x"},
          QStringList{"update", "check", "--server"}, QStringList{"update", "check", "--server", "ftp://h/x"},
          QStringList{"update", "download", "--server", m_server.url()},
          QStringList{"update", "download", "--to", "x"}}) {
        const CliRun run = runCli(args);
        EXPECT_EQ(run.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains("usage: collage-cli update")) << args.join(' ').toStdString();
    }
}
