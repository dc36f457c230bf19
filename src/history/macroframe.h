#pragma once
// One recorded input event of a macro, kept as the 20-byte journal event
// record: message number, two parameters, time stamp and target window, each
// 32 bits. Message numbers and key codes are those of the Windows journal, so
// a macro recorded on one platform means the same on another.
//
// Owned by the CMacro that recorded it.

#include "archive.h"

#include <QByteArray>

struct CJournalEvent
{
    quint32 message = 0;
    quint32 paramL = 0; // keys: virtual-key and scan code; mouse: x
    quint32 paramH = 0; // keys: repeat count; mouse: y
    quint32 time = 0;   // milliseconds
    quint32 window = 0; // target window handle

    static constexpr int kRecordSize = 20;

    // The record exactly as stored: five little-endian 32-bit words.
    // Anything but exactly 20 bytes gives an all-zero event.
    QByteArray toBytes() const;
    static CJournalEvent fromBytes(const QByteArray& bytes);

    friend bool operator==(const CJournalEvent&, const CJournalEvent&) = default;
};

class CMacroFrame : public CSerializable
{
    OMBRAVELLE_DECLARE_SERIAL(CMacroFrame)

public:
    static constexpr quint16 kSchema = 1;

    CMacroFrame() = default;
    explicit CMacroFrame(const CJournalEvent& event)
        : m_event(event)
    {
    }

    const CJournalEvent& event() const { return m_event; }

    // The 20 bytes of the event, raw.
    void serialize(CArchive& ar) override;

private:
    CJournalEvent m_event;
};
