#include "datapaths.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace DataPaths {

namespace {
constexpr const char* kMaker = "Tessary";
}

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
