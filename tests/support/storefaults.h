#pragma once
// The ways a thumbnail store goes bad on a user's disk, made for real: a
// file of garbage, a file another process holds, a folder that cannot be
// written (read-only even for root: the immutable attribute stands in for
// a read-only disk there).

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QString>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace StoreFaults {

enum class Fault { Corrupt, Locked, ReadOnly };

inline const char* name(Fault fault)
{
    switch (fault) {
    case Fault::Corrupt: return "Corrupt";
    case Fault::Locked: return "Locked";
    case Fault::ReadOnly: return "ReadOnly";
    }
    return "?";
}

inline void writeGarbage(const QString& path)
{
    QByteArray bytes(64 * 1024, Qt::Uninitialized);
    QRandomGenerator random(1234);
    for (char& c : bytes)
        c = char(random.generate());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Another process holding the store, through the test helper program.
class Locker
{
public:
    Locker(const QString& helper, const QString& file)
    {
        m_process.start(helper, {"lock", file});
        m_locked = m_process.waitForReadyRead(10000) && m_process.readLine().trimmed() == "locked";
    }
    ~Locker()
    {
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(10000))
            m_process.kill();
    }
    bool locked() const { return m_locked; }

private:
    QProcess m_process;
    bool m_locked = false;
};

// A path nothing may be created in, deleted from or written to.
class ReadOnly
{
public:
    explicit ReadOnly(const QStringList& paths)
    {
        for (const QString& path : paths) {
            if (!setImmutable(path, true) && ::chmod(QFile::encodeName(path).constData(), 0555) != 0)
                return;
            m_paths << path;
        }
        // Root ignores modes; where the attribute is missing nothing is read-only.
        m_ok = ::geteuid() != 0 || m_immutable;
    }
    ~ReadOnly()
    {
        for (const QString& path : m_paths) {
            if (m_immutable)
                setImmutable(path, false);
            else
                ::chmod(QFile::encodeName(path).constData(), 0755);
        }
    }
    bool ok() const { return m_ok; }

private:
    bool setImmutable(const QString& path, bool on)
    {
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK);
        if (fd < 0)
            return false;
        int flags = 0;
        bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        if (done) {
            flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
            done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        }
        ::close(fd);
        m_immutable = m_immutable || (done && on);
        return done;
    }

    QStringList m_paths;
    bool m_immutable = false;
    bool m_ok = false;
};

} // namespace StoreFaults
