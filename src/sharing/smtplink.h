#pragma once
// One connection to the user's outgoing mail server, over TCP and, where the
// server offers it or the port asks for it, TLS. It delivers a composed
// message directly (the settings test message, the invitation) or replays
// a prepared transaction file with progress and cancel (the collage e-mail).
//
// On port 25 without an account that asks for more, the exchange is the
// plain one of old: greeting, HELO, MAIL FROM, RCPT TO, DATA, the end-of-data
// mark, and the socket closed without QUIT. On another port the client says
// EHLO, switches to TLS when the server offers STARTTLS, and authenticates
// with AUTH PLAIN or LOGIN when a user is given (only over TLS, so that no
// password ever crosses the network in the clear). Port 465 is TLS from the
// start.
//
// Every wait is bounded: the connect by the caller's time-out, each reply and
// each write by the reply time-out. The waits block the calling thread; only
// the replay's data phase lets the progress window's input through between
// blocks. User-interface thread (or any one thread) only.

#include <QByteArray>
#include <QList>
#include <QSslCertificate>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class CMailMessage;
class CMailSink;
class CProgress;
class QSslSocket;

// "host" (port 25), "host:port", "[v6-address]:port" or a bare IPv6 address.
struct CSmtpServer
{
    static constexpr quint16 kDefaultPort = 25;
    static constexpr quint16 kImplicitTlsPort = 465;

    QString host;
    quint16 port = kDefaultPort;

    static std::optional<CSmtpServer> parse(const QString& text);
};

enum class SmtpSecurity {
    // The classic exchange whatever the port: HELO, no TLS.
    None,
    // Port 25: plain HELO, as the classic exchange. Other ports: EHLO, and
    // STARTTLS when the server offers it. Port 465: TLS from the start.
    Automatic,
    // STARTTLS is required; a server that does not offer it fails.
    StartTls,
    // TLS from the start, whatever the port.
    Tls,
};

struct CSmtpOptions
{
    SmtpSecurity security = SmtpSecurity::Automatic;
    // Authenticates when not empty.
    QString user;
    QString password;
    // Trusted besides the system's certificate authorities.
    QList<QSslCertificate> extraCaCertificates;
};

class CSmtpLink
{
public:
    static constexpr int kConnectTimeoutMs = 10000;
    // How long a reply, or a write, may take before the server counts as
    // gone: long enough for a busy server to accept a large message, short
    // enough that a silent one does not hold the window for ever.
    static constexpr int kDefaultReplyTimeoutMs = 60000;
    static constexpr int kMaxHostNameBytes = 256;
    static constexpr int kBlockSize = 4096;
    // A reply longer than this is not a mail server talking.
    static constexpr int kMaxReplyBytes = 65536;
    static constexpr int kMaxAddressLength = 988;

    static constexpr const char* kValidatingText = "Validating recipients...";
    static constexpr const char* kSendingText = "Sending collage... (%1%)";
    static constexpr const char* kCompleteText = "Collage transmission complete... (100%)";

    enum class Error {
        None,
        AlreadyConnected,
        NotConnected,
        BadServer,      // the server text does not parse
        Connect,        // no address, refused, or the connect time-out
        Greeting,       // no 220
        Hello,          // HELO or EHLO refused
        Tls,            // STARTTLS missing or refused, or the handshake failed
        AuthNeedsTls,   // a user is given but the connection is not encrypted
        Auth,           // the server refused the user or password
        Sender,         // MAIL FROM refused
        Recipient,      // a RCPT TO refused, or an address too long
        Data,           // DATA or the end of data refused
        Timeout,        // no complete reply, or a write not taken, in time
        Closed,         // the server closed the connection
        Cancelled,      // the user cancelled the replay
        File,           // the transaction file cannot be read
    };

    explicit CSmtpLink(const CSmtpOptions& options = {});
    ~CSmtpLink();
    CSmtpLink(const CSmtpLink&) = delete;
    CSmtpLink& operator=(const CSmtpLink&) = delete;

    void setReplyTimeout(int milliseconds) { m_replyTimeoutMs = milliseconds; }
    // The name HELO and EHLO carry; the local host name unless set.
    void setHelloName(const QString& name) { m_helloName = name; }

    bool connect(const QString& server, int timeoutMs = kConnectTimeoutMs);
    bool isConnected() const;
    bool isEncrypted() const;

    // Direct delivery. Recipients and sender default to the message's own.
    bool sendMessage(const CMailMessage& message, const QStringList& recipients = {}, const QString& sender = {});
    // Replays a transaction file (see writeTransaction). A cancel ends the
    // data phase at once, without the end-of-data mark; the caller then
    // disconnects and the server drops the incomplete message.
    bool sendPreparedFile(const QString& path, CProgress* progress);
    bool reset();
    bool disconnect();

    Error lastError() const { return m_error; }
    // The server's last reply, whole, for messages.
    const QByteArray& lastReply() const { return m_lastReply; }

    // The transaction file: MAIL FROM, one RCPT TO per recipient, DATA, then
    // the message as it travels inside DATA.
    static bool writeTransaction(CMailSink& sink, const CMailMessage& message, const QString& sender = {});

    // Moves whole lines from the front of `received` to `reply` until the
    // reply's last line ("NNN " or "NNN" alone; "NNN-" goes on) and then
    // gives its code. Incomplete leaves the unfinished line in `received`;
    // Garbage is a line that does not start with three digits.
    enum class ReplyScan { Incomplete, Complete, Garbage };
    static ReplyScan scanReply(QByteArray& received, QByteArray& reply, int& code);
    // The mechanisms an EHLO reply (upper-cased) offers on its AUTH lines,
    // each with a blank on either side.
    static QByteArray authMechanisms(const QByteArray& capabilities);

private:
    bool fail(Error error);
    bool hello();
    bool startTls();
    bool authenticate(const QByteArray& mechanisms);
    bool writeAll(const QByteArray& bytes);
    // The code of the next whole reply (multi-line replies read to their
    // last line); none on a time-out, a closed connection or garbage.
    std::optional<int> readReply();
    std::optional<int> command(const QByteArray& line);
    bool expect(const QByteArray& line, int code, Error error);
    void closeSocket();

    CSmtpOptions m_options;
    std::unique_ptr<QSslSocket> m_socket;
    CSmtpServer m_server;
    QString m_helloName;
    QByteArray m_buffer;    // received, not yet consumed
    QByteArray m_lastReply;
    QByteArray m_capabilities; // the EHLO reply's lines
    int m_replyTimeoutMs = kDefaultReplyTimeoutMs;
    Error m_error = Error::None;

    friend class CSmtpSocketSink;
};
