// The patch download through libcurl from a loopback HTTP server: progress,
// the checks before the file appears, and Stop.

#include "patchdownload.h"
#include "updaterhandover.h"
#include "updateserver.h"

#include <QFile>
#include <QTcpServer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

QByteArray patchBytes(int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 7 + i / 251) & 0xFF);
    return bytes;
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

struct Report
{
    CPatchDownload::Phase phase;
    qint64 received;
    qint64 expected;
};

} // namespace

class PatchDownload : public ::testing::Test
{
protected:
    CPatchDownload::Result download(const QString& mode, CPatchDownload& patch)
    {
        patch.setProgress([this](CPatchDownload::Phase phase, qint64 received, qint64 expected) {
            m_reports.push_back({phase, received, expected});
        });
        return patch.download(m_server.downloadUrl(mode, "patch2.exe"), target());
    }

    QString target() const { return UpdaterHandOver::downloadPath(m_folder.path()); }

    UpdateServer m_server;
    QTemporaryDir m_folder;
    std::vector<Report> m_reports;
    const QByteArray m_patch = patchBytes(300 * 1024 + 17);
};

TEST_F(PatchDownload, ReportsConnectingThenTheExpectedSizeThenEveryArrival)
{
    m_server.addFile("patch2.exe", m_patch);
    CPatchDownload patch;

    ASSERT_EQ(download("plain", patch), CPatchDownload::Result::Done) << patch.failure().toStdString();

    EXPECT_EQ(readFile(target()), m_patch);
    ASSERT_GE(m_reports.size(), 3u);
    EXPECT_EQ(m_reports.front().phase, CPatchDownload::Phase::Connecting);
    EXPECT_EQ(m_reports[1].phase, CPatchDownload::Phase::Begun);
    EXPECT_EQ(m_reports[1].expected, m_patch.size());
    EXPECT_EQ(m_reports.back().phase, CPatchDownload::Phase::Receiving);
    EXPECT_EQ(m_reports.back().received, m_patch.size());
    for (size_t i = 2; i < m_reports.size(); ++i)
        EXPECT_GE(m_reports[i].received, m_reports[i - 1].received) << "progress never goes back";
}

TEST_F(PatchDownload, AnAnswerWithoutALengthIsTakenWhole)
{
    m_server.addFile("patch2.exe", m_patch);
    for (const char* mode : {"chunked", "to-close"}) {
        CPatchDownload patch;
        ASSERT_EQ(download(mode, patch), CPatchDownload::Result::Done) << mode;
        EXPECT_EQ(patch.expected(), -1) << mode;
        EXPECT_EQ(readFile(target()), m_patch) << mode;
        QFile::remove(target());
    }
}

class FailedDownloads : public PatchDownload, public ::testing::WithParamInterface<const char*>
{
};

TEST_P(FailedDownloads, LeaveNoFileAndAnEarlierOneAsItWas)
{
    const QString mode = GetParam();
    m_server.addFile("patch2.exe", mode == "empty" ? QByteArray() : m_patch);
    QFile earlier(target());
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
    earlier.write("an earlier download");
    earlier.close();
    CPatchDownload patch;

    EXPECT_EQ(download(mode == "empty" ? "plain" : mode, patch), CPatchDownload::Result::Failed);

    EXPECT_FALSE(patch.failure().isEmpty());
    EXPECT_EQ(readFile(target()), "an earlier download");
    EXPECT_EQ(QDir(m_folder.path()).entryList(QDir::Files), QStringList{"Temp.DAT"}) << "no temporary file left";
}

INSTANTIATE_TEST_SUITE_P(PatchDownload, FailedDownloads,
                         ::testing::Values("short", "error500", "empty", "missing"));

TEST_F(PatchDownload, StopEndsTheDownloadAsStoppedWithoutAFile)
{
    m_server.addFile("patch2.exe", patchBytes(2 * 1024 * 1024)); // 50 s at the slow pace
    CPatchDownload patch;
    patch.setProgress([&patch](CPatchDownload::Phase, qint64 received, qint64) {
        if (received >= 16 * 1024)
            patch.stop();
    });

    EXPECT_EQ(patch.download(m_server.downloadUrl("slow", "patch2.exe"), target()), CPatchDownload::Result::Stopped);
    EXPECT_FALSE(QFile::exists(target()));
}

TEST_F(PatchDownload, StopFromAnotherThreadEndsAStalledDownload)
{
    m_server.addFile("patch2.exe", m_patch);
    CPatchDownload patch;
    std::thread stopper([&patch] {
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        patch.stop();
    });
    const CPatchDownload::Result result = patch.download(m_server.downloadUrl("silence", "patch2.exe"), target());
    stopper.join();
    EXPECT_EQ(result, CPatchDownload::Result::Stopped);
}

TEST(PatchDownloadOffline, NoServerFails)
{
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
    const quint16 port = closed.serverPort();
    closed.close();
    QTemporaryDir folder;
    CPatchDownload patch;
    EXPECT_EQ(patch.download(QStringLiteral("http://127.0.0.1:%1/patch.exe").arg(port), folder.filePath("Temp.DAT")),
              CPatchDownload::Result::Failed);
    EXPECT_EQ(patch.download(QStringLiteral("file:///etc/hostname"), folder.filePath("Temp.DAT")),
              CPatchDownload::Result::Failed)
        << "only HTTP is fetched";
}

// --- The hand-over to the updater

TEST(UpdaterHandOver, TheCommandLineNamesTheDownloadThePatchTheLocalNameAndTheParameters)
{
    UpdateInfo update;
    update.patchUrl = QStringLiteral("http://h/updates/patch2.exe");
    update.localName = QStringLiteral("collage.exe");
    EXPECT_EQ(UpdaterHandOver::arguments(update), "Temp.DAT;patch2.exe;collage.exe;");

    update.patchUrl = QStringLiteral("http://h/a\\b\\patch3.sh");
    update.patchParameters = QStringLiteral("-silent \"x y\"");
    EXPECT_EQ(UpdaterHandOver::arguments(update), "Temp.DAT;patch3.sh;collage.exe;-silent \"x y\"");
}

struct Acceptable
{
    const char* name;
    QString patchUrl;
    QString localName;
    QString parameters;
    bool acceptable;
};

class HandOverLimits : public ::testing::TestWithParam<Acceptable>
{
};

TEST_P(HandOverLimits, KeepToWhatTheUpdaterTakes)
{
    const Acceptable& c = GetParam();
    UpdateInfo update{c.patchUrl, c.localName, c.parameters, {}, true};
    EXPECT_EQ(UpdaterHandOver::isAcceptable(update), c.acceptable);
}

INSTANTIATE_TEST_SUITE_P(
    UpdaterHandOver, HandOverLimits,
    ::testing::Values(Acceptable{"plain", "http://h/p.exe", "collage", "", true},
                      Acceptable{"exactly_259", "http://h/p.exe", "p.sh", QString(259 - 5, 'x'), true},
                      Acceptable{"patcher_line_too_long", "http://h/p.exe", "p.sh", QString(259 - 4, 'x'), false},
                      Acceptable{"no_local_name", "http://h/p.exe", "", "", false},
                      Acceptable{"local_name_with_a_folder", "http://h/p.exe", "../collage", "", false},
                      Acceptable{"local_name_with_a_semicolon", "http://h/p.exe", "a;b", "", false},
                      Acceptable{"no_patch_url", "", "collage", "", false}),
    [](const auto& info) { return std::string(info.param.name); });
