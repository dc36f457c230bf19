#include "macroframe.h"

#include <QtEndian>

OMBRAVELLE_IMPLEMENT_SERIAL(CMacroFrame, CMacroFrame::kSchema)

namespace {
constexpr int kWordBytes = 4;
constexpr int kWords = CJournalEvent::kRecordSize / kWordBytes;
} // namespace

QByteArray CJournalEvent::toBytes() const
{
    QByteArray bytes(kRecordSize, Qt::Uninitialized);
    const quint32 words[] = {message, paramL, paramH, time, window};
    for (int i = 0; i < kWords; ++i)
        qToLittleEndian(words[i], bytes.data() + i * kWordBytes);
    return bytes;
}

CJournalEvent CJournalEvent::fromBytes(const QByteArray& bytes)
{
    if (bytes.size() != kRecordSize)
        return {};
    const auto word = [&bytes](int i) { return qFromLittleEndian<quint32>(bytes.constData() + i * kWordBytes); };
    CJournalEvent event;
    event.message = word(0);
    event.paramL = word(1);
    event.paramH = word(2);
    event.time = word(3);
    event.window = word(4);
    return event;
}

void CMacroFrame::serialize(CArchive& ar)
{
    if (ar.isStoring()) {
        const QByteArray bytes = m_event.toBytes();
        ar.writeRaw(bytes.constData(), bytes.size());
    } else {
        m_event = CJournalEvent::fromBytes(ar.readRaw(CJournalEvent::kRecordSize));
    }
}
