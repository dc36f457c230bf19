#include "thumbstore.h"

#include "datapaths.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageWriter>
#include <QMutexLocker>
#include <QtEndian>

#include <sqlite3.h>

namespace {

constexpr int kMaxOpenAttempts = 2;
// A store another program holds is not waited for long: thumbnails are
// rendered without it meanwhile.
constexpr int kBusyTimeoutMs = 250;
constexpr int kRecordHeaderBytes = 4;
constexpr const char* kWalSuffix = "-wal";
constexpr const char* kShmSuffix = "-shm";
constexpr const char* kJournalSuffix = "-journal";

// Closes a prepared statement on every way out.
class Statement
{
public:
    Statement(sqlite3* db, const char* sql)
    {
        if (sqlite3_prepare_v2(db, sql, -1, &m_statement, nullptr) != SQLITE_OK)
            m_statement = nullptr;
    }
    ~Statement() { sqlite3_finalize(m_statement); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    explicit operator bool() const { return m_statement != nullptr; }
    bool bindText(int index, const QString& text)
    {
        const QByteArray utf8 = text.toUtf8();
        return sqlite3_bind_text(m_statement, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT)
            == SQLITE_OK;
    }
    bool bindBlob(int index, const QByteArray& bytes)
    {
        // A zero-length blob must still be a blob, not NULL.
        return sqlite3_bind_blob(m_statement, index, bytes.isEmpty() ? "" : bytes.constData(), int(bytes.size()),
                                 SQLITE_TRANSIENT)
            == SQLITE_OK;
    }
    int step() { return sqlite3_step(m_statement); }
    QByteArray blob(int column) const
    {
        const void* data = sqlite3_column_blob(m_statement, column);
        const int size = sqlite3_column_bytes(m_statement, column);
        return data ? QByteArray(static_cast<const char*>(data), size) : QByteArray();
    }

private:
    sqlite3_stmt* m_statement = nullptr;
};

bool isLockError(int code)
{
    const int primary = code & 0xFF;
    return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
}

} // namespace

CThumbStore::CThumbStore(const QString& folder)
    : m_folder(folder)
    , m_path(folder + QLatin1Char('/') + QLatin1String(DataPaths::kThumbsFile))
{
}

CThumbStore::~CThumbStore()
{
    QMutexLocker lock(&m_lock);
    closeLocked();
}

// ---------------------------------------------------------------------------
// Records

QByteArray CThumbStore::encodeRecord(const QImage& image)
{
    QByteArray encoded;
    if (!image.isNull()) {
        QBuffer buffer(&encoded);
        buffer.open(QIODevice::WriteOnly);
        const bool png = image.hasAlphaChannel();
        QImageWriter writer(&buffer, png ? "png" : "jpeg");
        if (!png)
            writer.setQuality(kJpegQuality);
        if (!writer.write(image))
            encoded.clear();
    }
    QByteArray record(kRecordHeaderBytes, Qt::Uninitialized);
    qToLittleEndian<quint32>(quint32(encoded.size()), record.data());
    return record + encoded;
}

QImage CThumbStore::decodeRecord(const QByteArray& record)
{
    if (record.size() < kRecordHeaderBytes)
        return {};
    const quint32 length = qFromLittleEndian<quint32>(record.constData());
    if (length == 0 || length > quint32(record.size() - kRecordHeaderBytes))
        return {};
    QImage image = QImage::fromData(QByteArrayView(record).sliced(kRecordHeaderBytes, length));
    if (image.isNull())
        return {};
    image.convertTo(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    return image;
}

// ---------------------------------------------------------------------------
// Opening and closing

bool CThumbStore::ensureOpen()
{
    QMutexLocker lock(&m_lock);
    return openLocked();
}

CThumbStore::State CThumbStore::state()
{
    QMutexLocker lock(&m_lock);
    return m_state;
}

bool CThumbStore::isModified()
{
    QMutexLocker lock(&m_lock);
    QMutexLocker pending(&m_pendingLock);
    return m_modified || !m_pending.empty();
}

quint32 CThumbStore::nextSlot()
{
    QMutexLocker pending(&m_pendingLock);
    return m_nextSlot;
}

QString CThumbStore::failureReason()
{
    QMutexLocker lock(&m_lock);
    return m_failure;
}

bool CThumbStore::openLocked()
{
    if (m_state == State::Open)
        return true;
    if (m_state == State::Failed)
        return false;
    while (m_openAttempts < kMaxOpenAttempts) {
        ++m_openAttempts;
        switch (tryOpen()) {
        case OpenOutcome::Opened:
            m_state = State::Open;
            setAcceptingPending(true);
            return true;
        case OpenOutcome::Locked:
            closeLocked();
            fail(QStringLiteral("%1 is in use by another program").arg(m_path));
            return false;
        case OpenOutcome::Broken:
            // Not a store we can use: start a new one in its place.
            closeLocked();
            if (!deleteFiles()) {
                fail(QStringLiteral("%1 cannot be replaced").arg(m_path));
                return false;
            }
            break;
        }
    }
    fail(QStringLiteral("%1 cannot be created").arg(m_path));
    return false;
}

CThumbStore::OpenOutcome CThumbStore::tryOpen()
{
    if (!QDir().mkpath(m_folder))
        return OpenOutcome::Broken;
    const QByteArray name = QFile::encodeName(m_path);
    if (sqlite3_open_v2(name.constData(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                        nullptr)
        != SQLITE_OK)
        return OpenOutcome::Broken;
    // A file we may not write is as good as none: its slots could never change.
    if (sqlite3_db_readonly(m_db, "main") == 1)
        return OpenOutcome::Broken;
    sqlite3_busy_timeout(m_db, kBusyTimeoutMs);
    // The exclusive lock, taken by the transaction below and kept until
    // close, is what "opened for exclusive read-write" means here.
    const bool ready = exec("PRAGMA locking_mode=EXCLUSIVE") && exec("PRAGMA journal_mode=WAL")
        && exec("PRAGMA synchronous=NORMAL") && beginIfNeeded()
        && exec("CREATE TABLE IF NOT EXISTS streams(name TEXT PRIMARY KEY NOT NULL, bytes BLOB NOT NULL)");
    if (!ready)
        return isLockError(sqlite3_extended_errcode(m_db)) ? OpenOutcome::Locked : OpenOutcome::Broken;

    QByteArray counter;
    if (!readStream(QString::fromLatin1(kCounterStream), &counter))
        return isLockError(sqlite3_extended_errcode(m_db)) ? OpenOutcome::Locked : OpenOutcome::Broken;
    QMutexLocker pending(&m_pendingLock);
    if (counter.isNull()) {
        m_nextSlot = kFirstSlot; // a new store
    } else if (counter.size() == sizeof(quint32)) {
        m_nextSlot = qMax(kFirstSlot, qFromLittleEndian<quint32>(counter.constData()));
    } else {
        return OpenOutcome::Broken;
    }
    return OpenOutcome::Opened;
}

void CThumbStore::closeLocked()
{
    if (m_db) {
        if (m_inTransaction)
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
    m_inTransaction = false;
    m_modified = false;
    setAcceptingPending(false);
    if (m_state == State::Open)
        m_state = State::Closed;
}

bool CThumbStore::deleteFiles()
{
    for (const char* suffix : {kWalSuffix, kShmSuffix, kJournalSuffix})
        QFile::remove(m_path + QLatin1String(suffix));
    QFile::remove(m_path);
    return !QFile::exists(m_path);
}

void CThumbStore::setAcceptingPending(bool on)
{
    QMutexLocker pending(&m_pendingLock);
    m_acceptingPending = on;
    // Like the open transaction they belong to, records not yet written go.
    if (!on)
        m_pending.clear();
}

void CThumbStore::fail(const QString& reason)
{
    setAcceptingPending(false);
    m_state = State::Failed;
    m_failure = reason;
}

bool CThumbStore::exec(const char* sql)
{
    return sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

bool CThumbStore::beginIfNeeded()
{
    if (m_inTransaction)
        return true;
    m_inTransaction = exec("BEGIN IMMEDIATE");
    return m_inTransaction;
}

// ---------------------------------------------------------------------------
// Streams

bool CThumbStore::writeStream(const QString& name, const QByteArray& bytes, bool create)
{
    if (!beginIfNeeded())
        return false;
    Statement statement(m_db, create ? "INSERT OR REPLACE INTO streams(name, bytes) VALUES(?1, ?2)"
                                     : "UPDATE streams SET bytes = ?2 WHERE name = ?1");
    if (!statement || !statement.bindText(1, name) || !statement.bindBlob(2, bytes))
        return false;
    return statement.step() == SQLITE_DONE && sqlite3_changes(m_db) > 0;
}

// A null `bytes` when there is no such stream; false on an error.
bool CThumbStore::readStream(const QString& name, QByteArray* bytes)
{
    *bytes = QByteArray();
    Statement statement(m_db, "SELECT bytes FROM streams WHERE name = ?1");
    if (!statement || !statement.bindText(1, name))
        return false;
    const int step = statement.step();
    if (step == SQLITE_ROW) {
        *bytes = statement.blob(0);
        if (bytes->isNull())
            *bytes = QByteArray("", 0);
        return true;
    }
    return step == SQLITE_DONE;
}

bool CThumbStore::StoreThumb(quint32 slot, const QImage& image, bool create)
{
    QMutexLocker lock(&m_lock);
    if (!openLocked() || slot < kFirstSlot)
        return false;
    flushPendingLocked();
    if (!writeStream(streamName(slot), encodeRecord(image), create))
        return false;
    m_modified = true;
    return true;
}

quint32 CThumbStore::AllocateThumb(const QImage& image)
{
    if (image.isNull())
        return 0;
    QByteArray record = encodeRecord(image);
    {
        QMutexLocker pending(&m_pendingLock);
        if (m_acceptingPending) {
            const quint32 slot = m_nextSlot++;
            m_pending.emplace(slot, std::move(record));
            return slot;
        }
    }
    // Not open yet: open it (once, the first time).
    QMutexLocker lock(&m_lock);
    if (!openLocked())
        return 0;
    QMutexLocker pending(&m_pendingLock);
    const quint32 slot = m_nextSlot++;
    m_pending.emplace(slot, std::move(record));
    return slot;
}

void CThumbStore::flushPending()
{
    QMutexLocker lock(&m_lock);
    if (m_state == State::Open)
        flushPendingLocked();
}

quint32 CThumbStore::flushPendingLocked()
{
    std::map<quint32, QByteArray> batch;
    quint32 nextSlot = 0;
    {
        QMutexLocker pending(&m_pendingLock);
        batch.swap(m_pending);
        nextSlot = m_nextSlot;
    }
    for (const auto& [slot, record] : batch) {
        if (writeStream(streamName(slot), record, true))
            m_modified = true;
    }
    return nextSlot;
}

QImage CThumbStore::LoadThumb(quint32 slot)
{
    QByteArray record;
    {
        QMutexLocker lock(&m_lock);
        if (!openLocked() || slot < kFirstSlot)
            return {};
        flushPendingLocked();
        if (!readStream(streamName(slot), &record))
            return {};
    }
    return decodeRecord(record);
}

bool CThumbStore::hasThumb(quint32 slot)
{
    QMutexLocker lock(&m_lock);
    QByteArray record;
    if (!openLocked() || slot < kFirstSlot)
        return false;
    flushPendingLocked();
    return readStream(streamName(slot), &record) && !record.isNull();
}

void CThumbStore::DeleteThumb(quint32 slot)
{
    QMutexLocker lock(&m_lock);
    if (!openLocked() || slot < kFirstSlot)
        return;
    flushPendingLocked();
    if (!beginIfNeeded())
        return;
    Statement statement(m_db, "DELETE FROM streams WHERE name = ?1");
    if (statement && statement.bindText(1, streamName(slot)) && statement.step() == SQLITE_DONE)
        m_modified = true;
}

bool CThumbStore::CommitThumbs()
{
    QMutexLocker lock(&m_lock);
    if (m_state != State::Open)
        return true;
    // The counter as it stood with the records written: a slot handed out
    // meanwhile belongs to the next commit, counter and all.
    const quint32 nextSlot = flushPendingLocked();
    if (!m_modified)
        return true;
    QByteArray counter(sizeof(quint32), Qt::Uninitialized);
    qToLittleEndian<quint32>(nextSlot, counter.data());
    const bool committed = writeStream(QString::fromLatin1(kCounterStream), counter, true) && exec("COMMIT");
    if (!committed)
        exec("ROLLBACK");
    m_inTransaction = false;
    m_modified = false;
    return committed;
}

void CThumbStore::ResetThumbs()
{
    QMutexLocker lock(&m_lock);
    closeLocked();
    m_state = State::Closed;
    m_openAttempts = 0;
    m_failure.clear();
    if (QFile::exists(m_path)) {
        // Whoever holds the file keeps it; we do without a store then.
        const OpenOutcome probe = tryOpen();
        closeLocked();
        if (probe == OpenOutcome::Locked) {
            fail(QStringLiteral("%1 is in use by another program").arg(m_path));
            return;
        }
    }
    if (!deleteFiles()) {
        fail(QStringLiteral("%1 cannot be replaced").arg(m_path));
        return;
    }
    {
        QMutexLocker pending(&m_pendingLock);
        m_nextSlot = kFirstSlot;
    }
    if (openLocked())
        m_modified = true; // so the next commit writes the counter
}
