#include "singleinstance.h"

#include <QCryptographicHash>
#include <QLocalServer>
#include <QLocalSocket>
#include <QtEndian>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

constexpr qsizetype kHeaderBytes = sizeof(quint32);
constexpr char kSeparator = '\0';
constexpr char kAcknowledgement = '\x06';
// Enough of the folder's hash to keep slot names apart; the socket path
// must stay short (sun_path is ~108 bytes).
constexpr qsizetype kFolderHashChars = 12;

QByteArray encode(const QStringList& arguments)
{
    QByteArray payload;
    for (const QString& argument : arguments) {
        payload += argument.toUtf8();
        payload += kSeparator;
    }
    QByteArray message(kHeaderBytes, Qt::Uninitialized);
    qToLittleEndian<quint32>(quint32(payload.size()), message.data());
    return message + payload;
}

// Each argument is terminated by a separator, so a payload that does not end
// with one is malformed. An empty payload is an empty command line.
bool decode(const QByteArray& payload, QStringList& arguments)
{
    arguments.clear();
    if (payload.isEmpty())
        return true;
    if (payload.back() != kSeparator)
        return false;
    const QList<QByteArray> parts = payload.left(payload.size() - 1).split(kSeparator);
    for (const QByteArray& part : parts)
        arguments << QString::fromUtf8(part);
    return true;
}

QString currentUser()
{
#ifdef Q_OS_UNIX
    return QString::number(::getuid());
#else
    return qEnvironmentVariable("USERNAME");
#endif
}

} // namespace

CSingleInstance::CSingleInstance(const QString& key, QObject* parent)
    : QObject(parent)
    , m_serverName(key)
{
}

CSingleInstance::~CSingleInstance() = default;

QString CSingleInstance::defaultKey(const QString& settingsFolder)
{
    const QByteArray folderHash =
        QCryptographicHash::hash(settingsFolder.toUtf8(), QCryptographicHash::Sha1).toHex();
    return QStringLiteral("Ombravelle-%1-%2")
        .arg(currentUser(), QString::fromLatin1(folderHash.left(kFolderHashChars)));
}

bool CSingleInstance::tryHandOver(const QStringList& arguments)
{
    QLocalSocket socket;
    socket.connectToServer(m_serverName);
    if (!socket.waitForConnected(kConnectTimeoutMs))
        return false;

    const QByteArray message = encode(arguments);
    if (message.size() - kHeaderBytes <= qsizetype(kMaxMessageBytes)) {
        socket.write(message);
        while (socket.bytesToWrite() > 0 && socket.waitForBytesWritten(kHandOverTimeoutMs)) {
        }
        // Waiting for the answer keeps this start alive until the first
        // instance has the command line, so nothing is lost when we exit.
        socket.waitForReadyRead(kHandOverTimeoutMs);
    }
    socket.disconnectFromServer();
    return true;
}

bool CSingleInstance::listen()
{
    if (isListening())
        return true;
    // Listening with restricted access binds elsewhere and renames the socket
    // over the name, so it would silently take the slot from a live instance:
    // ask first whether anyone answers.
    QLocalSocket probe;
    probe.connectToServer(m_serverName);
    if (probe.waitForConnected(kConnectTimeoutMs)) {
        probe.abort();
        return false;
    }
    // Nobody accepts on the name; a socket file there was left by a crash.
    QLocalServer::removeServer(m_serverName);

    delete m_server;
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_serverName))
        return false;
    connect(m_server, &QLocalServer::newConnection, this, &CSingleInstance::acceptConnections);
    return true;
}

bool CSingleInstance::isListening() const { return m_server && m_server->isListening(); }

void CSingleInstance::acceptConnections()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readFrom(socket); });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        // Data may have arrived together with the connection.
        readFrom(socket);
    }
}

void CSingleInstance::readFrom(QLocalSocket* socket)
{
    if (socket->bytesAvailable() < kHeaderBytes)
        return;
    const QByteArray header = socket->peek(kHeaderBytes);
    const quint32 length = qFromLittleEndian<quint32>(header.constData());
    if (length > kMaxMessageBytes) {
        socket->abort();
        return;
    }
    if (socket->bytesAvailable() < kHeaderBytes + qint64(length))
        return;
    socket->skip(kHeaderBytes);
    const QByteArray payload = socket->read(length);

    QStringList arguments;
    if (!decode(payload, arguments)) {
        socket->abort();
        return;
    }
    socket->write(&kAcknowledgement, 1);
    socket->flush();
    socket->disconnectFromServer();
    emit argumentsReceived(arguments);
}
