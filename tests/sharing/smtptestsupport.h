#pragma once
// What the SMTP tests share: the loopback mail server of servers/smtpserver.py,
// the messages it received as Python's email package parsed them, and a
// throwaway self-signed certificate for the TLS cases.

#include "serverprocess.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

class MailServer
{
public:
    // Fails the calling test when the server does not come up.
    bool start(const QStringList& options = {})
    {
        const bool started = m_server.start("smtpserver.py", QStringList{m_outbox.path()} + options);
        EXPECT_TRUE(started) << m_server.problem().toStdString();
        return started;
    }

    QString address() const { return QStringLiteral("127.0.0.1:%1").arg(m_server.port()); }
    quint16 port() const { return m_server.port(); }

    // The summaries of the messages delivered so far.
    int deliveredCount() const
    {
        return int(QDir(m_outbox.path()).entryList({"*.json"}, QDir::Files).size());
    }
    // Waits up to 10 s for message `number` (1-based) and returns its summary.
    QJsonObject delivered(int number) const
    {
        QElapsedTimer clock;
        clock.start();
        QFile file(QDir(m_outbox.path()).filePath(QStringLiteral("%1.json").arg(number)));
        while (!file.exists() && clock.elapsed() < 10000)
            QThread::msleep(20);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QJsonDocument::fromJson(file.readAll()).object();
    }
    QByteArray rawMessage(int number) const
    {
        QFile file(QDir(m_outbox.path()).filePath(QStringLiteral("%1.eml").arg(number)));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private:
    QTemporaryDir m_outbox;
    ServerProcess m_server;
};

// A certificate for 127.0.0.1 and localhost and its key, made with openssl.
struct SelfSignedCertificate
{
    QTemporaryDir dir;
    QString certificate() const { return dir.filePath("cert.pem"); }
    QString key() const { return dir.filePath("key.pem"); }

    bool make()
    {
        QProcess openssl;
        openssl.start("openssl", {"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
                                  "-nodes", "-keyout", key(), "-out", certificate(), "-days", "2", "-subj",
                                  "/CN=localhost", "-addext", "subjectAltName=IP:127.0.0.1,DNS:localhost"});
        const bool done = openssl.waitForFinished(30000) && openssl.exitCode() == 0;
        EXPECT_TRUE(done) << "openssl could not make a certificate (Debian package openssl): "
                          << openssl.readAllStandardError().toStdString();
        return done;
    }
};

inline QByteArray partDecoded(const QJsonObject& summary, int index)
{
    return QByteArray::fromBase64(summary["parts"].toArray()[index].toObject()["decoded"].toString().toLatin1());
}
