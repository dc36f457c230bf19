// collage-cli mail, publish and preview as a script runs them: a real
// process in a private home, against the loopback mail server.
#include "photolike.h"
#include "smtptestsupport.h"
#include "testhome.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

struct CliResult
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

class ShareCli : public ::testing::Test
{
protected:
    void SetUp() override
    {
        qunsetenv("OMBRAVELLE_SMTP_PASSWORD");
        QDir().mkpath(home.path() + "/photos");
        for (int i = 0; i < 3; ++i)
            ASSERT_TRUE(photoLikePicture(QSize(480 + 60 * i, 360)).save(path("photos/%1.jpg").arg(i), "JPEG", 90));
        const CliResult made = run({"make", path("photos"), "--out", project(), "--seed", "7"});
        ASSERT_EQ(made.exitCode, kExitOk) << made.err.constData();
    }

    static CliResult run(const QStringList& args)
    {
        QProcess process;
        process.start(COLLAGE_CLI_BINARY, args);
        EXPECT_TRUE(process.waitForFinished(120000));
        return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
    }
    QString path(const QString& name) const { return home.path() + '/' + name; }
    QString project() const { return path("trip.Collage"); }

    TestHome home;
};

TEST_F(ShareCli, MailSendsTheCollageAndKeepsTheTransactionItReplayed)
{
    MailServer server;
    ASSERT_TRUE(server.start());
    const CliResult sent = run({"mail", project(), "--to", "ann@example.com", "Bob Brown <bob@example.com>", "--cc",
                          "cy@example.com", "--from", "me@example.com", "--from-name", "Me, Myself",
                          "--server", server.address(), "--subject", "Trip", "--message", "Hello", "--originals",
                          "--write-transaction", path("mail.txt")});
    ASSERT_EQ(sent.exitCode, kExitOk) << sent.err.constData();
    const QJsonObject summary = server.delivered(1);
    EXPECT_EQ(summary["rcptTos"].toArray(), QJsonArray({"ann@example.com", "bob@example.com", "cy@example.com"}));
    EXPECT_EQ(summary["from"].toArray()[0].toObject()["name"].toString(), "Me, Myself");
    EXPECT_EQ(summary["to"].toArray()[1].toObject()["name"].toString(), "Bob Brown");
    EXPECT_EQ(summary["parts"].toArray().size(), 1 + 1 + 3 + 1);

    // The DATA section of the transaction, unstuffed, is what the server got.
    QFile transaction(path("mail.txt"));
    ASSERT_TRUE(transaction.open(QIODevice::ReadOnly));
    const QByteArray bytes = transaction.readAll();
    ASSERT_TRUE(bytes.startsWith("MAIL FROM:<me@example.com>\r\nRCPT TO:<ann@example.com>\r\n"));
    QByteArray data = bytes.mid(bytes.indexOf("DATA\r\n") + 6);
    data.replace("\r\n..", "\r\n.");
    EXPECT_TRUE(server.rawMessage(1).startsWith(data)) << "the server received the transaction's message";
}

TEST_F(ShareCli, MailRefusesBadArgumentsWithCode2AndAFailedSendWithCode1)
{
    const QStringList base = {"mail", project(), "--from", "me@example.com", "--server", "127.0.0.1:1"};
    EXPECT_EQ(run(base).exitCode, kExitUsage) << "no --to";
    EXPECT_EQ(run(base + QStringList{"--to", "not-an-address"}).exitCode, kExitUsage);
    EXPECT_EQ(run(base + QStringList{"--to", "a@example.com", "--subject", "a\nb"}).exitCode, kExitUsage);
    const CliResult noPassword = run(base + QStringList{"--to", "a@example.com", "--user", "me"});
    EXPECT_EQ(noPassword.exitCode, kExitUsage);
    EXPECT_TRUE(noPassword.err.contains("OMBRAVELLE_SMTP_PASSWORD"));
    const CliResult unreachable = run(base + QStringList{"--to", "a@example.com"});
    EXPECT_EQ(unreachable.exitCode, kExitFailed);
    EXPECT_TRUE(unreachable.err.contains("could not be sent")) << unreachable.err.constData();
}

TEST_F(ShareCli, PublishAndPreviewWriteTheSiteAndThePage)
{
    const CliResult published = run({"publish", project(), "--folder", path("site"), "--page", "Trip.htm", "--originals"});
    ASSERT_EQ(published.exitCode, kExitOk) << published.err.constData();
    EXPECT_TRUE(QFileInfo::exists(path("site/Trip.htm")));
    EXPECT_TRUE(QFileInfo::exists(path("site/Trip_images/3.htm")));
    EXPECT_EQ(run({"publish", project(), "--folder", path("site"), "--page", "Trip.htm"}).exitCode, kExitOk)
        << "publishing again replaces";
    EXPECT_EQ(run({"publish", project(), "--folder", path("site"), "--page", "Trip.txt"}).exitCode, kExitUsage);
    EXPECT_EQ(run({"publish", project(), "--page", "Trip.htm"}).exitCode, kExitUsage);
    EXPECT_EQ(run({"publish", project(), "--ftp", "http://example.com/", "--page", "Trip.htm"}).exitCode, kExitUsage);
    EXPECT_EQ(run({"publish", path("missing.Collage"), "--folder", path("x"), "--page", "a.htm"}).exitCode,
              kExitFailed);

    const CliResult previewed = run({"preview", project(), "--folder", path("preview")});
    ASSERT_EQ(previewed.exitCode, kExitOk) << previewed.err.constData();
    QFile page(path("preview/Collage.htm"));
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    EXPECT_TRUE(page.readAll().contains("<B>Preview:</B>"));
    EXPECT_TRUE(QFileInfo::exists(path("preview/Collage.jpg")));
}

} // namespace
