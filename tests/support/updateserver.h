#pragma once
// The stand-in update service (updateserver.py: SOAP through python3-spyne,
// and patch downloads) as a real process on a free loopback port, with its
// state folder: what it answers, and what it received.
//
// Needs UPDATE_SERVER_SCRIPT and DEBIAN_PYTHON defined by the test's build.
// A missing python3-spyne fails the test with a message that says so.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

class UpdateServer
{
public:
    UpdateServer()
    {
        m_process.setProgram(DEBIAN_PYTHON);
        m_process.setArguments({UPDATE_SERVER_SCRIPT, m_state.path()});
        m_process.start();
        if (!m_process.waitForStarted(10000)) {
            ADD_FAILURE() << DEBIAN_PYTHON << " does not start: install python3 (scripts/install-deps)";
            return;
        }
        while (!m_process.canReadLine() && m_process.waitForReadyRead(15000)) {
        }
        const QByteArray line = m_process.readLine().trimmed();
        if (!line.startsWith("port ")) {
            m_process.waitForFinished(2000);
            const QByteArray err = m_process.readAllStandardError();
            ADD_FAILURE() << "the update server did not start"
                          << (err.contains("No module named 'spyne'")
                                  ? " (python3-spyne is missing: run scripts/install-deps)"
                                  : "")
                          << ": " << err.constData();
            return;
        }
        m_port = line.mid(5).toUShort();
    }

    ~UpdateServer()
    {
        m_process.kill();
        m_process.waitForFinished();
    }

    quint16 port() const { return m_port; }
    QString url(const QString& path = QStringLiteral("/ws4/service.asmx")) const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(m_port).arg(path);
    }
    QString downloadUrl(const QString& mode, const QString& name) const
    {
        return url(QStringLiteral("/download/%1/%2").arg(mode, name));
    }

    // What the service answers next: "mode" and the record's fields.
    void answer(const QJsonObject& answer) const { write("answer.json", QJsonDocument(answer).toJson()); }
    void addFile(const QString& name, const QByteArray& bytes) const { write("files/" + name, bytes); }

    // Every request received, byte for byte, in order.
    QList<QByteArray> requests() const
    {
        QList<QByteArray> all;
        const QDir folder(m_state.filePath("requests"));
        for (const QString& name : folder.entryList(QDir::Files, QDir::Name))
            all << read("requests/" + name);
        return all;
    }
    // The last record the service received: shBuild, bBytes (text), fUpdate.
    QJsonObject received() const { return QJsonDocument::fromJson(read("received.json")).object(); }
    int connections() const { return read("connections").toInt(); }

private:
    void write(const QString& name, const QByteArray& bytes) const
    {
        QFile file(m_state.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QByteArray read(const QString& name) const
    {
        QFile file(m_state.filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir m_state;
    QProcess m_process;
    quint16 m_port = 0;
};
