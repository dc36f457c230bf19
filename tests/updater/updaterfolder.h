#pragma once
// A program folder for the updater, with a stand-in editor: "collage" is a
// shell script that writes its name into "started" when it runs, so a test
// sees which build the updater started, and when.

#include <QByteArray>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

struct UpdaterRun
{
    int exitCode = -1;
    QByteArray err;
};

class UpdaterFolder
{
public:
    static constexpr int kStartedTimeoutMs = 5000;

    UpdaterFolder() { EXPECT_TRUE(m_dir.isValid()); }

    QString path(const QString& name) const { return m_dir.filePath(name); }

    // A script that records `label` in "started" when run; `extra` runs after.
    static QByteArray program(const QByteArray& label, const QByteArray& extra = {})
    {
        return "#!/bin/sh\necho " + label + " >> started\n" + extra;
    }

    void write(const QString& name, const QByteArray& bytes, bool executable = false) const
    {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        QFile::Permissions mode = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther;
        if (executable)
            mode |= QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther;
        file.setPermissions(mode);
    }

    QByteArray read(const QString& name) const
    {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    bool exists(const QString& name) const { return QFile::exists(path(name)); }

    void installOldProgram() const { write("collage", program("old"), true); }

    // The updater run in this folder with one argument, as the editor starts it.
    UpdaterRun run(const QString& commandLine, int timeoutMs = 60000) const
    {
        return runWith({commandLine}, timeoutMs);
    }

    UpdaterRun runWith(const QStringList& arguments, int timeoutMs = 60000) const
    {
        QProcess updater;
        updater.setWorkingDirectory(m_dir.path());
        updater.start(UPDATER_BINARY, arguments);
        EXPECT_TRUE(updater.waitForFinished(timeoutMs));
        return {updater.exitCode(), updater.readAllStandardError()};
    }

    // The labels of the programs started so far, once `count` have started
    // (or when the time is up).
    QList<QByteArray> started(int count = 1) const
    {
        QDeadlineTimer deadline(kStartedTimeoutMs);
        QList<QByteArray> labels;
        do {
            labels = read("started").split('\n');
            labels.removeAll(QByteArray());
            if (labels.size() >= count)
                break;
            QThread::msleep(20);
        } while (!deadline.hasExpired());
        return labels;
    }

private:
    QTemporaryDir m_dir;
};
