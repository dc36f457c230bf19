#pragma once
// The order in which thumbnails are rendered: the photos asked for, each
// once, at most about 50 of them, large files made to wait for small ones.
// Plain data with no lock of its own: the thumbnail cache guards it with
// the collection's lock.

#include <QtGlobal>

#include <list>

class CPhotoItem;

class CRenderQueue
{
public:
    // Beyond this many entries, the oldest request not in use makes room.
    static constexpr int kCap = 50;
    // Files above this size yield to smaller ones.
    static constexpr quint32 kLargeFileBytes = 9'000'000;

    struct Entry
    {
        CPhotoItem* photo = nullptr;
        // Taken when the photo is queued: the worker must not read the
        // photo's fields while the user-interface thread may change them.
        quint32 fileSize = 0;
        bool inUse = false;
    };

    // With newest-first, requests go in at the head and the render order is
    // the reverse of the requests; the overflow is then taken from the tail.
    void setNewestFirst(bool on) { m_newestFirst = on; }
    bool newestFirst() const { return m_newestFirst; }

    // Adds the request unless the photo is queued already (then false). When
    // the queue holds more than kCap entries, the first entry from the end
    // requests are taken from whose photo is not in use is dropped first.
    bool push(const Entry& entry);
    // The entry to render next: the head, unless it is a large file and a
    // smaller one waits behind it; then the first file under the limit is
    // taken and the large one moves to the tail. Null photo when empty.
    Entry takeNext();

    bool remove(const CPhotoItem* photo);
    bool contains(const CPhotoItem* photo) const;
    int size() const { return int(m_entries.size()); }
    bool isEmpty() const { return m_entries.empty(); }
    void clear() { m_entries.clear(); }
    const std::list<Entry>& entries() const { return m_entries; }

    static bool isLarge(quint32 fileSize) { return fileSize > kLargeFileBytes; }

private:
    std::list<Entry>::iterator find(const CPhotoItem* photo);

    std::list<Entry> m_entries;
    bool m_newestFirst = false;
};
