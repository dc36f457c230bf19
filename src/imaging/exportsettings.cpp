#include "exportsettings.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

CExportSettings::CExportSettings(CPropManager& store)
    : quality(store, "ExportQuality", "Quality of exported images", kDefaultQuality)
    , autoView(store, "ExportAutoView", "Open exported images with their program", true)
    , folder(store, "ExportDir", "Folder of exported images", defaultFolder())
    , type(store, "ExportType", "File type of exported images", QString::fromLatin1(kDefaultType))
    , filterIndex(store, "ExportFilterIndex", "Type list index of exported images", 0)
    , transparentCanvas(store, "CanvasTransparent", "Leave the canvas transparent in exported images", false)
    , width(store, "ExportWidth", "Width of the last exported image in pixels", 0)
{
}

QString CExportSettings::defaultFolder()
{
    QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (pictures.isEmpty())
        pictures = QDir::homePath();
    return QDir(pictures).filePath(QString::fromLatin1(kDefaultFolderName));
}

void CExportSettings::makeDefaultFolder(const QString& folder)
{
    const QString defaultPath = QDir::cleanPath(defaultFolder());
    if (QDir::cleanPath(QDir::fromNativeSeparators(folder)) == defaultPath && !QFileInfo::exists(defaultPath))
        QDir().mkpath(defaultPath);
}
