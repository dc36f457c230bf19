#include "undoitem.h"

#include <QBuffer>

OMBRAVELLE_IMPLEMENT_SERIAL(CUndoItem, CUndoItem::kSchema)

CUndoItem::CUndoItem() = default;

CUndoItem::CUndoItem(const QString& kind, const QString& displayName)
    : m_kind(kind)
    , m_displayName(displayName)
{
    openSnapshot(CArchive::Mode::Store);
}

CUndoItem::~CUndoItem()
{
    // The archive refers to the buffer, which refers to the bytes: close in
    // that order.
    m_snapshotArchive.reset();
    m_snapshotFile.reset();
}

std::unique_ptr<CUndoItem> CUndoItem::wrap(std::unique_ptr<CUndoItem> step)
{
    if (!step)
        return nullptr;
    auto wrapper = std::make_unique<CUndoItem>();
    wrapper->m_kind = step->m_kind;
    wrapper->m_displayName = step->m_displayName;
    wrapper->m_wrapper = true;
    wrapper->addSubItem(std::move(step));
    return wrapper;
}

void CUndoItem::addSubItem(std::unique_ptr<CUndoItem> item)
{
    m_subItems.push_back(std::move(item));
    m_compound = true;
}

void CUndoItem::openSnapshot(CArchive::Mode mode)
{
    closeSnapshot();
    m_snapshotFile = std::make_unique<QBuffer>(&m_snapshot);
    m_snapshotFile->open(mode == CArchive::Mode::Store ? QIODevice::WriteOnly : QIODevice::ReadOnly);
    m_snapshotArchive = std::make_unique<CArchive>(m_snapshotFile.get(), mode);
    m_snapshotArchive->setDocumentVersion(m_snapshotVersion);
}

void CUndoItem::setSnapshot(const QByteArray& bytes, int version)
{
    closeSnapshot();
    m_snapshot = bytes;
    m_snapshotVersion = version;
}

CArchive* CUndoItem::snapshotWriter()
{
    return isSnapshotOpen() && m_snapshotArchive->isStoring() ? m_snapshotArchive.get() : nullptr;
}

CArchive& CUndoItem::openSnapshotReader()
{
    openSnapshot(CArchive::Mode::Load);
    return *m_snapshotArchive;
}

void CUndoItem::closeSnapshot()
{
    if (!m_snapshotArchive)
        return;
    if (m_snapshotArchive->isStoring())
        m_snapshotArchive->flush();
    m_snapshotArchive.reset();
    m_snapshotFile.reset();
}

void CUndoItem::serialize(CArchive& ar)
{
    if (ar.isStoring()) {
        // A leaf still being filled would lose its buffered tail.
        if (snapshotWriter())
            closeSnapshot();
        const bool compound = m_compound || !m_subItems.empty();
        ar.writeString(m_kind);
        ar.writeString(m_displayName);
        ar.writeBool(m_wrapper);
        ar.writeBool(compound);
        if (!m_wrapper && !compound)
            ar.writeBlob(m_snapshot);
        ar.writeCount(static_cast<quint32>(m_subItems.size()));
        for (const auto& item : m_subItems)
            ar.writeObject(item.get());
        return;
    }

    closeSnapshot();
    m_kind = ar.readString();
    m_displayName = ar.readString();
    m_wrapper = ar.readBool();
    const bool storesCompound = ar.documentVersion() >= kCompoundByteVersion;
    m_compound = storesCompound ? ar.readBool() : false;
    m_snapshot = (!m_wrapper && !m_compound) ? ar.readBlob() : QByteArray();
    m_snapshotVersion = ar.documentVersion();
    m_subItems = ar.readObjectList<CUndoItem>();
    // Older files leave the flag to be inferred; newer ones may declare it
    // for an item that happens to hold nothing, so it is only ever raised.
    if (!m_subItems.empty())
        m_compound = true;
}
