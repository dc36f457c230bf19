#include "commands.h"

#include "clisupport.h"
#include "datapaths.h"
#include "messagecatalogue.h"
#include "myphotos.h"
#include "photoitem.h"
#include "photopos.h"
#include "services.h"
#include "thumbnailcache.h"
#include "thumbnailmaker.h"
#include "thumbstore.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImageWriter>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

#include <unordered_set>

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

// Counts the photos the worker has finished with, and those that did not decode.
class RenderTally : public CNotifyListener
{
public:
    RenderTally(CNotificationBus& bus, const std::vector<CPhotoItem*>& photos)
        : m_bus(bus)
        , m_pending(photos.begin(), photos.end())
    {
        m_bus.Register(this, Channel::MyPhotos);
    }
    ~RenderTally() override { m_bus.Unregister(this, Channel::MyPhotos); }

    bool OnNotify(const CNotifyMessage& message) override
    {
        auto* photo = static_cast<CPhotoItem*>(message.parameter);
        if (message.event.compare(QLatin1String(Event::ImageError), Qt::CaseInsensitive) == 0)
            ++notDecoded;
        else if (message.event.compare(QLatin1String(Event::RenderComplete), Qt::CaseInsensitive) == 0)
            m_pending.erase(photo);
        return false;
    }
    bool finished() const { return m_pending.empty(); }

    int notDecoded = 0;

private:
    CNotificationBus& m_bus;
    std::unordered_set<CPhotoItem*> m_pending;
};

int renderThumbnails(CServices& services, const QStringList& args, QTextStream& out, QTextStream& err)
{
    CThumbnailCache& cache = services.thumbnails();
    for (int i = 0; i < args.size(); ++i) {
        bool ok = false;
        const int jobs = args[i] == "--jobs" ? args.value(i + 1).toInt(&ok) : 0;
        if (!ok || jobs < 1) {
            err << "usage: collage-cli photos thumbnails [--jobs N]\n";
            return kExitUsage;
        }
        cache.setThreadCount(jobs);
        ++i;
    }
    // Nothing here waits on a window: the workers get the whole processor.
    cache.setBackgroundPriority(false);
    CMyPhotos& photos = services.photos();
    CThumbStore& store = cache.store();
    if (!store.ensureOpen()) {
        err << "collage-cli: the thumbnail store cannot be used: " << store.failureReason() << "\n";
        return kExitFailed;
    }

    // Missing files have nothing to render; a slot the store no longer has
    // is as good as none.
    std::vector<CPhotoItem*> lacking;
    for (CPhotoItem* photo : photos.ByDate()) {
        if (!photos.CheckFile(*photo))
            continue;
        if (photo->thumbnailSlot() != 0 && !store.hasThumb(photo->thumbnailSlot()))
            photos.setThumbnailSlot(*photo, 0);
        if (photo->thumbnailSlot() == 0)
            lacking.push_back(photo);
    }

    RenderTally tally(services.bus(), lacking);
    QElapsedTimer clock;
    clock.start();
    // Fed as it drains: the queue drops requests beyond its cap.
    size_t next = 0;
    while (!tally.finished()) {
        while (next < lacking.size() && cache.queuedCount() < CRenderQueue::kCap)
            cache.GetThumbnail(*lacking[next++]);
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    cache.StopWorker();

    if (!store.CommitThumbs() || photos.Save() == CMyPhotos::SaveResult::Failed) {
        err << "collage-cli: the thumbnails could not be saved in " << photos.folder() << "\n";
        return kExitFailed;
    }
    const int rendered = int(lacking.size()) - tally.notDecoded;
    const std::vector<CPhotoItem*>& all = photos.ByDate();
    const auto stored = std::count_if(all.begin(), all.end(), [](const CPhotoItem* p) { return p->thumbnailSlot() != 0; });
    out << "thumbnails rendered: " << rendered << "\n"
        << "not decoded: " << tally.notDecoded << "\n"
        << "photos with stored thumbnails: " << stored << " of " << all.size() << "\n"
        << "threads: " << cache.threadCount() << "\n"
        << "seconds: " << QString::number(seconds, 'f', 3) << "\n"
        << "photos per second: " << QString::number(seconds > 0 ? lacking.size() / seconds : 0.0, 'f', 1) << "\n"
        << "store: " << store.path() << "\n";
    return kExitOk;
}

int writeThumbnail(CServices& services, const QStringList& args, QTextStream& out, QTextStream& err)
{
    if (args.size() != 2) {
        err << "usage: collage-cli photos thumbnail PATH OUT.png\n";
        return kExitUsage;
    }
    const QString path = QFileInfo(args[0]).absoluteFilePath();
    if (!QFileInfo(path).isFile()) {
        err << "collage-cli: " << path << ": " << "Photo file was not found on your drive" << "\n";
        return kExitFailed;
    }
    const CRenderedThumbnail thumbnail = ThumbnailMaker::render(path);
    if (!thumbnail.rendered()) {
        err << "collage-cli: " << path << ": " << "The file does not contain a valid image" << "\n";
        return kExitFailed;
    }
    // A photo of the collection shows as the user turned it.
    const CPhotoItem* photo = services.photos().FindPhoto(path);
    const QImage image = ThumbnailMaker::turned(thumbnail.image, photo ? photo->quarterTurns() : 0);
    QImageWriter writer(args[1]);
    if (writer.format().isEmpty())
        writer.setFormat("png");
    if (!writer.write(image)) {
        err << "collage-cli: " << args[1] << ": " << writer.errorString() << "\n";
        return kExitFailed;
    }
    out << image.width() << "x" << image.height() << "\n";
    return kExitOk;
}

} // namespace

int runPhotosCommand(const QStringList& args, QTextStream& out, QTextStream& err)
{
    const QString verb = args.value(0);
    const bool json = args.contains("--json");
    if (verb != "refresh" && verb != "list" && verb != "moments" && verb != "thumbnails" && verb != "thumbnail") {
        err << "usage: collage-cli photos refresh FOLDER... | list [--json] | moments [--json]"
               " | thumbnails [--jobs N] | thumbnail PATH OUT.png\n";
        return kExitUsage;
    }
    if (verb == "thumbnail" && args.size() != 3) {
        err << "usage: collage-cli photos thumbnail PATH OUT.png\n";
        return kExitUsage;
    }
    CServices services(DataPaths::settingsFile());
    if (verb == "thumbnails")
        return renderThumbnails(services, args.mid(1), out, err);
    if (verb == "thumbnail")
        return writeThumbnail(services, args.mid(1), out, err);
    if (verb == "refresh")
        return refresh(services, args.mid(1), out, err);
    if (verb == "list")
        return list(services, json, out);
    return moments(services, json, out);
}
