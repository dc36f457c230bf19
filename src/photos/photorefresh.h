#pragma once
// A refresh of the photo collection from the search folders: its request,
// its counters and result, and the folder scan, a plain function the
// collection's Refresh() runs on the calling thread.

#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>

class QFileInfo;

// Counters of a refresh, as its dialog shows them.
struct CRefreshCounters
{
    int filesSeen = 0;
    int imagesFound = 0;
    int photosRemoved = 0;
};

struct CRefreshRequest
{
    // The search folders; each must exist.
    QStringList folders;
    // Skip hidden files and folders.
    bool skipHidden = true;
    // Called before every entry of the scan and every photo of the walk,
    // with the entry's path: the dialog updates its counters here and lets
    // pending input through, so its Stop button works.
    std::function<void(const CRefreshCounters&, const QString& path)> onEntry;
    // Looked at before every entry; once set, the refresh stops there.
    const std::atomic<bool>* stop = nullptr;

    // Calls onEntry for the entry at `path`; false once the refresh is to stop.
    bool visit(const CRefreshCounters& counters, const QString& path) const;
};

struct CRefreshResult
{
    enum class Outcome { Completed, Stopped, FolderNotFound };
    Outcome outcome = Outcome::Completed;
    // The catalogue message to show: "RefreshDone", "RefreshDirNotFound", or
    // empty for a stopped refresh.
    QString messageKey;
    QString missingFolder;
    CRefreshCounters counters;
};

// Walks the folders depth first, entries in name order, visiting every
// entry (request.visit) and handing every image file to `examine`; counts
// files and images in `counters`. Hidden entries are skipped when the
// request says so; linked folders are not followed. False when stopped.
bool scanFolders(const QStringList& folders, const CRefreshRequest& request, CRefreshCounters& counters,
                 const std::function<void(const QFileInfo& image)>& examine);
