// Start-up and shutdown: the real `collage` program run as a process against
// a temporary home, and the pieces it is built from (services, progress,
// single-instance slot) driven in-process.

#include "collagedoc.h"
#include "datapaths.h"
#include "messagecatalogue.h"
#include "notificationbus.h"
#include "progress.h"
#include "propmanager.h"
#include "services.h"
#include "singleinstance.h"
#include "testhome.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QThread>
#include <QUuid>

#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <memory>
#include <thread>

// Readable failure messages for QString comparisons.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace {

constexpr int kStartTimeoutMs = 10000;
constexpr int kFinishTimeoutMs = 15000;
// Long enough that the program never quits by itself while a test still
// needs it; tests end it themselves.
constexpr int kSafetyQuitMs = 30000;
constexpr int kShortRunMs = 300;
constexpr int kExitReset = 1;
constexpr int kExitOpenFailed = 2;

void writeFile(const QString& path, const QByteArray& bytes = "dummy")
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Processes events until `done` holds or the time is up.
template <class Predicate>
bool waitFor(Predicate done, int timeoutMs = kStartTimeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return true;
}

bool someoneListensOn(const QString& serverName)
{
    QLocalSocket probe;
    probe.connectToServer(serverName);
    const bool connected = probe.waitForConnected(100);
    probe.abort();
    return connected;
}

} // namespace

// ---------------------------------------------------------------------------
// The program itself.

class ProgramStart : public ::testing::Test
{
protected:
    void TearDown() override
    {
        // A test that ended an instance the hard way leaves its socket file.
        for (auto& process : m_processes) {
            if (process->state() != QProcess::NotRunning) {
                process->kill();
                process->waitForFinished();
            }
        }
        QLocalServer::removeServer(slotName());
    }

    QString slotName() const { return CSingleInstance::defaultKey(DataPaths::configFolder()); }

    QProcess& start(const QStringList& arguments, int quitAfterMs = 0,
                    const QString& workingFolder = QString())
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("OMBRAVELLE_NO_UPDATE_CHECK", "1");
        if (quitAfterMs > 0)
            environment.insert("OMBRAVELLE_QUIT_AFTER_MS", QString::number(quitAfterMs));
        else
            environment.remove("OMBRAVELLE_QUIT_AFTER_MS");

        auto process = std::make_unique<QProcess>();
        process->setProcessEnvironment(environment);
        process->setProgram(QStringLiteral(COLLAGE_BINARY));
        process->setArguments(arguments);
        process->setWorkingDirectory(workingFolder.isEmpty() ? m_home.path() : workingFolder);
        process->start();
        EXPECT_TRUE(process->waitForStarted(kStartTimeoutMs)) << qPrintable(process->errorString());
        m_processes.push_back(std::move(process));
        return *m_processes.back();
    }

    // Runs the program to its end and returns the exit code (-1 when it did
    // not end in time or crashed).
    int runToEnd(const QStringList& arguments, int quitAfterMs = 0,
                 const QString& workingFolder = QString())
    {
        QProcess& process = start(arguments, quitAfterMs, workingFolder);
        if (!process.waitForFinished(kFinishTimeoutMs) || process.exitStatus() != QProcess::NormalExit)
            return -1;
        return process.exitCode();
    }

    QProcess& startFirstInstance()
    {
        QProcess& first = start({}, kSafetyQuitMs);
        EXPECT_TRUE(waitFor([this] { return someoneListensOn(slotName()); }))
            << "the first instance never claimed its slot";
        return first;
    }

    // The first line on the process's standard output that starts with
    // `prefix`, or empty when none comes in time.
    static QString waitForLine(QProcess& process, const QString& prefix)
    {
        QString seen;
        QDeadlineTimer deadline(kStartTimeoutMs);
        while (!deadline.hasExpired()) {
            seen += QString::fromUtf8(process.readAllStandardOutput());
            for (const QString& line : seen.split('\n')) {
                if (line.startsWith(prefix) && seen.contains(line + '\n'))
                    return line;
            }
            process.waitForReadyRead(100);
        }
        return {};
    }

    QString databaseFile(const char* name) const
    {
        return DataPaths::photoDatabaseFolder() + '/' + QString::fromLatin1(name);
    }

    void createUserData()
    {
        writeFile(databaseFile(DataPaths::kCollectionFile));
        writeFile(databaseFile(DataPaths::kMomentsFile));
        writeFile(databaseFile(DataPaths::kThumbsFile));
        writeFile(DataPaths::settingsFile());
    }

    TestHome m_home;
    std::vector<std::unique_ptr<QProcess>> m_processes;
};

TEST_F(ProgramStart, ASecondStartHandsItsCommandLineToTheRunningInstanceAndEndsAtOnce)
{
    QProcess& first = startFirstInstance();

    QProcess& second = start({"/photos/Summer.Collage", "-option"});
    ASSERT_TRUE(second.waitForFinished(kFinishTimeoutMs));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);

    EXPECT_EQ(waitForLine(first, "handover:"), "handover: /photos/Summer.Collage -option");
    EXPECT_EQ(first.state(), QProcess::Running) << "the first instance must keep running";
}

TEST_F(ProgramStart, ARelativeProjectPathIsHandedOverAsSeenFromTheSecondStart)
{
    QProcess& first = startFirstInstance();
    const QString elsewhere = m_home.path() + "/elsewhere";
    QDir().mkpath(elsewhere);

    EXPECT_EQ(runToEnd({"Trip.Collage"}, 0, elsewhere), 0);

    EXPECT_EQ(waitForLine(first, "handover:"), "handover: " + elsewhere + "/Trip.Collage");
}

TEST_F(ProgramStart, ASocketLeftByAKilledInstanceIsTakenOverByTheNextStart)
{
    QProcess& crashed = startFirstInstance();
    crashed.kill();
    ASSERT_TRUE(crashed.waitForFinished(kFinishTimeoutMs));
    ASSERT_TRUE(QFile::exists(QDir::tempPath() + '/' + slotName())) << "no stale socket to take over";

    QProcess& next = start({}, kSafetyQuitMs);
    ASSERT_TRUE(waitFor([this] { return someoneListensOn(slotName()); }));
    EXPECT_EQ(next.state(), QProcess::Running);

    QProcess& later = start({"/photos/Again.Collage"}, kSafetyQuitMs);
    ASSERT_TRUE(later.waitForFinished(kFinishTimeoutMs)) << "the later start did not hand over";
    EXPECT_EQ(later.exitCode(), 0);
    EXPECT_EQ(waitForLine(next, "handover:"), "handover: /photos/Again.Collage");
}

TEST_F(ProgramStart, ResetDeletesThePhotoDatabaseThumbnailsAndSettingsAndEndsWithoutAWindow)
{
    createUserData();

    // No unattended quit: a start that opened a window would never end.
    EXPECT_EQ(runToEnd({"/reset"}), kExitReset);

    EXPECT_FALSE(QFile::exists(databaseFile(DataPaths::kCollectionFile)));
    EXPECT_FALSE(QFile::exists(databaseFile(DataPaths::kMomentsFile)));
    EXPECT_FALSE(QFile::exists(databaseFile(DataPaths::kThumbsFile)));
    EXPECT_FALSE(QFile::exists(DataPaths::settingsFile()));
    EXPECT_FALSE(QDir(DataPaths::photoDatabaseFolder()).exists());
    EXPECT_FALSE(QDir(DataPaths::configFolder()).exists());
    EXPECT_FALSE(QDir(DataPaths::dataFolder()).exists());
}

TEST_F(ProgramStart, ResetKeepsFoldersThatStillHoldOtherFiles)
{
    createUserData();
    const QString ownCollage = DataPaths::dataFolder() + "/Collages/Mine.Collage";
    writeFile(ownCollage);

    EXPECT_EQ(runToEnd({"/reset"}), kExitReset);

    EXPECT_FALSE(QDir(DataPaths::photoDatabaseFolder()).exists());
    EXPECT_TRUE(QFile::exists(ownCollage));
}

TEST_F(ProgramStart, ResetWhileTheProgramRunsOnlyBringsTheRunningInstanceForward)
{
    createUserData();
    QProcess& first = startFirstInstance();

    EXPECT_EQ(runToEnd({"/reset"}), 0);

    EXPECT_EQ(waitForLine(first, "handover:"), "handover: /reset");
    EXPECT_TRUE(QFile::exists(databaseFile(DataPaths::kCollectionFile)));
    EXPECT_TRUE(QFile::exists(DataPaths::settingsFile()));
}

namespace {

// A project file as the editor saves it, made without a running editor.
QString writeProject(const QString& folder, const QString& name)
{
    const QString project = folder + '/' + name;
    CServices services(folder + "/elsewhere.DAT", folder + "/elsewhere");
    CCollageDoc doc(services.docServices());
    EXPECT_EQ(doc.saveDocument(project), CCollageDoc::SaveResult::Saved);
    return project;
}

} // namespace

TEST_F(ProgramStart, TheRunningEditorOpensAProjectASecondStartHandsOver)
{
    const QString first = writeProject(m_home.path(), "First.Collage");
    const QString second = writeProject(m_home.path(), "Second.Collage");
    QProcess& running = start({first}, kSafetyQuitMs);
    ASSERT_TRUE(waitFor([this] { return someoneListensOn(slotName()); }));

    // What a double-click on the file in a file manager runs.
    EXPECT_EQ(runToEnd({second}), 0);

    EXPECT_EQ(waitForLine(running, "project:"), "project: " + second);
    EXPECT_EQ(running.state(), QProcess::Running);
}

TEST_F(ProgramStart, AResetHandedOverIsNoProjectAndLeavesTheOpenOneAsItIs)
{
    const QString open = writeProject(m_home.path(), "Open.Collage");
    QProcess& running = start({open}, kSafetyQuitMs);
    ASSERT_TRUE(waitFor([this] { return someoneListensOn(slotName()); }));

    EXPECT_EQ(runToEnd({"/reset"}), 0);

    // Taken for a path, "/reset" would end in a "FileNotFound" box that
    // holds the editor until someone answers it.
    EXPECT_EQ(waitForLine(running, "project:"), "project: " + open);
}

TEST_F(ProgramStart, OnlyAProjectThatOpensLetsTheStartGoOnToTheMainWindow)
{
    // The unattended quit dismisses the "FileNotFound" or "CorruptProject"
    // box; a start that went on to open the main window would then never end.
    const QString present = m_home.path() + "/Present.Collage";
    {
        CServices services(m_home.path() + "/elsewhere.DAT", m_home.path() + "/elsewhere");
        CCollageDoc doc(services.docServices());
        ASSERT_EQ(doc.saveDocument(present), CCollageDoc::SaveResult::Saved);
    }
    const QString damaged = m_home.path() + "/Damaged.Collage";
    writeFile(damaged);
    EXPECT_EQ(runToEnd({m_home.path() + "/Missing.Collage"}, kShortRunMs), kExitOpenFailed);
    EXPECT_EQ(runToEnd({damaged}, kShortRunMs), kExitOpenFailed);
    EXPECT_EQ(runToEnd({present}, kShortRunMs), 0);
}

// ---------------------------------------------------------------------------
// The services set.

class ServicesTest : public ::testing::Test
{
protected:
    TestHome m_home;
};

TEST_F(ServicesTest, ComeAndGoTwiceWithCurrentFollowingTheLiveSet)
{
    EXPECT_EQ(CServices::current(), nullptr);
    {
        CServices services(DataPaths::settingsFile());
        EXPECT_EQ(CServices::current(), &services);
        services.settings().setValue("GridWidth", CPropValue::f32(2.5f));
    }
    EXPECT_EQ(CServices::current(), nullptr);
    {
        CServices services(DataPaths::settingsFile());
        EXPECT_EQ(CServices::current(), &services);
        const std::optional<CPropValue> saved = services.settings().getValue("GridWidth");
        ASSERT_TRUE(saved.has_value()) << "the changed store was not saved at shutdown";
        EXPECT_FLOAT_EQ(saved->toFloat(), 2.5f);
    }
    EXPECT_EQ(CServices::current(), nullptr);
}

TEST_F(ServicesTest, AnErrorMsgBroadcastShowsTheCatalogueMessageOfItsKey)
{
    struct Shown
    {
        QString caption, text;
        unsigned style;
    };
    std::vector<Shown> shown;
    CServices services(DataPaths::settingsFile());
    services.catalogue().setMessageBox([&shown](const QString& caption, const QString& text, unsigned style) {
        shown.push_back({caption, text, style});
        return MsgButton::Ok;
    });

    services.bus().Broadcast(Channel::ErrorMsg, "FileNotFound");
    services.bus().Broadcast(Channel::ErrorMsg, "corruptproject",
                             CNotifyMessage::valueParameter(MsgStyle::WarningOk));

    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].caption, CMessageCatalogue::kApplicationTitle);
    EXPECT_TRUE(shown[0].text.startsWith("The collage project you are trying to open cannot be found."));
    EXPECT_EQ(shown[0].style, MsgStyle::InfoOk) << "a message without a style gets the information box";
    EXPECT_TRUE(shown[1].text.startsWith("This collage project file appears to be corrupted."));
    EXPECT_EQ(shown[1].style, MsgStyle::WarningOk);
}

// ---------------------------------------------------------------------------
// The progress indicator.

TEST(Progress, StepLetsPendingEventsRun)
{
    CProgress progress;
    bool ran = false;
    QMetaObject::invokeMethod(&progress, [&ran] { ran = true; }, Qt::QueuedConnection);
    EXPECT_FALSE(ran);

    progress.step();

    EXPECT_TRUE(ran);
}

TEST(Progress, PositionAndStepsStayInsideTheRangeWithoutOverflow)
{
    CProgress progress;
    progress.setRange(10, 20);
    EXPECT_EQ(progress.position(), 10) << "a new range pulls the position in";

    progress.setPosition(5);
    EXPECT_EQ(progress.position(), 10);
    progress.setPosition(25);
    EXPECT_EQ(progress.position(), 20);

    progress.setPosition(15);
    progress.setRange(0, 12);
    EXPECT_EQ(progress.position(), 12);

    progress.setRange(30, 5);
    EXPECT_EQ(progress.minimum(), 30);
    EXPECT_EQ(progress.maximum(), 30) << "a reversed range is empty";
    EXPECT_EQ(progress.position(), 30);

    // Steps stop at the ends without overflowing.
    progress.setRange(0, INT_MAX);
    progress.setPosition(INT_MAX - 1);
    progress.step(INT_MAX);
    EXPECT_EQ(progress.position(), INT_MAX);

    progress.setRange(0, 500);
    progress.setPosition(3);
    progress.step();
    EXPECT_EQ(progress.position(), 4);
    progress.step(-100);
    EXPECT_EQ(progress.position(), 0);
    progress.step(0);
    EXPECT_EQ(progress.position(), 0);
}

TEST(Progress, CancelIsSeenAtTheNextStepAndClearedByTheNextRun)
{
    CProgress progress;
    progress.begin();
    EXPECT_TRUE(progress.step());

    progress.cancel();
    EXPECT_FALSE(progress.step());

    progress.end();
    EXPECT_TRUE(progress.isCancelled()) << "the caller tells a cancelled run from a failed one after end";

    progress.begin();
    EXPECT_FALSE(progress.isCancelled());
}

TEST(Progress, TellsItsWindowWhenARunStartsAndEndsOnce)
{
    CProgress progress;
    QSignalSpy active(&progress, &CProgress::activeChanged);

    progress.begin();
    progress.begin(); // a nested begin does not show the window again
    progress.end();
    progress.end();

    ASSERT_EQ(active.count(), 2);
    EXPECT_TRUE(active.at(0).at(0).toBool());
    EXPECT_FALSE(active.at(1).at(0).toBool());
}

TEST(Progress, ResetRestoresTheIdleStateButLeavesARunActive)
{
    CProgress progress;
    progress.begin();
    progress.setText("Loading...");
    progress.setRange(5, 50);
    progress.setPosition(40);
    progress.cancel();

    progress.reset();

    EXPECT_TRUE(progress.text().isEmpty());
    EXPECT_EQ(progress.minimum(), CProgress::kDefaultMinimum);
    EXPECT_EQ(progress.maximum(), CProgress::kDefaultMaximum);
    EXPECT_EQ(progress.position(), CProgress::kDefaultMinimum);
    EXPECT_FALSE(progress.isCancelled());
    EXPECT_TRUE(progress.isActive());
}

// ---------------------------------------------------------------------------
// The single-instance slot, both ends in this process: the later start runs
// on its own thread because it waits for the first one's answer.

class SingleInstanceTest : public ::testing::Test
{
protected:
    void TearDown() override { QLocalServer::removeServer(m_key); }

    // Hands `arguments` over from another thread, serving this thread's
    // events meanwhile; returns tryHandOver's result.
    bool handOverFromAnotherStart(const QStringList& arguments)
    {
        std::atomic<bool> handedOver{false};
        std::atomic<bool> done{false};
        std::thread later([&] {
            CSingleInstance instance(m_key);
            handedOver = instance.tryHandOver(arguments);
            done = true;
        });
        waitFor([&] { return done.load(); }, kFinishTimeoutMs);
        later.join();
        return handedOver;
    }

    // Sends raw bytes as a client would, from another thread.
    void sendRaw(const QByteArray& bytes)
    {
        std::atomic<bool> done{false};
        std::thread client([&] {
            QLocalSocket socket;
            socket.connectToServer(m_key);
            if (socket.waitForConnected(1000)) {
                socket.write(bytes);
                socket.waitForBytesWritten(1000);
                socket.waitForDisconnected(1000);
            }
            done = true;
        });
        waitFor([&] { return done.load(); }, kFinishTimeoutMs);
        client.join();
    }

    const QString m_key = "OmbravelleTest-" + QUuid::createUuid().toString(QUuid::Id128).left(12);
};

TEST_F(SingleInstanceTest, WithNobodyListeningThereIsNothingToHandOverTo)
{
    CSingleInstance instance(m_key);
    EXPECT_FALSE(instance.tryHandOver({"a"}));
}

TEST_F(SingleInstanceTest, AHandOverDeliversTheArgumentsExactly)
{
    CSingleInstance first(m_key);
    ASSERT_TRUE(first.listen());
    QSignalSpy received(&first, &CSingleInstance::argumentsReceived);

    const QStringList arguments{"/photos/with space.Collage", "", "Grüße ✓", "--flag"};
    EXPECT_TRUE(handOverFromAnotherStart(arguments));
    ASSERT_TRUE(waitFor([&] { return received.count() == 1; }));
    EXPECT_EQ(received.at(0).at(0).toStringList(), arguments);

    EXPECT_TRUE(handOverFromAnotherStart({}));
    ASSERT_TRUE(waitFor([&] { return received.count() == 2; }));
    EXPECT_TRUE(received.at(1).at(0).toStringList().isEmpty());
}

TEST_F(SingleInstanceTest, OnlyOneInstanceHoldsTheSlotUntilItGoesAway)
{
    auto first = std::make_unique<CSingleInstance>(m_key);
    ASSERT_TRUE(first->listen());

    CSingleInstance second(m_key);
    EXPECT_FALSE(second.listen());

    first.reset();
    EXPECT_TRUE(second.listen());
}

TEST_F(SingleInstanceTest, MalformedMessagesAreDroppedAndTheSlotKeepsWorking)
{
    CSingleInstance first(m_key);
    ASSERT_TRUE(first.listen());
    QSignalSpy received(&first, &CSingleInstance::argumentsReceived);

    sendRaw(QByteArray("\xff\xff\xff\xff", 4) + "far more than announced");
    sendRaw(QByteArray("\x03\x00\x00\x00", 4) + "abc"); // arguments must be terminated
    sendRaw(QByteArray("\x02\x00", 2));                  // a header cut short

    EXPECT_TRUE(handOverFromAnotherStart({"fine"}));
    ASSERT_TRUE(waitFor([&] { return received.count() >= 1; }));
    QCoreApplication::processEvents();
    ASSERT_EQ(received.count(), 1);
    EXPECT_EQ(received.at(0).at(0).toStringList(), QStringList{"fine"});
}
