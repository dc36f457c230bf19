#include "datapaths.h"

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

} // namespace DataPaths
