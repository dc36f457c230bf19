#pragma once
// Keeps one running editor per user. The first start listens on a local
// socket; a later start connects to it, hands over its command line and
// ends, and the first one comes to the front. A socket file left behind by
// a crashed instance is recognised (nobody answers on it) and replaced.
//
// Hand-over wire format, one message per connection: a u32 little-endian
// byte length, then the arguments as UTF-8 separated by NUL bytes (a
// command-line argument can never hold NUL). The receiver answers with one
// acknowledgement byte once it has taken the message.

#include <QObject>
#include <QString>
#include <QStringList>

class QLocalServer;
class QLocalSocket;

class CSingleInstance : public QObject
{
    Q_OBJECT

public:
    // Longest message accepted; anything larger is not a command line.
    static constexpr quint32 kMaxMessageBytes = 256 * 1024;
    static constexpr int kConnectTimeoutMs = 1000;
    static constexpr int kHandOverTimeoutMs = 5000;

    // `key` names the slot; instances with the same key are "the same
    // program". See defaultKey().
    explicit CSingleInstance(const QString& key, QObject* parent = nullptr);
    ~CSingleInstance() override;

    // The program's key: per user, and per settings folder, so a run with a
    // private XDG_CONFIG_HOME (tests, scripts) is a separate program.
    static QString defaultKey(const QString& settingsFolder);

    // True when a live first instance accepted the connection: the
    // arguments were sent and this start should end. Waits for the first
    // instance's acknowledgement up to kHandOverTimeoutMs, but a live
    // instance that is slow to answer still counts as present.
    bool tryHandOver(const QStringList& arguments);

    // Claims the slot. A stale socket file (nobody accepts on it) is removed
    // and the listen retried. False when another live instance holds it or
    // the socket cannot be created.
    bool listen();
    bool isListening() const;

    const QString& serverName() const { return m_serverName; }

signals:
    // A later start handed over its command line (program name excluded).
    void argumentsReceived(const QStringList& arguments);

private:
    void acceptConnections();
    void readFrom(QLocalSocket* socket);

    QString m_serverName;
    QLocalServer* m_server = nullptr;
};
