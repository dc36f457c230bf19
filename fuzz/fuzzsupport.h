#pragma once
// What the fuzz targets share: Qt started once without a display, quiet
// message boxes, and scratch files on a memory file system so a file-level
// reader costs no disk traffic per input.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QString>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

namespace Fuzz {

inline void startQt()
{
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    if (QCoreApplication::instance())
        return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt's own warnings about damaged images would drown the fuzzer's report.
    qputenv("QT_LOGGING_RULES", "*=false");
    static QGuiApplication app(argc, argv);
}

inline QString scratchFolder()
{
    static QTemporaryDir dir(QDir("/dev/shm").exists() ? "/dev/shm/ombravelle-fuzz-XXXXXX"
                                                      : QDir::tempPath() + "/ombravelle-fuzz-XXXXXX");
    return dir.path();
}

inline QByteArray bytes(const uint8_t* data, size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

// Writes the bytes to a file of that name in the scratch folder (or in
// `folder` under it) and returns its path.
inline QString writeScratch(const QString& name, const QByteArray& content, const QString& folder = {})
{
    const QString dir = folder.isEmpty() ? scratchFolder() : scratchFolder() + "/" + folder;
    QDir().mkpath(dir);
    const QString path = dir + "/" + name;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(content) != content.size())
        std::abort();
    return path;
}

// A broken promise of the reader: abort, so the fuzzer keeps the input.
inline void require(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace Fuzz
