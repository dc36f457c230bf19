#pragma once
// A test server on loopback, run as a real process from tests/sharing/servers:
// started with its arguments, ready once it prints "READY <port>", stopped
// when the object goes (its standard input is closed, then it is killed).
// The servers are Python scripts run by Debian's interpreter, so that they
// find Debian's python3-aiosmtpd and python3-pyftpdlib.

#include <QProcess>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

inline constexpr const char* kDebianPython = "/usr/bin/python3";

class ServerProcess
{
public:
    ServerProcess() = default;
    ~ServerProcess() { stop(); }
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    // Starts servers/<script> with the arguments; false (with the server's
    // own words in `problem`) when it does not come up within 20 seconds.
    bool start(const QString& script, const QStringList& arguments)
    {
        m_process.setProgram(QString::fromLatin1(kDebianPython));
        m_process.setArguments(QStringList{QStringLiteral(SHARING_TEST_SERVERS) + "/" + script} + arguments);
        m_process.setProcessChannelMode(QProcess::SeparateChannels);
        m_process.start();
        if (!m_process.waitForStarted(10000)) {
            m_problem = "cannot start " + QString::fromLatin1(kDebianPython);
            return false;
        }
        QByteArray seen;
        for (int i = 0; i < 200; ++i) {
            if (m_process.canReadLine() || m_process.waitForReadyRead(100)) {
                while (m_process.canReadLine()) {
                    const QByteArray line = m_process.readLine().trimmed();
                    if (line.startsWith("READY ")) {
                        m_port = line.mid(6).toUShort();
                        return true;
                    }
                    seen += line + "\n";
                }
            }
            if (m_process.state() == QProcess::NotRunning)
                break;
        }
        m_problem = QString::fromUtf8(seen + m_process.readAllStandardError());
        return false;
    }

    void stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished(2000);
        }
    }

    quint16 port() const { return m_port; }
    const QString& problem() const { return m_problem; }

private:
    QProcess m_process;
    quint16 m_port = 0;
    QString m_problem;
};
