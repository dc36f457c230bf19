// The send and publish workflows on a real collage, against a real mail
// server (aiosmtpd) and a real FTP server (pyftpdlib) on loopback.
#include "collageshare.h"
#include "propmanager.h"
#include "sharefixture.h"
#include "sharesettings.h"
#include "smtptestsupport.h"
#include "usagelog.h"

#include <QImage>

namespace {

QStringList leftoverTransactions()
{
    return QDir::temp().entryList({QStringLiteral("mhtml*")}, QDir::Files);
}

CMailRequest mailTo(const MailServer& server, bool originals)
{
    CMailRequest request;
    request.server = server.address();
    request.senderAddress = "me@example.com";
    request.to = {{"Ann", "ann@example.com"}, {{}, "bob@example.com"}};
    request.subject = "Our trip";
    request.message = "Look!\n.A line with a dot";
    request.includeOriginals = originals;
    return request;
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class CollageShareMail : public ShareFixture
{
protected:
    // A temporary-files folder of its own, so that what other tests leave in
    // the shared one for a moment does not count.
    void SetUp() override
    {
        m_oldTemp = qgetenv("TMPDIR");
        QDir().mkpath(home.path() + "/tmp");
        qputenv("TMPDIR", QFile::encodeName(home.path() + "/tmp"));
        ShareFixture::SetUp();
        ASSERT_TRUE(server.start({"--reject", "nobody@example.com"}));
    }
    void TearDown() override
    {
        ShareFixture::TearDown();
        if (m_oldTemp.isEmpty())
            qunsetenv("TMPDIR");
        else
            qputenv("TMPDIR", m_oldTemp);
    }
    MailServer server;
    QByteArray m_oldTemp;
};

TEST_F(CollageShareMail, TheReceivedPageIsTheGeneratedPageAndTheImagesAreTheFilesWritten)
{
    const QStringList before = leftoverTransactions();
    const CShareResult result = share->send(mailTo(server, true));
    ASSERT_TRUE(result.success) << result.messageKey.toStdString() << result.detail.toStdString();
    EXPECT_EQ(result.messageKey, "SMTPSent");

    const QJsonObject summary = server.delivered(1);
    const QJsonArray parts = summary["parts"].toArray();
    ASSERT_EQ(parts.size(), 1 + 1 + kPhotos + 1);
    EXPECT_EQ(partDecoded(summary, 0), share->html().toUtf8()) << "the HTML part decodes to the page, byte for byte";
    EXPECT_TRUE(share->html().contains("A line with a dot"));
    const QStringList names = {"Collage.jpg", "1.jpg", "2.jpg", "3.jpg", "PrevNext.jpg"};
    const QDir work(share->workingFolder());
    for (int i = 0; i < names.size(); ++i) {
        const QJsonObject part = parts[i + 1].toObject();
        EXPECT_EQ(part["contentId"].toString(), "<" + names[i] + ">");
        EXPECT_EQ(part["contentType"].toString(), "image/jpeg");
        EXPECT_EQ(partDecoded(summary, i + 1), fileBytes(work.filePath(names[i]))) << names[i].toStdString();
        EXPECT_TRUE(share->html().contains("cid:" + names[i])) << names[i].toStdString();
    }
    EXPECT_FALSE(QImage::fromData(partDecoded(summary, 1)).isNull());
    EXPECT_EQ(QImage::fromData(partDecoded(summary, 1)).size(), QSize(800, 600));
    EXPECT_EQ(leftoverTransactions(), before) << "the transaction file is removed";
    EXPECT_TRUE(CUsageLog(services->settings()).text().endsWith("\"e-mail\", \"true, 2\""));
}

TEST_F(CollageShareMail, WithoutOriginalsOnlyTheCollageTravels)
{
    ASSERT_TRUE(share->send(mailTo(server, false)).success);
    const QJsonObject summary = server.delivered(1);
    ASSERT_EQ(summary["parts"].toArray().size(), 2);
    EXPECT_EQ(summary["to"].toArray()[0].toObject()["name"].toString(), "Ann");
    EXPECT_EQ(summary["subject"].toString(), "Our trip");
    EXPECT_FALSE(share->html().contains("#a1"));
}

struct BadMailCase
{
    const char* what;
    std::function<void(CMailRequest&)> spoil;
    const char* key;
};

class CollageShareBadMail : public CollageShareMail, public ::testing::WithParamInterface<BadMailCase> {};

TEST_P(CollageShareBadMail, IsRefusedBeforeAnythingIsSent)
{
    CMailRequest request = mailTo(server, false);
    GetParam().spoil(request);
    const CShareResult result = share->send(request);
    EXPECT_FALSE(result.success);
    EXPECT_EQ(result.messageKey, GetParam().key);
    EXPECT_EQ(server.deliveredCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Input, CollageShareBadMail,
    ::testing::Values(
        BadMailCase{"no server", [](CMailRequest& r) { r.server.clear(); }, "SMTPNoServer"},
        BadMailCase{"no sender", [](CMailRequest& r) { r.senderAddress.clear(); }, "SMTPNoUserID"},
        BadMailCase{"bad sender", [](CMailRequest& r) { r.senderAddress = "me@"; }, "BadEmail"},
        BadMailCase{"no one", [](CMailRequest& r) { r.to.clear(); }, "SendAddrWarn"},
        BadMailCase{"injected recipient",
                    [](CMailRequest& r) { r.to.push_back({{}, "x@example.com>\r\nRCPT TO:<y@example.com"}); },
                    "BadEmail"},
        BadMailCase{"empty recipient", [](CMailRequest& r) { r.to.push_back({"Someone", {}}); }, "BadEmail"},
        BadMailCase{"injected name", [](CMailRequest& r) { r.to[0].name = "Ann\r\nBcc: z@example.com"; }, "BadEmail"},
        BadMailCase{"injected subject", [](CMailRequest& r) { r.subject = "Hi\r\nBcc: z@example.com"; },
                    "SMTPBadSubject"}),
    [](const auto& info) {
        std::string name = info.param.what;
        std::replace(name.begin(), name.end(), ' ', '_');
        return name;
    });

TEST_F(CollageShareMail, ARefusedRecipientFailsWithTheServersWordsAndLeavesNoFiles)
{
    const QStringList before = leftoverTransactions();
    CMailRequest request = mailTo(server, false);
    request.to.push_back({{}, "nobody@example.com"});
    const CShareResult result = share->send(request);
    EXPECT_FALSE(result.success);
    EXPECT_EQ(result.messageKey, "SMTPCantSend");
    EXPECT_TRUE(result.detail.contains("550")) << result.detail.toStdString();
    EXPECT_EQ(server.deliveredCount(), 0);
    EXPECT_EQ(leftoverTransactions(), before);
}

TEST_F(CollageShareMail, TheInvitationAndTheTestMessageArriveWithTheirAttributesIntact)
{
    const QStringList sites = {"http://www.example.com/albums/a.htm?x=1&y=2"};
    const CShareResult invited = ShareMail::sendInvitation(server.address(), {}, "me@example.com", "Ann <Smith>",
                                                           sites, {{"Bob", "bob@example.com"}}, &services->progress());
    ASSERT_TRUE(invited.success) << invited.detail.toStdString();
    EXPECT_EQ(invited.messageKey, "SMTPInviteOk");
    const QByteArray invitation = partDecoded(server.delivered(1), 0);
    EXPECT_EQ(invitation, ShareMail::invitationPage(sites, "Ann <Smith>").toUtf8());
    EXPECT_TRUE(invitation.contains("<A href=\"http://www.example.com/albums/a.htm?x=1&amp;y=2\">"));
    EXPECT_TRUE(invitation.contains("bgcolor=\"#eae8d9\""));
    EXPECT_TRUE(invitation.contains("<EM>Ann &lt;Smith&gt;</EM>"));
    EXPECT_EQ(server.delivered(1)["subject"].toString(), ShareText::kInvitationSubject);

    EXPECT_EQ(ShareMail::sendTestMessage(server.address(), {}, "me@example.com"), ShareMail::TestOutcome::Sent);
    const QJsonObject test = server.delivered(2);
    EXPECT_EQ(partDecoded(test, 0), ShareMail::testMessagePage(server.address(), "me@example.com").toUtf8());
    EXPECT_TRUE(partDecoded(test, 0).contains("color=\"#ff0000\">me@example.com<"));
    EXPECT_EQ(test["rcptTos"].toArray(), QJsonArray({"me@example.com"}));
    EXPECT_EQ(ShareMail::sendTestMessage(server.address(), {}, "nobody@example.com"), ShareMail::TestOutcome::Refused);
    EXPECT_EQ(ShareMail::sendTestMessage("127.0.0.1:1", {}, "me@example.com"), ShareMail::TestOutcome::NoConnection);
}

// --- Publishing to a folder

using CollageSharePublish = ShareFixture;

TEST_F(CollageSharePublish, PublishingTwiceAsksOnceAndReplacesTheFiles)
{
    const QString site = home.path() + "/site";
    const CShareResult first = share->publishToFolder({site, "Trip.htm", true});
    ASSERT_TRUE(first.success) << first.messageKey.toStdString();
    EXPECT_EQ(first.messageKey, "SMTPPublishSuccess");
    const QDir images(site + "/Trip_images");
    EXPECT_EQ(images.entryList(QDir::Files, QDir::Name),
              QStringList({"1.htm", "1.jpg", "2.htm", "2.jpg", "3.htm", "3.jpg", "Collage.jpg", "PrevNext.jpg"}));
    const QString page = QString::fromUtf8(fileBytes(site + "/Trip.htm"));
    EXPECT_TRUE(page.contains("src=\"Trip_images/Collage.jpg\""));
    EXPECT_TRUE(page.contains("href=\"Trip_images/2.htm\""));
    EXPECT_FALSE(page.contains("<imageDir/>"));
    EXPECT_TRUE(asked.isEmpty());

    QFile::remove(images.filePath("2.jpg"));
    ASSERT_TRUE(share->publishToFolder({site, "Trip.htm", true}).success);
    EXPECT_EQ(asked, QStringList({"SMTPOverwrite"})) << "asked once, not for every file";
    EXPECT_TRUE(images.exists("2.jpg"));
    EXPECT_EQ(CShareSettings::listOf(share->settings().diskFolders), QStringList({QDir::cleanPath(site)}));
    EXPECT_EQ(share->settings().diskFolder.get(), QDir::cleanPath(site));

    answer = MsgButton::Cancel;
    const CShareResult third = share->publishToFolder({site, "Trip.htm", false});
    EXPECT_TRUE(third.cancelled);
    EXPECT_TRUE(third.messageKey.isEmpty());
}

TEST_F(CollageSharePublish, LinksThatAreNoWebAddressesAreCountedAndLeftOut)
{
    EXPECT_EQ(share->droppedLinks(), 0);
    services->frames().frameAt(0)->setLink("javascript:alert(document.cookie)");
    EXPECT_EQ(share->droppedLinks(), 1);
    ASSERT_TRUE(share->preview(false, {}).success);
    EXPECT_FALSE(share->html().contains("javascript"));
    EXPECT_TRUE(share->html().contains("href=\"http://example.com/?a=1&amp;b=2\""));
}

TEST_F(CollageSharePublish, RefusesABadPageNameOrFolder)
{
    EXPECT_EQ(share->publishToFolder({home.path() + "/x", "Trip.txt", false}).messageKey, "SMTPPublishFolder");
    EXPECT_EQ(share->publishToFolder({home.path() + "/x", "a/b.htm", false}).messageKey, "SMTPPublishFolder");
    QFile blocker(home.path() + "/file");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_EQ(share->publishToFolder({home.path() + "/file/sub", "a.htm", false}).messageKey, "SMTPBadFolder");
}

TEST_F(CollageSharePublish, ThePublishedSiteWorksInABrowser)
{
    const QString site = home.path() + "/browsed";
    ASSERT_TRUE(share->publishToFolder({site, "Trip.htm", true}).success);
    QProcess clicker;
    clicker.start(QString::fromLatin1(kDebianPython),
                  {QStringLiteral(SHARING_TEST_SERVERS) + "/clicksite.py", site + "/Trip.htm", QString::number(kPhotos)});
    ASSERT_TRUE(clicker.waitForFinished(90000));
    const QByteArray report = clicker.readAllStandardOutput() + clicker.readAllStandardError();
    EXPECT_EQ(clicker.exitCode(), 0) << report.constData();
    EXPECT_TRUE(report.contains("ok   the collage image loads")) << report.constData();
}

TEST_F(CollageSharePublish, ThePreviewCarriesThePreviewTextAndItsImages)
{
    const CShareResult result = share->preview(true, "Hello & welcome");
    ASSERT_TRUE(result.success);
    const QString page = QString::fromUtf8(fileBytes(result.output));
    EXPECT_TRUE(page.contains(services->catalogue().text("HTMLPrevMsg")));
    EXPECT_TRUE(page.contains("Hello &amp; welcome"));
    EXPECT_TRUE(page.contains("src=\"Collage.jpg\""));
    for (const char* file : {"Collage.jpg", "1.jpg", "PrevNext.jpg"})
        EXPECT_TRUE(QFileInfo::exists(QDir(share->workingFolder()).filePath(file))) << file;
    EXPECT_EQ(QImage(QDir(share->workingFolder()).filePath("PrevNext.jpg")).size(), QSize(65, 20));
}

// --- Publishing to an FTP server

class CollageShareFtp : public ShareFixture
{
protected:
    void SetUp() override
    {
        ShareFixture::SetUp();
        const bool started = ftp.start("ftpserver.py", {root.path()});
        ASSERT_TRUE(started) << ftp.problem().toStdString();
    }
    CWebTarget target(const QString& user = "ann", const QString& password = "s3cret") const
    {
        CWebTarget result;
        result.server = QStringLiteral("ftp://127.0.0.1:%1/web").arg(ftp.port());
        result.folder = "albums/2026";
        result.user = user;
        result.password = password;
        result.pageName = "Trip.htm";
        result.includeOriginals = true;
        return result;
    }
    QTemporaryDir root;
    ServerProcess ftp;
};

TEST_F(CollageShareFtp, UploadsTheSiteIntoFoldersItMakesAndRemembersItsWebAddress)
{
    const CShareResult result = share->publishToWeb(target());
    ASSERT_TRUE(result.success) << result.messageKey.toStdString() << " " << result.detail.toStdString();
    EXPECT_EQ(result.output, "http://127.0.0.1/web/albums/2026/Trip.htm");
    const QDir remote(root.path() + "/ann/web/albums/2026");
    EXPECT_TRUE(remote.exists("Trip.htm"));
    EXPECT_EQ(QDir(remote.filePath("Trip_images")).entryList(QDir::Files).size(), 8);
    EXPECT_EQ(fileBytes(remote.filePath("Trip_images/3.htm")),
              fileBytes(QDir(share->workingFolder()).filePath("3.htm")));
    EXPECT_TRUE(asked.isEmpty());
    EXPECT_EQ(CShareSettings::listOf(share->settings().published), QStringList({result.output}));

    answer = MsgButton::No;
    const CShareResult again = share->publishToWeb(target());
    EXPECT_TRUE(again.cancelled);
    EXPECT_EQ(asked, QStringList({"SMTPWebFolderExists"}));
}

TEST_F(CollageShareFtp, ARefusedLoginOrFolderEndsWithItsMessage)
{
    EXPECT_EQ(share->publishToWeb(target("ann", "wrong")).messageKey, "SMTPBadServerLogin");
    EXPECT_EQ(share->publishToWeb(target("reader", "s3cret")).messageKey, "SMTPBadServerDir");
    CWebTarget nowhere = target();
    nowhere.server = "ftp://127.0.0.1:1/";
    EXPECT_EQ(share->publishToWeb(nowhere).messageKey, "SMTPBadServerLogin");
    nowhere.server = "sftp://127.0.0.1:1/";
    EXPECT_EQ(share->publishToWeb(nowhere).messageKey, "SMTPBadServerLogin");
}

TEST(CollageShareWeb, ServerTextsAndWebAddresses)
{
    EXPECT_EQ(CCollageShare::webAddress(QUrl("ftp://ftp.example.com"), {"albums"}, "page.htm"),
              "http://www.example.com/albums/page.htm");
    EXPECT_EQ(CCollageShare::webAddress(QUrl("ftp://example.com:21/x"), {}, "p.html"), "http://example.com/p.html");
    EXPECT_TRUE(CCollageShare::isPageName("A.HTML"));
    EXPECT_FALSE(CCollageShare::isPageName(".htm"));
}

TEST_F(CollageSharePublish, ServerTextsThatAreNoFtpAddressesAreRefused)
{
    CWebTarget target;
    target.pageName = "a.htm";
    for (const auto& [server, key] : {std::pair{"http://www.example.com/", "SMTPFtpOnlySupport"},
                                      std::pair{"ftp://", "SMTPNoServerName"}, std::pair{"not a url", "SMTPBadURL"},
                                      std::pair{"", "SMTPBadURL"}}) {
        target.server = server;
        EXPECT_EQ(share->publishToWeb(target).messageKey, key) << server;
    }
}
