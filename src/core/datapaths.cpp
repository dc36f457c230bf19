#include "datapaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace DataPaths {

namespace {
constexpr const char* kMaker = "Tessary";
constexpr const char* kSamples = "Samples";
// From the program's folder to its data, as the build lays them out
// (GNUInstallDirs' bin and share/ombravelle unless configured otherwise).
constexpr const char* kDataFromProgram = OMBRAVELLE_DATA_FROM_PROGRAM;
} // namespace

QString dataFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + '/' + kMaker;
}

QString photoDatabaseFolder() { return dataFolder() + "/ImageDatabase"; }

QString configFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + '/' + kMaker;
}

QString settingsFile() { return configFolder() + '/' + kSettingsFileName; }

QString programDataFolder() { return programDataFolder(QCoreApplication::applicationDirPath()); }

QString programDataFolder(const QString& programFolder)
{
    return QDir::cleanPath(QDir(programFolder).filePath(QString::fromUtf8(kDataFromProgram)));
}

QString sampleFolder() { return programDataFolder() + '/' + kSamples; }

QString documentsFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QDir().mkpath(documents))
        return documents;
    return QDir::homePath();
}

QString nearestExistingFolder(const QString& folder)
{
    for (QString candidate = QDir::cleanPath(folder); !candidate.isEmpty();) {
        if (QFileInfo(candidate).isDir())
            return candidate;
        const QString parent = QFileInfo(candidate).path();
        if (parent == candidate)
            break;
        candidate = parent;
    }
    return QDir::homePath();
}

} // namespace DataPaths
