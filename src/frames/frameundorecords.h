#pragma once
// The undo payloads of the frame and collection setters. For each change
// one entry says which old value it records, how that value is laid out and
// which setter puts it back, so the record hook that writes a payload and
// the replay that reads it share one layout.

#include "picinfo.h"
#include "picinfomanager.h"

#include <QString>

class CArchive;

namespace FrameUndoRecords {

// Writes the frame id and the present value `change` is about to overwrite.
void writeFrameChange(CArchive& payload, const CPicInfo& frame, FrameChange change);
// Reads a payload writeFrameChange() wrote for `kind` and hands the stored
// value to the frame's setter, which records the value it overwrites. The
// whole payload is read before anything changes; a frame id that no longer
// exists changes nothing. False when `kind` names no frame change.
bool replayFrameChange(const QString& kind, CArchive& payload, CPicInfoManager& frames);

// The same for the collection's document-wide values, which carry no id.
void writeCollectionChange(CArchive& payload, const CPicInfoManager& frames, CollectionChange change);
bool replayCollectionChange(const QString& kind, CArchive& payload, CPicInfoManager& frames);

// One field of a record: written to a storing archive, read from a loading
// one. A record that transfers its fields in order states its layout once.
void transfer(CArchive& ar, bool& value);
void transfer(CArchive& ar, quint32& value);
void transfer(CArchive& ar, qint32& value);
void transfer(CArchive& ar, float& value);
void transfer(CArchive& ar, QString& value);
// Several fields, in their stored order.
template <class... Fields>
void transfer(CArchive& ar, Fields&... fields)
{
    (transfer(ar, fields), ...);
}

} // namespace FrameUndoRecords
