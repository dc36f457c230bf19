#include "datapaths.h"

#include <QDir>
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

} // namespace DataPaths
