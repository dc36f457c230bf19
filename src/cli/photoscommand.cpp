#include "commands.h"

#include "clisupport.h"
#include "datapaths.h"
#include "messagecatalogue.h"
#include "myphotos.h"
#include "photoitem.h"
#include "photopos.h"
#include "services.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

namespace {

// Refresh progress goes to standard error every so many entries, so a long
// scan shows it is alive without flooding the terminal.
constexpr int kProgressEvery = 500;

QString isoDate(double oleDays)
{
    const QDateTime when = COleDate{COleDate::Valid, oleDays}.toDateTime();
    return when.isValid() ? when.toString(Qt::ISODate) : QString();
}

QJsonObject photoJson(const CPhotoItem& photo)
{
    return QJsonObject{
        {"path", photo.path()},
        {"date", isoDate(photo.photoDate())},
        {"dateFromMetadata", photo.hasMetadataDate()},
        {"width", double(photo.pixelWidth())},
        {"height", double(photo.pixelHeight())},
        {"fileSize", double(photo.fileSize())},
        {"flags", double(photo.flags() & 0xFF)},
        {"state", photo.stateText()},
    };
}

int refresh(CServices& services, const QStringList& folders, QTextStream& out, QTextStream& err)
{
    if (folders.isEmpty()) {
        err << "usage: collage-cli photos refresh FOLDER...\n";
        return kExitUsage;
    }
    CMyPhotos& photos = services.photos();
    CRefreshRequest request;
    for (const QString& folder : folders)
        request.folders << QDir(folder).absolutePath();
    request.skipHidden = photos.refreshSkipsHidden();
    int entries = 0;
    request.onEntry = [&](const CRefreshCounters& counters, const QString&) {
        if (++entries % kProgressEvery == 0) {
            err << "scanned " << counters.filesSeen << " files, " << counters.imagesFound << " images\n";
            err.flush();
        }
    };

    const CRefreshResult result = photos.Refresh(request);
    if (result.outcome == CRefreshResult::Outcome::FolderNotFound) {
        err << services.catalogue().text(result.messageKey) << "\n(" << result.missingFolder << ")\n";
        return kExitFailed;
    }
    if (photos.Save() == CMyPhotos::SaveResult::Failed) {
        err << "collage-cli: the photo collection could not be saved in " << photos.folder() << "\n";
        return kExitFailed;
    }
    out << "files seen: " << result.counters.filesSeen << "\n"
        << "images found: " << result.counters.imagesFound << "\n"
        << "photos removed: " << result.counters.photosRemoved << "\n"
        << "photos in the collection: " << photos.photoCount() << "\n";
    return kExitOk;
}

int list(CServices& services, bool json, QTextStream& out)
{
    CMyPhotos& photos = services.photos();
    const std::vector<CPhotoItem*>& byDate = photos.ByDate();
    if (json) {
        QJsonArray array;
        for (const CPhotoItem* photo : byDate)
            array.append(photoJson(*photo));
        out << QJsonDocument(array).toJson(QJsonDocument::Indented);
        return kExitOk;
    }
    for (const CPhotoItem* photo : byDate) {
        out << photo->path() << "\t" << photo->dateText() << "\t" << photo->pixelWidth() << "x"
            << photo->pixelHeight() << "\t" << photo->sizeText() << "\t" << photo->stateText() << "\n";
    }
    return kExitOk;
}

int moments(CServices& services, bool json, QTextStream& out)
{
    CMyPhotos& photos = services.photos();
    QJsonArray array;
    for (const QString& name : photos.MomentNames()) {
        const CPhotoPos* moment = photos.FindMoment(name);
        if (!moment)
            continue;
        if (json) {
            array.append(QJsonObject{{"name", moment->name()},
                                     {"date", moment->date().isValid() ? isoDate(moment->date().days) : QString()},
                                     {"photos", QJsonArray::fromStringList(moment->photos())}});
        } else {
            out << moment->name() << "\t" << moment->photos().size() << " photos\n";
            for (const QString& path : moment->photos())
                out << "\t" << path << "\n";
        }
    }
    if (json)
        out << QJsonDocument(array).toJson(QJsonDocument::Indented);
    return kExitOk;
}

} // namespace

int runPhotosCommand(const QStringList& args, QTextStream& out, QTextStream& err)
{
    const QString verb = args.value(0);
    const bool json = args.contains("--json");
    if (verb != "refresh" && verb != "list" && verb != "moments") {
        err << "usage: collage-cli photos refresh FOLDER... | list [--json] | moments [--json]\n";
        return kExitUsage;
    }
    CServices services(DataPaths::settingsFile());
    if (verb == "refresh")
        return refresh(services, args.mid(1), out, err);
    if (verb == "list")
        return list(services, json, out);
    return moments(services, json, out);
}
