#include "photorefresh.h"

#include "imagetypes.h"
#include "myphotos.h"

#include <QDir>
#include <QFileInfo>

#include <vector>

namespace {

const QString kRefreshDone = QStringLiteral("RefreshDone");
const QString kRefreshDirNotFound = QStringLiteral("RefreshDirNotFound");
// Between the folders of the search-folder setting and of a request.
constexpr QChar kFolderSeparator = u';';

} // namespace

bool CRefreshRequest::visit(const CRefreshCounters& counters, const QString& path) const
{
    if (onEntry)
        onEntry(counters, path);
    return !(stop && stop->load(std::memory_order_acquire));
}

bool scanFolders(const QStringList& folders, const CRefreshRequest& request, CRefreshCounters& counters,
                 const std::function<void(const QFileInfo& image)>& examine)
{
    const QDir::Filters filters = QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System
        | (request.skipHidden ? QDir::Filters() : QDir::Hidden);
    std::vector<QString> pending(folders.rbegin(), folders.rend());
    while (!pending.empty()) {
        const QString folder = pending.back();
        pending.pop_back();
        const QFileInfoList entries = QDir(folder).entryInfoList(filters, QDir::Name);
        std::vector<QString> subfolders;
        for (const QFileInfo& entry : entries) {
            if (!request.visit(counters, entry.filePath()))
                return false;
            // Linked folders are not followed: a link to a parent would never end.
            if (entry.isDir()) {
                if (!entry.isSymLink())
                    subfolders.push_back(entry.filePath());
                continue;
            }
            if (!entry.isFile())
                continue;
            ++counters.filesSeen;
            if (ImageTypes::isImage(entry.fileName())) {
                ++counters.imagesFound;
                examine(entry);
            }
        }
        // Depth first, in name order.
        pending.insert(pending.end(), subfolders.rbegin(), subfolders.rend());
    }
    return true;
}

// ---------------------------------------------------------------------------
// The collection's side: the search folders, the files found, the photos gone

QStringList CMyPhotos::refreshSearchFolders() const
{
    return m_searchDirs.get().split(kFolderSeparator, Qt::SkipEmptyParts);
}

CRefreshResult CMyPhotos::Refresh(const CRefreshRequest& request)
{
    Load();
    CRefreshResult result;
    QStringList folders;
    for (const QString& folder : request.folders) {
        for (const QString& part : folder.split(kFolderSeparator, Qt::SkipEmptyParts))
            folders.append(part.trimmed());
    }
    folders.removeAll(QString());
    if (folders.isEmpty()) {
        result.outcome = CRefreshResult::Outcome::FolderNotFound;
        result.messageKey = kRefreshDirNotFound;
        return result;
    }
    for (const QString& folder : folders) {
        if (!QFileInfo(folder).isDir()) {
            result.outcome = CRefreshResult::Outcome::FolderNotFound;
            result.messageKey = kRefreshDirNotFound;
            result.missingFolder = folder;
            return result;
        }
    }
    m_searchDirs.set(folders.join(kFolderSeparator));
    m_noHidden.set(request.skipHidden);

    for (auto& [key, photo] : m_photos)
        photo->setFlag(CPhotoItem::kFlagSeen, false);

    CRefreshCounters& counters = result.counters;
    if (!scanFolders(folders, request, counters, [&](const QFileInfo& image) { refreshFile(image); })) {
        result.outcome = CRefreshResult::Outcome::Stopped;
        return result;
    }

    // Photos the scan did not find whose files have gone become hidden. By
    // path, not pointer: whatever runs in onEntry may change the collection.
    QStringList unseen;
    for (const auto& [key, photo] : m_photos) {
        if (!photo->hasFlag(CPhotoItem::kFlagSeen))
            unseen.append(key);
    }
    unseen.sort();
    for (const QString& path : unseen) {
        if (!request.visit(counters, path)) {
            result.outcome = CRefreshResult::Outcome::Stopped;
            return result;
        }
        const auto it = m_photos.find(path);
        if (it == m_photos.end() || QFileInfo::exists(path))
            continue;
        if (it->second->setFlag(CPhotoItem::kFlagMissing, true))
            markDirty();
        if (RemovePhoto(path, false))
            ++counters.photosRemoved;
    }

    m_lastPhotoUpdate.set(QDateTime::currentDateTime().toString(Qt::ISODate));
    result.outcome = CRefreshResult::Outcome::Completed;
    result.messageKey = kRefreshDone;
    return result;
}

void CMyPhotos::refreshFile(const QFileInfo& file)
{
    const QString key = keyFor(file.filePath());
    CPhotoItem* photo = nullptr;
    if (const auto it = m_photos.find(key); it != m_photos.end()) {
        photo = it->second.get();
        if (photo->setFlag(CPhotoItem::kFlagMissing, false))
            markDirty();
        photo->setFlag(CPhotoItem::kFlagSeen, true);
        // Unchanged files are not opened: that keeps a refresh of a large
        // collection quick.
        if (!changedSinceRead(*photo, file))
            return;
        forgetRenderings(*photo);
        photo->m_quarterTurns = 0;
    } else {
        photo = AddPhoto(key);
        photo->setFlag(CPhotoItem::kFlagSeen, true);
    }
    if (!ReadPhotoInfo(*photo, file))
        RemovePhoto(key, false);
}
