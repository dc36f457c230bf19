#pragma once
// One record of the undo history. A leaf holds the old state of one thing an
// editing operation changed, as an opaque snapshot written through an archive
// and tagged with a kind key and a display name. A group holds the records of
// one user action in recording order; a wrapper holds the single group that a
// drag produced in pending mode.
//
// Owned by CUndo (its lists, its open group) or by the group it belongs to.

#include "archive.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <vector>

class QBuffer;

class CUndoItem : public CSerializable
{
    OMBRAVELLE_DECLARE_SERIAL(CUndoItem)

public:
    static constexpr quint16 kSchema = 1;
    // Files before this document version do not store the compound byte.
    static constexpr int kCompoundByteVersion = 18;
    // The document version a leaf recorded in this run is laid out in: a
    // snapshot that embeds a frame record uses the current record layout.
    static constexpr int kCurrentSnapshotVersion = 23;

    // An empty group (or an item about to be read).
    CUndoItem();
    // A leaf of that kind, with its snapshot open for writing.
    CUndoItem(const QString& kind, const QString& displayName);
    ~CUndoItem() override;
    // A wrapper around `step`, with its kind and display name: how a step
    // recorded in pending mode becomes one undo step.
    static std::unique_ptr<CUndoItem> wrap(std::unique_ptr<CUndoItem> step);
    CUndoItem(const CUndoItem&) = delete;
    CUndoItem& operator=(const CUndoItem&) = delete;

    const QString& kind() const { return m_kind; }
    const QString& displayName() const { return m_displayName; }
    // An unnamed group takes the display name of its first record.
    void setDisplayName(const QString& name) { m_displayName = name; }

    bool isWrapper() const { return m_wrapper; }
    void setWrapper(bool wrapper) { m_wrapper = wrapper; }
    // A group: it has (or, read from a file, declared) sub-items. Appending
    // a sub-item makes any item compound, a wrapper included.
    bool isCompound() const { return m_compound; }

    const std::vector<std::unique_ptr<CUndoItem>>& subItems() const { return m_subItems; }
    void addSubItem(std::unique_ptr<CUndoItem> item);

    // The storing archive of the snapshot while the leaf is being filled;
    // null once it was closed. The archive writes through a 4096-byte buffer,
    // so the bytes reach snapshot() only at closeSnapshot().
    CArchive* snapshotWriter();
    // Rewinds the snapshot and opens a loading archive on it, valid until
    // closeSnapshot(). Its document version is the one of the file the item
    // was read from (kCurrentSnapshotVersion for a record made in this run),
    // because a snapshot that embeds a frame record is laid out as its
    // writer's version had it.
    CArchive& openSnapshotReader();
    // Flushes and closes whichever snapshot archive is open.
    void closeSnapshot();
    bool isSnapshotOpen() const { return m_snapshotArchive != nullptr; }
    // The recorded bytes; complete once the writer is closed.
    const QByteArray& snapshot() const { return m_snapshot; }
    int snapshotVersion() const { return m_snapshotVersion; }
    // Replaces a closed leaf's snapshot, laid out in `version`: how a
    // history read from an older file is brought to the current layout
    // (the file keeps no version per item, so a saved snapshot is read back
    // in the layout of the file it is saved in).
    void setSnapshot(const QByteArray& bytes, int version);

    // kind, display name, wrapper byte, compound byte (only from version
    // 18), the snapshot as u32 length and bytes (only for a plain leaf),
    // then the sub-items as an object list.
    void serialize(CArchive& ar) override;

private:
    void openSnapshot(CArchive::Mode mode);

    QString m_kind;
    QString m_displayName;
    QByteArray m_snapshot;
    // Exist only while the snapshot is open; a history of many thousand
    // steps keeps nothing but the bytes.
    std::unique_ptr<QBuffer> m_snapshotFile;
    std::unique_ptr<CArchive> m_snapshotArchive;
    int m_snapshotVersion = kCurrentSnapshotVersion;
    std::vector<std::unique_ptr<CUndoItem>> m_subItems;
    bool m_wrapper = false;
    bool m_compound = false;
};
