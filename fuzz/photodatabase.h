#pragma once
// A photo collection over a database folder of the scratch area, with the
// services it needs, for the targets that feed its two files.
#include "fuzzsupport.h"
#include "messagecatalogue.h"
#include "myphotos.h"
#include "notificationbus.h"
#include "propmanager.h"

namespace Fuzz {

// Loads the folder holding a file of that name with those bytes (and no
// other) and walks everything the load produced.
inline void loadPhotoDatabase(const QString& fileName, const QByteArray& content)
{
    const QString folder = scratchFolder() + "/ImageDatabase";
    QDir(folder).removeRecursively();
    writeScratch(fileName, content, "ImageDatabase");
    CPropManager settings;
    CMessageCatalogue catalogue(QByteArray{});
    catalogue.setMessageBox([](const QString&, const QString&, unsigned) { return MsgButton::Ok; });
    CNotificationBus bus;
    CMyPhotos photos(settings, catalogue, bus, nullptr, folder);
    photos.Load();
    for (CPhotoItem* photo : photos.ByDate())
        require(photos.FindPhoto(photo->path()) == photo);
    for (const QString& name : photos.MomentNames())
        require(photos.FindMoment(name) != nullptr);
}

} // namespace Fuzz
