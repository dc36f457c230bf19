// The update check's exchange against the stand-in service: when an update
// is available, the usage log going out and being taken out of the log,
// and the worker thread that reports to the window waiting for it.

#include "programversion.h"
#include "propmanager.h"
#include "swupdatethread.h"
#include "updatecheck.h"
#include "updateserver.h"
#include "usagelog.h"

#include <QDateTime>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

constexpr qint16 kRunning = 30;

} // namespace

class UpdateCheck : public ::testing::Test
{
protected:
    UpdateCheckOutcome exchange(const QJsonObject& answer, const QByteArray& log = {})
    {
        m_server.answer(answer);
        CSoapClient client(QUrl(m_server.url()));
        return exchangeUpdateInfo(client, kRunning, log);
    }

    UpdateServer m_server;
};

struct Availability
{
    int serverBuild;
    bool forced;
    bool available;
};

class UpdateAvailability : public UpdateCheck, public ::testing::WithParamInterface<Availability>
{
};

TEST_P(UpdateAvailability, NeedsANewerBuildOrTheServicesInsistence)
{
    const Availability& c = GetParam();
    const UpdateCheckOutcome outcome = exchange({{"shBuild", c.serverBuild}, {"fUpdate", c.forced}});
    ASSERT_TRUE(outcome.reached);
    EXPECT_EQ(outcome.info.available, c.available);
    EXPECT_EQ(outcome.serverBuild, c.serverBuild);
}

INSTANTIATE_TEST_SUITE_P(UpdateCheck, UpdateAvailability,
                         ::testing::Values(Availability{kRunning, false, false}, Availability{kRunning + 1, false, true},
                                           Availability{kRunning, true, true}, Availability{kRunning - 5, false, false},
                                           Availability{kRunning - 5, true, true}));

TEST_F(UpdateCheck, TheRunningBuildAndTheLogGoOutAndThePatchDetailsComeBack)
{
    const UpdateCheckOutcome outcome =
        exchange({{"shBuild", 31}, {"strPatchURL", "http://h/patch2.exe"}, {"strLocalName", "collage"},
                  {"strPatchAppParams", "-q"}, {"strUpdateMsg", "Build 31 is out"}},
                 "one\rtwo");

    EXPECT_EQ(m_server.received().value("shBuild").toInt(), kRunning);
    EXPECT_EQ(m_server.received().value("bBytes").toString(), "one\rtwo");
    EXPECT_FALSE(m_server.received().value("fUpdate").toBool());
    EXPECT_EQ(outcome.info.patchUrl, "http://h/patch2.exe");
    EXPECT_EQ(outcome.info.localName, "collage");
    EXPECT_EQ(outcome.info.patchParameters, "-q");
    EXPECT_EQ(outcome.info.message, "Build 31 is out");
    EXPECT_EQ(outcome.deliveredLog, "one\rtwo");
}

TEST_F(UpdateCheck, AFailedCallIsNoUpdateWithEmptyStrings)
{
    const UpdateCheckOutcome outcome = exchange({{"mode", "fault"}}, "log");
    EXPECT_FALSE(outcome.reached);
    EXPECT_EQ(outcome.error, CSoapClient::Error::SoapFault);
    EXPECT_FALSE(outcome.info.available);
    EXPECT_TRUE(outcome.info.patchUrl.isEmpty() && outcome.info.message.isEmpty());
    EXPECT_TRUE(outcome.deliveredLog.isEmpty());
}

TEST_F(UpdateCheck, TheLogIsTakenOutOnlyWhenDelivered)
{
    CPropManager store;
    store.setValue("TimesRun", CPropValue::i32(3));
    CUsageLog log(store);
    log.record("e-mail", "true, 2");
    CSoapClient client(QUrl(m_server.url()));

    m_server.answer({{"mode", "garbage"}});
    EXPECT_FALSE(checkForUpdate(client, log).reached);
    EXPECT_FALSE(log.text().isEmpty()) << "an undelivered log stays";

    m_server.answer({});
    const QByteArray sent = log.bytes();
    EXPECT_TRUE(checkForUpdate(client, log).reached);
    EXPECT_EQ(m_server.received().value("bBytes").toString().toUtf8(), sent);
    EXPECT_EQ(m_server.received().value("shBuild").toInt(), programVersion().build);
    EXPECT_TRUE(log.text().isEmpty());
}

TEST(UsageLog, EntriesCarryTimeVersionStartsEventAndDetailsSeparatedByACarriageReturn)
{
    CPropManager store;
    store.setValue("TimesRun", CPropValue::i32(70000)); // more than 16 bits hold
    CUsageLog log(store);
    const QDateTime when(QDate(2024, 3, 7), QTime(9, 5));

    log.record("e-mail", "false, 3", when);
    log.record("DiskPublish", "", when.addSecs(3600));

    const ProgramVersion v = programVersion();
    const QString version = QStringLiteral("%1.%2.%3").arg(v.major).arg(v.minor).arg(v.build);
    EXPECT_EQ(log.text(), "2024-3-7 9:5, " + version + ", 32767, \"e-mail\", \"false, 3\"\r"
                          "2024-3-7 10:5, " + version + ", 32767, \"DiskPublish\", \"\"");
    EXPECT_TRUE(store.find(CUsageLog::kSetting) != nullptr) << "kept in the settings store";
}

TEST(UsageLog, AnEntryRecordedWhileTheLogTravelledStays)
{
    CPropManager store;
    CUsageLog log(store);
    log.record("e-mail", "true, 1");
    const QByteArray sent = log.bytes();
    log.record("web_publish", "");

    log.forgetDelivered(sent);

    EXPECT_TRUE(log.text().contains("\"web_publish\""));
    EXPECT_FALSE(log.text().contains("\"e-mail\""));
    EXPECT_FALSE(log.text().startsWith('\r'));
}

// Stands in for the modal window: done(int) is what the worker calls.
class WaitingWindow : public QObject
{
    Q_OBJECT
public:
    int command = 0;
public slots:
    void done(int code)
    {
        command = code;
        emit closed();
    }
signals:
    void closed();
};

struct WorkerCase
{
    int serverBuild;
    int command;
};

class WorkerThread : public UpdateCheck, public ::testing::WithParamInterface<WorkerCase>
{
};

TEST_P(WorkerThread, PostsOkForAnUpdateAndCancelOtherwiseThenHandsOverItsResult)
{
    m_server.answer({{"shBuild", GetParam().serverBuild}, {"strUpdateMsg", "Hello"}});
    CSoapClient client(QUrl(m_server.url()));
    WaitingWindow window;
    QSignalSpy closed(&window, &WaitingWindow::closed);
    CSwUpdateThread worker(client, kRunning, "log", &window);
    EXPECT_FALSE(worker.ran());

    worker.start();
    ASSERT_TRUE(closed.wait(30000));

    EXPECT_TRUE(worker.ran());
    EXPECT_EQ(window.command, GetParam().command);
    EXPECT_EQ(worker.outcome().info.message, "Hello");
    EXPECT_EQ(worker.outcome().deliveredLog, "log");
    EXPECT_FALSE(client.endpoint().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(UpdateCheck, WorkerThread,
                         ::testing::Values(WorkerCase{kRunning + 1, CSwUpdateThread::kCommandOk},
                                           WorkerCase{kRunning, CSwUpdateThread::kCommandCancel}));

#include "updatecheck_test.moc"
