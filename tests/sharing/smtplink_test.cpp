// The SMTP client against a real mail server on loopback (aiosmtpd), and
// against the misbehaving servers of servers/smtpserver.py.
#include "mailaddress.h"
#include "mailmessage.h"
#include "progress.h"
#include "smtplink.h"
#include "smtptestsupport.h"

#include <QElapsedTimer>
#include <QSslCertificate>
#include <QTemporaryFile>

#include <gtest/gtest.h>

namespace {

QByteArray binaryData(int size)
{
    QByteArray data(size, Qt::Uninitialized);
    quint32 state = 12345;
    for (int i = 0; i < size; ++i) {
        state = state * 1103515245u + 12345u;
        data[i] = char(state >> 24);
    }
    return data;
}

// A page with what quoted-printable and SMTP must carry intact: "=" with two
// hex digits after it, lines beginning with ".", a long line, UTF-8 text,
// blanks before line ends.
QString trickyPage()
{
    return QString::fromUtf8("<html><body>\r\n<p style=\"x\">=41 =3D =C3 caf\xc3\xa9</p>  \r\n.\r\n"
                             ".starts with a dot\r\n..two dots\r\n")
        + QString(300, QLatin1Char('w')) + "\r\n</body></html>\r\n";
}

void composeSample(CMailMessage& message, const QByteArray& image)
{
    message.setSenderAddress("sender@example.com");
    message.setSubject(QString::fromUtf8("Caf\xc3\xa9 collage"));
    message.addRecipient(CMailMessage::List::To, "Smith, \"Ann\"", "ann@example.com");
    message.addRecipient(CMailMessage::List::To, QString::fromUtf8("Zo\xc3\xab <Z>"), "zoe@example.com");
    message.addRecipient(CMailMessage::List::Bcc, {}, "hidden@example.com");
    message.addHtmlText(trickyPage());
    message.attachData(image, "Collage.jpg", "image/jpeg");
    message.attachData(binaryData(5000), "raw.bin", "application/octet-stream", MailEncoding::QuotedPrintable);
    message.attachData(binaryData(3000), "old.bin", "application/octet-stream", MailEncoding::UUEncode);
}

class SmtpLinkTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_server = new MailServer;
        s_server->start({"--reject", "nobody@example.com"});
    }
    static void TearDownTestSuite()
    {
        delete s_server;
        s_server = nullptr;
    }
    void SetUp() override
    {
        if (s_server->port() == 0)
            GTEST_SKIP() << "no mail server (failed above)";
        m_before = s_server->deliveredCount();
    }

    static MailServer* s_server;
    int m_before = 0;
};

MailServer* SmtpLinkTest::s_server = nullptr;

TEST_F(SmtpLinkTest, DirectSendArrivesAsAMessageThePythonParserReadsBackExactly)
{
    const QByteArray image = binaryData(20000);
    CMailMessage message;
    composeSample(message, image);
    CSmtpLink link;
    link.setHelloName("tester");
    ASSERT_TRUE(link.connect(s_server->address()));
    ASSERT_TRUE(link.sendMessage(message)) << int(link.lastError()) << link.lastReply().constData();
    EXPECT_TRUE(link.disconnect());

    const QJsonObject summary = s_server->delivered(m_before + 1);
    ASSERT_FALSE(summary.isEmpty());
    EXPECT_EQ(summary["mailFrom"].toString(), "sender@example.com");
    EXPECT_EQ(summary["rcptTos"].toArray(), QJsonArray({"ann@example.com", "zoe@example.com", "hidden@example.com"}));
    EXPECT_EQ(summary["subject"].toString(), QString::fromUtf8("Caf\xc3\xa9 collage"));
    const QJsonArray to = summary["to"].toArray();
    ASSERT_EQ(to.size(), 2);
    EXPECT_EQ(to[0].toObject()["name"].toString(), "Smith, \"Ann\"");
    EXPECT_EQ(to[1].toObject()["name"].toString(), QString::fromUtf8("Zo\xc3\xab <Z>"));
    EXPECT_EQ(to[1].toObject()["address"].toString(), "zoe@example.com");
    EXPECT_TRUE(summary["defects"].toArray().isEmpty()) << QJsonDocument(summary["defects"].toArray()).toJson().constData();
    EXPECT_EQ(summary["contentType"].toString(), "multipart/related");

    const QJsonArray parts = summary["parts"].toArray();
    ASSERT_EQ(parts.size(), 4);
    EXPECT_EQ(parts[0].toObject()["charset"].toString(), "utf-8");
    EXPECT_EQ(partDecoded(summary, 0), trickyPage().toUtf8());
    EXPECT_EQ(parts[1].toObject()["contentId"].toString(), "<Collage.jpg>");
    EXPECT_EQ(partDecoded(summary, 1), image);
    EXPECT_EQ(partDecoded(summary, 2), binaryData(5000));
    EXPECT_EQ(partDecoded(summary, 3), binaryData(3000));
    for (const QJsonValue& part : parts)
        EXPECT_TRUE(part.toObject()["defects"].toArray().isEmpty());
}

TEST_F(SmtpLinkTest, TheClassicExchangeSaysHeloAndAReplayReportsProgressToTheEnd)
{
    CMailMessage message;
    composeSample(message, binaryData(100000));
    QTemporaryFile transaction;
    ASSERT_TRUE(transaction.open());
    CDeviceMailSink sink(transaction);
    ASSERT_TRUE(CSmtpLink::writeTransaction(sink, message));
    transaction.close();

    CSmtpOptions options;
    options.security = SmtpSecurity::None;
    CSmtpLink link(options);
    ASSERT_TRUE(link.connect(s_server->address()));
    CProgress progress;
    QStringList texts;
    QObject::connect(&progress, &CProgress::textChanged, [&](const QString& text) { texts << text; });
    ASSERT_TRUE(link.sendPreparedFile(transaction.fileName(), &progress)) << int(link.lastError());
    link.disconnect();
    EXPECT_EQ(texts.first(), CSmtpLink::kValidatingText);
    EXPECT_EQ(texts.last(), CSmtpLink::kCompleteText);
    EXPECT_TRUE(texts.contains("Sending collage... (100%)"));
    EXPECT_EQ(progress.position(), 100);
    const QJsonObject summary = s_server->delivered(m_before + 1);
    EXPECT_EQ(partDecoded(summary, 0), trickyPage().toUtf8());
    EXPECT_EQ(partDecoded(summary, 1), binaryData(100000));
}

TEST_F(SmtpLinkTest, CancellingDuringTheDataPhaseLeavesNothingDelivered)
{
    CMailMessage message;
    composeSample(message, binaryData(3000000));
    QTemporaryFile transaction;
    ASSERT_TRUE(transaction.open());
    CDeviceMailSink sink(transaction);
    ASSERT_TRUE(CSmtpLink::writeTransaction(sink, message));
    transaction.close();

    CSmtpLink link;
    ASSERT_TRUE(link.connect(s_server->address()));
    CProgress progress;
    QObject::connect(&progress, &CProgress::positionChanged, [&](int position) {
        if (position >= 20)
            progress.cancel();
    });
    EXPECT_FALSE(link.sendPreparedFile(transaction.fileName(), &progress));
    EXPECT_EQ(link.lastError(), CSmtpLink::Error::Cancelled);
    link.disconnect();

    // The server is still there and the next message is the only one it keeps.
    CMailMessage next;
    next.setSenderAddress("sender@example.com");
    next.addRecipient(CMailMessage::List::To, {}, "ann@example.com");
    next.addHtmlText("after the cancel");
    ASSERT_TRUE(link.connect(s_server->address()));
    ASSERT_TRUE(link.sendMessage(next));
    link.disconnect();
    EXPECT_EQ(partDecoded(s_server->delivered(m_before + 1), 0), "after the cancel");
    EXPECT_EQ(s_server->deliveredCount(), m_before + 1);
}

TEST_F(SmtpLinkTest, ARefusedRecipientEndsTheCommandPhaseWithAReset)
{
    CMailMessage message;
    message.setSenderAddress("sender@example.com");
    message.addRecipient(CMailMessage::List::To, {}, "ann@example.com");
    message.addRecipient(CMailMessage::List::To, {}, "nobody@example.com");
    message.addHtmlText("x");
    QTemporaryFile transaction;
    ASSERT_TRUE(transaction.open());
    CDeviceMailSink sink(transaction);
    ASSERT_TRUE(CSmtpLink::writeTransaction(sink, message));
    transaction.close();

    CSmtpLink link;
    ASSERT_TRUE(link.connect(s_server->address()));
    EXPECT_FALSE(link.sendPreparedFile(transaction.fileName(), nullptr));
    EXPECT_EQ(link.lastError(), CSmtpLink::Error::Recipient);
    EXPECT_TRUE(link.lastReply().startsWith("550"));
    EXPECT_TRUE(link.isConnected()) << "the reset keeps the connection";
    EXPECT_FALSE(link.sendMessage(message));
    EXPECT_EQ(link.lastError(), CSmtpLink::Error::Recipient);
    link.disconnect();
    EXPECT_EQ(s_server->deliveredCount(), m_before);
}

TEST_F(SmtpLinkTest, RecipientsOfATypedListEachGetTheirOwnCommand)
{
    CMailMessage message;
    message.setSenderAddress("sender@example.com");
    message.addHtmlText("x");
    CSmtpLink link;
    ASSERT_TRUE(link.connect(s_server->address()));
    ASSERT_TRUE(link.sendMessage(message, MailAddress::splitList("a@example.com, b@example.com;c@example.com")));
    link.disconnect();
    EXPECT_EQ(s_server->delivered(m_before + 1)["rcptTos"].toArray(),
              QJsonArray({"a@example.com", "b@example.com", "c@example.com"}));
}

TEST_F(SmtpLinkTest, ALinkConnectsOnceAndDisconnectsOnce)
{
    CSmtpLink link;
    EXPECT_FALSE(link.disconnect());
    ASSERT_TRUE(link.connect(s_server->address()));
    EXPECT_FALSE(link.connect(s_server->address()));
    EXPECT_EQ(link.lastError(), CSmtpLink::Error::AlreadyConnected);
    EXPECT_TRUE(link.reset());
    EXPECT_TRUE(link.disconnect());
    EXPECT_FALSE(link.isConnected());
}

struct BadServerCase
{
    const char* mode;
    CSmtpLink::Error connectError; // None: the connect succeeds
    CSmtpLink::Error sendError;
};

class MisbehavingServer : public ::testing::TestWithParam<BadServerCase> {};

TEST_P(MisbehavingServer, FailsWithTheMatchingErrorAndNeverHangs)
{
    MailServer server;
    ASSERT_TRUE(server.start({"--mode", GetParam().mode}));
    CSmtpLink link;
    link.setReplyTimeout(1500);
    QElapsedTimer clock;
    clock.start();
    const bool connected = link.connect(server.address());
    if (GetParam().connectError != CSmtpLink::Error::None) {
        EXPECT_FALSE(connected);
        EXPECT_EQ(link.lastError(), GetParam().connectError);
        EXPECT_FALSE(link.isConnected()) << "the socket is closed";
    } else {
        ASSERT_TRUE(connected);
        CMailMessage message;
        message.setSenderAddress("sender@example.com");
        message.addRecipient(CMailMessage::List::To, {}, "ann@example.com");
        message.addHtmlText(trickyPage().repeated(2000));
        EXPECT_FALSE(link.sendMessage(message));
        EXPECT_EQ(link.lastError(), GetParam().sendError);
    }
    EXPECT_LT(clock.elapsed(), 8000);
}

INSTANTIATE_TEST_SUITE_P(Modes, MisbehavingServer,
                         ::testing::Values(BadServerCase{"greet554", CSmtpLink::Error::Greeting, {}},
                                           BadServerCase{"silent", CSmtpLink::Error::Timeout, {}},
                                           BadServerCase{"close-in-data", CSmtpLink::Error::None,
                                                         CSmtpLink::Error::Closed}));

TEST(SmtpServerText, TakesPort25UnlessAnotherIsGiven)
{
    EXPECT_EQ(CSmtpServer::parse("mail.example.com")->port, 25);
    EXPECT_EQ(CSmtpServer::parse("mail.example.com:587")->port, 587);
    EXPECT_EQ(CSmtpServer::parse("[::1]:2525")->host, "::1");
    EXPECT_EQ(CSmtpServer::parse("::1")->port, 25);
    for (const char* bad : {"", "host:", "host:0", "host:70000", "[::1", "a b"})
        EXPECT_FALSE(CSmtpServer::parse(bad)) << bad;
}

// --- TLS and authentication

class SmtpTlsTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_certificate = new SelfSignedCertificate;
        if (!s_certificate->make())
            return;
        s_server = new MailServer;
        s_server->start({"--tls", s_certificate->certificate(), s_certificate->key(), "--auth", "ann:s3cret"});
    }
    static void TearDownTestSuite()
    {
        delete s_server;
        delete s_certificate;
        s_server = nullptr;
        s_certificate = nullptr;
    }
    void SetUp() override
    {
        if (!s_server || s_server->port() == 0)
            GTEST_SKIP() << "no TLS mail server (failed above)";
    }

    static CSmtpOptions options(const QString& user, const QString& password, bool trust = true)
    {
        CSmtpOptions result;
        result.user = user;
        result.password = password;
        if (trust)
            result.extraCaCertificates = QSslCertificate::fromPath(s_certificate->certificate());
        return result;
    }

    static bool send(CSmtpLink& link, const QString& server)
    {
        CMailMessage message;
        message.setSenderAddress("ann@example.com");
        message.addRecipient(CMailMessage::List::To, {}, "bob@example.com");
        message.addHtmlText("over TLS");
        const bool sent = link.connect(server) && link.sendMessage(message);
        link.disconnect();
        return sent;
    }

    static SelfSignedCertificate* s_certificate;
    static MailServer* s_server;
};

SelfSignedCertificate* SmtpTlsTest::s_certificate = nullptr;
MailServer* SmtpTlsTest::s_server = nullptr;

TEST_F(SmtpTlsTest, StartTlsThenAuthPlainDelivers)
{
    const int before = s_server->deliveredCount();
    CSmtpLink link(options("ann", "s3cret"));
    ASSERT_TRUE(send(link, s_server->address())) << int(link.lastError()) << link.lastReply().constData();
    const QJsonObject summary = s_server->delivered(before + 1);
    EXPECT_TRUE(summary["tls"].toBool());
    EXPECT_TRUE(summary["authenticated"].toBool());
    EXPECT_EQ(partDecoded(summary, 0), "over TLS");
}

TEST_F(SmtpTlsTest, FailuresSayWhatWentWrong)
{
    {
        CSmtpLink link(options("ann", "wrong"));
        EXPECT_FALSE(send(link, s_server->address()));
        EXPECT_EQ(link.lastError(), CSmtpLink::Error::Auth);
    }
    {
        CSmtpLink link(options("ann", "s3cret", false));
        EXPECT_FALSE(send(link, s_server->address()));
        EXPECT_EQ(link.lastError(), CSmtpLink::Error::Tls) << "a certificate nobody vouches for";
    }
    {
        CSmtpLink link(options({}, {}));
        EXPECT_FALSE(send(link, s_server->address()));
        EXPECT_EQ(link.lastError(), CSmtpLink::Error::Sender) << "the server wants a user";
    }
}

TEST_F(SmtpTlsTest, APasswordIsNeverSentOverAPlainConnection)
{
    MailServer plain;
    ASSERT_TRUE(plain.start());
    CSmtpLink link(options("ann", "s3cret"));
    EXPECT_FALSE(send(link, plain.address()));
    EXPECT_EQ(link.lastError(), CSmtpLink::Error::AuthNeedsTls);
}

TEST_F(SmtpTlsTest, ImplicitTlsFromTheFirstByte)
{
    MailServer implicit;
    ASSERT_TRUE(implicit.start({"--tls", s_certificate->certificate(), s_certificate->key(), "--implicit-tls"}));
    CSmtpOptions tls = options({}, {});
    tls.security = SmtpSecurity::Tls;
    CSmtpLink link(tls);
    ASSERT_TRUE(link.connect(implicit.address())) << int(link.lastError());
    EXPECT_TRUE(link.isEncrypted());
    link.disconnect();
    ASSERT_TRUE(send(link, implicit.address())) << int(link.lastError());
    EXPECT_EQ(partDecoded(implicit.delivered(1), 0), "over TLS");
}

} // namespace

// Replies as they come off the socket, in any pieces: a reply is taken only
// when its last line is whole, and a line without a code ends the talk.
TEST(SmtpReplyScan, TakesWholeRepliesWhateverPiecesTheyArriveIn)
{
    const QByteArray stream = "250-mail.example\r\n250-AUTH PLAIN\r\n250 SIZE\r\n354\n220 ready\r\nno code\r\n";
    for (qsizetype piece : {1, 2, 7, 1000}) {
        QByteArray received, reply;
        QList<int> codes;
        QList<QByteArray> replies;
        bool garbage = false;
        for (qsizetype at = 0; at < stream.size() && !garbage; at += piece) {
            received += stream.mid(at, piece);
            int code = 0;
            CSmtpLink::ReplyScan scan;
            while ((scan = CSmtpLink::scanReply(received, reply, code)) == CSmtpLink::ReplyScan::Complete) {
                codes << code;
                replies << reply;
                reply.clear();
            }
            garbage = scan == CSmtpLink::ReplyScan::Garbage;
        }
        EXPECT_EQ(codes, QList<int>({250, 354, 220})) << piece;
        EXPECT_TRUE(garbage) << piece;
        ASSERT_EQ(replies.size(), 3);
        EXPECT_EQ(replies[0], "250-mail.example\r\n250-AUTH PLAIN\r\n250 SIZE\r\n");
        EXPECT_EQ(CSmtpLink::authMechanisms(replies[0].toUpper()), " PLAIN ");
    }
}
