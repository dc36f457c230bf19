#include "smtplink.h"

#include "mailaddress.h"
#include "mailmessage.h"
#include "progress.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QHostAddress>
#include <QHostInfo>
#include <QSslConfiguration>
#include <QSslSocket>

namespace {

constexpr int kReplyReady = 220;
constexpr int kReplyOk = 250;
constexpr int kReplyForwarding = 251;
constexpr int kReplyStartData = 354;
constexpr int kReplyAuthenticated = 235;
constexpr int kReplyAuthContinue = 334;

bool isAccepted(std::optional<int> code)
{
    return code && (*code == kReplyOk || *code == kReplyForwarding);
}

} // namespace

std::optional<CSmtpServer> CSmtpServer::parse(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    CSmtpServer server;
    QString portText;
    bool hasPort = false;
    if (trimmed.startsWith(QLatin1Char('['))) {
        const qsizetype close = trimmed.indexOf(QLatin1Char(']'));
        if (close < 0)
            return std::nullopt;
        server.host = trimmed.mid(1, close - 1);
        const QString rest = trimmed.mid(close + 1);
        if (!rest.isEmpty()) {
            if (!rest.startsWith(QLatin1Char(':')))
                return std::nullopt;
            portText = rest.mid(1);
            hasPort = true;
        }
    } else if (trimmed.count(QLatin1Char(':')) == 1) {
        server.host = trimmed.section(QLatin1Char(':'), 0, 0);
        portText = trimmed.section(QLatin1Char(':'), 1);
        hasPort = true;
    } else {
        server.host = trimmed; // a name, or an IPv6 address without a port
    }
    if (server.host.isEmpty() || server.host.contains(QLatin1Char(' ')))
        return std::nullopt;
    if (hasPort) {
        bool ok = false;
        const uint port = portText.toUInt(&ok);
        if (!ok || port == 0 || port > 65535)
            return std::nullopt;
        server.port = quint16(port);
    }
    return server;
}

// Writes a message straight onto the connection.
class CSmtpSocketSink : public CMailSink
{
public:
    explicit CSmtpSocketSink(CSmtpLink& link) : m_link(link) {}
    bool write(const QByteArray& bytes) override { return m_link.writeAll(bytes); }

private:
    CSmtpLink& m_link;
};

CSmtpLink::CSmtpLink(const CSmtpOptions& options)
    : m_options(options)
{
}

CSmtpLink::~CSmtpLink()
{
    closeSocket();
}

bool CSmtpLink::fail(Error error)
{
    m_error = error;
    return false;
}

bool CSmtpLink::isConnected() const
{
    return m_socket && m_socket->state() == QAbstractSocket::ConnectedState;
}

bool CSmtpLink::isEncrypted() const
{
    return m_socket && m_socket->isEncrypted();
}

bool CSmtpLink::connect(const QString& serverText, int timeoutMs)
{
    if (m_socket)
        return fail(Error::AlreadyConnected);
    const std::optional<CSmtpServer> server = CSmtpServer::parse(serverText);
    if (!server)
        return fail(Error::BadServer);
    m_server = *server;
    m_error = Error::None;
    m_lastReply.clear();
    m_buffer.clear();
    m_capabilities.clear();

    m_socket = std::make_unique<QSslSocket>();
    QSslConfiguration tls = m_socket->sslConfiguration();
    if (!m_options.extraCaCertificates.isEmpty())
        tls.addCaCertificates(m_options.extraCaCertificates);
    m_socket->setSslConfiguration(tls);
    m_socket->setPeerVerifyName(m_server.host);

    const bool implicitTls = m_options.security == SmtpSecurity::Tls
        || (m_options.security == SmtpSecurity::Automatic && m_server.port == CSmtpServer::kImplicitTlsPort);
    if (implicitTls) {
        m_socket->connectToHostEncrypted(m_server.host, m_server.port);
        if (!m_socket->waitForEncrypted(timeoutMs)) {
            const bool reached = m_socket->state() == QAbstractSocket::ConnectedState;
            closeSocket();
            return fail(reached ? Error::Tls : Error::Connect);
        }
    } else {
        m_socket->connectToHost(m_server.host, m_server.port);
        if (!m_socket->waitForConnected(timeoutMs)) {
            closeSocket();
            return fail(Error::Connect);
        }
    }
    if (!expect({}, kReplyReady, Error::Greeting) || !hello()) {
        const Error error = m_error;
        closeSocket();
        return fail(error);
    }
    return true;
}

bool CSmtpLink::hello()
{
    QString name = m_helloName.isEmpty() ? QHostInfo::localHostName() : m_helloName;
    QByteArray nameBytes = name.toUtf8().left(kMaxHostNameBytes);
    if (nameBytes.isEmpty())
        nameBytes = "localhost";

    const bool classic = m_options.user.isEmpty() && !isEncrypted()
        && (m_options.security == SmtpSecurity::None
            || (m_options.security == SmtpSecurity::Automatic && m_server.port == CSmtpServer::kDefaultPort));
    if (classic)
        return expect("HELO " + nameBytes + "\r\n", kReplyOk, Error::Hello);

    std::optional<int> code = command("EHLO " + nameBytes + "\r\n");
    if (!code)
        return false;
    if (*code != kReplyOk) {
        // An old server without extensions: fine as long as nothing more
        // than the classic exchange is asked of it.
        if (m_options.security == SmtpSecurity::Automatic && m_options.user.isEmpty() && !isEncrypted())
            return expect("HELO " + nameBytes + "\r\n", kReplyOk, Error::Hello);
        return fail(Error::Hello);
    }
    m_capabilities = m_lastReply.toUpper();
    const bool offersTls = m_capabilities.contains("STARTTLS");
    if (!isEncrypted() && m_options.security != SmtpSecurity::None
        && (m_options.security == SmtpSecurity::StartTls || offersTls)) {
        if (!offersTls || !startTls())
            return fail(Error::Tls);
        if (!expect("EHLO " + nameBytes + "\r\n", kReplyOk, Error::Hello))
            return false;
        m_capabilities = m_lastReply.toUpper();
    }
    if (m_options.user.isEmpty())
        return true;
    if (!isEncrypted())
        return fail(Error::AuthNeedsTls);
    return authenticate(authMechanisms(m_capabilities));
}

QByteArray CSmtpLink::authMechanisms(const QByteArray& capabilities)
{
    QByteArray mechanisms;
    for (const QByteArray& line : capabilities.split('\n')) {
        const QByteArray text = line.mid(4).trimmed();
        if (text.startsWith("AUTH ") || text.startsWith("AUTH="))
            mechanisms += ' ' + text.mid(5) + ' ';
    }
    return mechanisms;
}

CSmtpLink::ReplyScan CSmtpLink::scanReply(QByteArray& received, QByteArray& reply, int& code)
{
    qsizetype end;
    while ((end = received.indexOf('\n')) >= 0) {
        const QByteArray line = received.left(end + 1);
        received.remove(0, end + 1);
        reply += line;
        const QByteArray text = line.trimmed();
        bool numeric = text.size() >= 3;
        for (int i = 0; numeric && i < 3; ++i)
            numeric = text[i] >= '0' && text[i] <= '9';
        if (!numeric)
            return ReplyScan::Garbage;
        if (text.size() == 3 || text[3] != '-') {
            code = text.left(3).toInt();
            return ReplyScan::Complete;
        }
    }
    return ReplyScan::Incomplete;
}

bool CSmtpLink::startTls()
{
    if (!expect("STARTTLS\r\n", kReplyReady, Error::Tls))
        return false;
    // Whatever came before the handshake is not to be trusted.
    m_buffer.clear();
    m_socket->startClientEncryption();
    if (!m_socket->waitForEncrypted(m_replyTimeoutMs))
        return fail(Error::Tls);
    return true;
}

bool CSmtpLink::authenticate(const QByteArray& mechanisms)
{
    const QByteArray user = m_options.user.toUtf8();
    const QByteArray password = m_options.password.toUtf8();
    if (mechanisms.contains(" PLAIN ")) {
        const QByteArray token = (QByteArray(1, '\0') + user + QByteArray(1, '\0') + password).toBase64();
        return expect("AUTH PLAIN " + token + "\r\n", kReplyAuthenticated, Error::Auth);
    }
    if (mechanisms.contains(" LOGIN ")) {
        return expect("AUTH LOGIN\r\n", kReplyAuthContinue, Error::Auth)
            && expect(user.toBase64() + "\r\n", kReplyAuthContinue, Error::Auth)
            && expect(password.toBase64() + "\r\n", kReplyAuthenticated, Error::Auth);
    }
    return fail(Error::Auth);
}

bool CSmtpLink::writeAll(const QByteArray& bytes)
{
    if (!isConnected())
        return fail(Error::Closed);
    if (m_socket->write(bytes) != bytes.size())
        return fail(Error::Closed);
    while (m_socket->bytesToWrite() > 0 || m_socket->encryptedBytesToWrite() > 0) {
        if (!m_socket->waitForBytesWritten(m_replyTimeoutMs))
            return fail(isConnected() ? Error::Timeout : Error::Closed);
    }
    return true;
}

std::optional<int> CSmtpLink::readReply()
{
    m_lastReply.clear();
    const QDeadlineTimer deadline(m_replyTimeoutMs);
    while (true) {
        if (m_socket)
            m_buffer += m_socket->readAll();
        int code = 0;
        switch (scanReply(m_buffer, m_lastReply, code)) {
        case ReplyScan::Complete:
            return code;
        case ReplyScan::Garbage:
            fail(Error::Closed);
            return std::nullopt;
        case ReplyScan::Incomplete:
            break;
        }
        if (m_lastReply.size() + m_buffer.size() > kMaxReplyBytes || !isConnected()) {
            fail(Error::Closed);
            return std::nullopt;
        }
        if (deadline.hasExpired() || !m_socket->waitForReadyRead(int(deadline.remainingTime()))) {
            if (m_socket->bytesAvailable() > 0)
                continue;
            fail(isConnected() ? Error::Timeout : Error::Closed);
            return std::nullopt;
        }
    }
}

std::optional<int> CSmtpLink::command(const QByteArray& line)
{
    if (!line.isEmpty() && !writeAll(line))
        return std::nullopt;
    return readReply();
}

bool CSmtpLink::expect(const QByteArray& line, int code, Error error)
{
    const std::optional<int> reply = command(line);
    if (!reply)
        return false;
    return *reply == code ? true : fail(error);
}

bool CSmtpLink::sendMessage(const CMailMessage& message, const QStringList& recipients, const QString& sender)
{
    if (!isConnected())
        return fail(Error::NotConnected);
    const QString from = sender.isEmpty() ? message.senderAddress() : sender;
    if (!MailAddress::isWellFormed(from))
        return fail(Error::Sender);
    if (!expect("MAIL FROM:<" + from.toUtf8() + ">\r\n", kReplyOk, Error::Sender))
        return false;

    auto failWithReset = [this](Error error) {
        const QByteArray reply = m_lastReply;
        reset();
        m_lastReply = reply;
        return fail(error);
    };
    const QStringList to = recipients.isEmpty() ? message.allRecipients() : recipients;
    for (const QString& address : to) {
        if (address.size() > kMaxAddressLength || !MailAddress::isWellFormed(address))
            return failWithReset(Error::Recipient);
        const std::optional<int> code = command("RCPT TO:<" + address.toUtf8() + ">\r\n");
        if (!code)
            return false;
        if (!isAccepted(code))
            return failWithReset(Error::Recipient);
    }
    const std::optional<int> data = command("DATA\r\n");
    if (!data)
        return false;
    if (*data != kReplyStartData)
        return failWithReset(Error::Data);

    CSmtpSocketSink sink(*this);
    if (!message.write(sink, MailWriteSmtp))
        return m_error == Error::None ? fail(Error::Data) : false;
    return expect("\r\n.\r\n", kReplyOk, Error::Data);
}

bool CSmtpLink::sendPreparedFile(const QString& path, CProgress* progress)
{
    if (!isConnected())
        return fail(Error::NotConnected);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(Error::File);
    const qint64 size = file.size();
    if (progress)
        progress->setText(QString::fromLatin1(kValidatingText));

    // Command phase: each line sent as it stands, each reply read whole.
    std::optional<int> code;
    QByteArray line;
    while (true) {
        line = file.readLine(kBlockSize);
        if (line.isEmpty())
            break;
        code = command(line);
        if (!code)
            return false;
        if (!isAccepted(code))
            break;
    }
    if (!code || *code != kReplyStartData) {
        const Error error = line.startsWith("MAIL") ? Error::Sender
            : line.startsWith("RCPT")              ? Error::Recipient
                                                   : Error::Data;
        const QByteArray reply = m_lastReply;
        reset();
        m_lastReply = reply;
        return fail(error);
    }

    // Data phase: the rest of the file in blocks, with progress and cancel.
    if (progress)
        progress->setRange(0, 100);
    while (!file.atEnd()) {
        const QByteArray block = file.read(kBlockSize);
        if (block.isEmpty())
            return fail(Error::File);
        if (!writeAll(block))
            return false;
        if (progress) {
            const int percent = size > 0 ? int(file.pos() * 100 / size) : 100;
            progress->setText(QString::fromLatin1(kSendingText).arg(percent));
            progress->setPosition(percent);
            if (!progress->step(0))
                return fail(Error::Cancelled);
        }
    }
    if (progress)
        progress->setText(QString::fromLatin1(kCompleteText));
    return expect("\r\n.\r\n", kReplyOk, Error::Data);
}

bool CSmtpLink::reset()
{
    if (!isConnected())
        return fail(Error::NotConnected);
    if (!expect("RSET\r\n", kReplyOk, Error::Data)) {
        const Error error = m_error;
        disconnect();
        return fail(error);
    }
    return true;
}

bool CSmtpLink::disconnect()
{
    if (!m_socket)
        return false;
    closeSocket();
    return true;
}

void CSmtpLink::closeSocket()
{
    if (m_socket) {
        m_socket->abort();
        m_socket.reset();
    }
    m_buffer.clear();
    m_capabilities.clear();
}

bool CSmtpLink::writeTransaction(CMailSink& sink, const CMailMessage& message, const QString& sender)
{
    const QString from = sender.isEmpty() ? message.senderAddress() : sender;
    if (!MailAddress::isWellFormed(from))
        return false;
    QByteArray commands = "MAIL FROM:<" + from.toUtf8() + ">\r\n";
    for (const QString& address : message.allRecipients())
        commands += "RCPT TO:<" + address.toUtf8() + ">\r\n";
    commands += "DATA\r\n";
    return sink.write(commands) && message.write(sink, MailWriteSmtp);
}
