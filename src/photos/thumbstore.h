#pragma once
// The thumbnail store "Thumbs.DAT": an SQLite database of named streams
// beside "Collection.DAT". Stream "0" holds the next free slot number (u32,
// little-endian); streams "4", "5", ... hold one thumbnail each as an image
// record (u32 byte length, then a PNG when the thumbnail has an alpha
// channel, else a JPEG of quality 80; length 0 is no image).
//
// Changes are transacted: everything since the last CommitThumbs is one
// SQLite transaction (write-ahead log), so a crash or a kill leaves the
// store as it was at the last commit, never half-written. The file is held
// exclusively while open, as another program's copy of the store would
// otherwise hand out the same slots.
//
// The store opens lazily on first use, at most twice: a file that is not a
// readable store is deleted and created anew once. A store that still does
// not open stays failed for the rest of the run and every operation fails
// quietly; thumbnails are then rendered but not kept. A file another
// process holds is never deleted.
//
// Owned by the services; any thread (its own lock serialises the calls).
// AllocateThumb alone never waits for SQLite: the window's thread calls it
// for every new thumbnail, and the worker may be in the middle of a commit.
// Its record is written by the next call that takes the store's lock (the
// worker's flushPending after each render, at the latest CommitThumbs).

#include <QImage>
#include <QMutex>
#include <QString>

#include <map>

struct sqlite3;

class CThumbStore
{
public:
    static constexpr quint32 kFirstSlot = 4;
    static constexpr int kJpegQuality = 80;
    static constexpr const char* kCounterStream = "0";

    enum class State { Closed, Open, Failed };

    // "Thumbs.DAT" inside `folder` (created when missing).
    explicit CThumbStore(const QString& folder);
    // Closes without committing: like the transacted storage it stands for,
    // uncommitted changes are discarded.
    ~CThumbStore();
    CThumbStore(const CThumbStore&) = delete;
    CThumbStore& operator=(const CThumbStore&) = delete;

    QString path() const { return m_path; }

    // Writes the image record into the slot's stream, which must exist
    // unless `create` is set.
    bool StoreThumb(quint32 slot, const QImage& image, bool create);
    // Stores the image under the next free slot and returns it; 0 when the
    // store is failed. The record is written later (see above); a write
    // that fails then leaves the slot without a stream, which reads as a
    // damaged slot: the thumbnail is rendered again.
    quint32 AllocateThumb(const QImage& image);
    // Writes the records AllocateThumb handed over.
    void flushPending();
    // The slot's thumbnail; null when the slot has no stream or its record
    // does not decode.
    QImage LoadThumb(quint32 slot);
    bool hasThumb(quint32 slot);
    void DeleteThumb(quint32 slot);
    // When anything changed: writes the counter to stream "0" and commits.
    // False when the commit failed (the changes are then lost).
    bool CommitThumbs();
    // Deletes the store and starts an empty one with the counter at 4; a
    // store held by another process is left alone and this one fails.
    void ResetThumbs();

    // Opens the store now if it is not open yet; false when it is failed.
    bool ensureOpen();
    State state();
    bool isModified();
    quint32 nextSlot();
    // Why the store failed, for a command-line report.
    QString failureReason();

    static QByteArray encodeRecord(const QImage& image);
    static QImage decodeRecord(const QByteArray& record);
    static QString streamName(quint32 slot) { return QString::number(slot); }

private:
    enum class OpenOutcome { Opened, Locked, Broken };

    bool openLocked();
    OpenOutcome tryOpen();
    void closeLocked();
    bool deleteFiles();
    bool beginIfNeeded();
    bool writeStream(const QString& name, const QByteArray& bytes, bool create);
    bool readStream(const QString& name, QByteArray* bytes);
    bool exec(const char* sql);
    void fail(const QString& reason);
    // Writes the handed-over records; the counter that covers them.
    quint32 flushPendingLocked();
    void setAcceptingPending(bool on);

    QString m_folder;
    QString m_path;
    QMutex m_lock;
    sqlite3* m_db = nullptr;
    State m_state = State::Closed;
    int m_openAttempts = 0;
    bool m_inTransaction = false;
    bool m_modified = false;
    QString m_failure;

    // Taken inside m_lock when both are needed, never the other way round.
    QMutex m_pendingLock;
    quint32 m_nextSlot = kFirstSlot;
    bool m_acceptingPending = false; // the store is open
    std::map<quint32, QByteArray> m_pending;
};
