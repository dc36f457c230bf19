#include "frameundorecords.h"

#include "archive.h"
#include "frameops.h"

#include <algorithm>
#include <iterator>

namespace FrameUndoRecords {

void transfer(CArchive& ar, bool& value)
{
    if (ar.isStoring())
        ar.writeBool(value);
    else
        value = ar.readBool();
}

void transfer(CArchive& ar, quint32& value)
{
    if (ar.isStoring())
        ar.writeU32(value);
    else
        value = ar.readU32();
}

void transfer(CArchive& ar, qint32& value)
{
    if (ar.isStoring())
        ar.writeI32(value);
    else
        value = ar.readI32();
}

void transfer(CArchive& ar, float& value)
{
    if (ar.isStoring())
        ar.writeF32(value);
    else
        value = ar.readF32();
}

void transfer(CArchive& ar, QString& value)
{
    if (ar.isStoring())
        ar.writeString(value);
    else
        value = ar.readString();
}

namespace {

// An old value as a payload holds it; which members count depends on the
// change's layout.
struct OldValue
{
    bool flag = false;
    quint32 word = 0;
    float first = 0.0f;
    float second = 0.0f;
    QString text;
};

enum class Layout {
    Byte,         // flag
    Word,         // word
    Float,        // first
    TwoFloats,    // first, second: a position or a size
    String,       // text
    ByteAndIndex, // flag, word: shown, and the stacking index
};

void transferValue(CArchive& ar, Layout layout, OldValue& value)
{
    switch (layout) {
    case Layout::Byte: transfer(ar, value.flag); break;
    case Layout::Word: transfer(ar, value.word); break;
    case Layout::Float: transfer(ar, value.first); break;
    case Layout::TwoFloats:
        transfer(ar, value.first);
        transfer(ar, value.second);
        break;
    case Layout::String: transfer(ar, value.text); break;
    case Layout::ByteAndIndex:
        transfer(ar, value.flag);
        transfer(ar, value.word);
        break;
    }
}

// A change's layout, what the record hook captures before the change, and
// the setter a replay restores it with.
struct FrameEntry
{
    FrameChange change;
    Layout layout;
    void (*capture)(const CPicInfo&, OldValue&);
    void (*restore)(CPicInfo&, const OldValue&);
};

const FrameEntry kFrameEntries[] = {
    {FrameChange::DrawBorder, Layout::Byte, [](const CPicInfo& f, OldValue& v) { v.flag = f.drawsBorder(); },
     [](CPicInfo& f, const OldValue& v) { f.setDrawBorder(v.flag); }},
    {FrameChange::DrawShadow, Layout::Byte, [](const CPicInfo& f, OldValue& v) { v.flag = f.drawsShadow(); },
     [](CPicInfo& f, const OldValue& v) { f.setDrawShadow(v.flag); }},
    {FrameChange::PageLandscape, Layout::Byte, [](const CPicInfo& f, OldValue& v) { v.flag = f.isPageLandscape(); },
     [](CPicInfo& f, const OldValue& v) { f.setPageLandscape(v.flag); }},
    {FrameChange::ImageAlpha, Layout::Float, [](const CPicInfo& f, OldValue& v) { v.first = f.attributes().alpha(); },
     [](CPicInfo& f, const OldValue& v) { f.setAlpha(v.first); }},
    {FrameChange::ImageBrightness, Layout::Float,
     [](const CPicInfo& f, OldValue& v) { v.first = f.attributes().brightness(); },
     [](CPicInfo& f, const OldValue& v) { f.setBrightness(v.first); }},
    {FrameChange::ImageContrast, Layout::Float,
     [](const CPicInfo& f, OldValue& v) { v.first = f.attributes().contrast(); },
     [](CPicInfo& f, const OldValue& v) { f.setContrast(v.first); }},
    {FrameChange::ImageGamma, Layout::Float, [](const CPicInfo& f, OldValue& v) { v.first = f.attributes().gamma(); },
     [](CPicInfo& f, const OldValue& v) { f.setGamma(v.first); }},
    {FrameChange::ImageRotate, Layout::Float, [](const CPicInfo& f, OldValue& v) { v.first = f.rotation(); },
     [](CPicInfo& f, const OldValue& v) { f.setRotation(v.first); }},
    {FrameChange::ImageIntoFrame, Layout::String,
     [](const CPicInfo& f, OldValue& v) { v.text = f.recordedPhotoPath(); },
     [](CPicInfo& f, const OldValue& v) { f.restorePhoto(v.text, FrameChange::ImageIntoFrame); }},
    {FrameChange::RemoveImage, Layout::String, [](const CPicInfo& f, OldValue& v) { v.text = f.recordedPhotoPath(); },
     [](CPicInfo& f, const OldValue& v) { f.restorePhoto(v.text, FrameChange::RemoveImage); }},
    {FrameChange::NewDesc, Layout::String,
     [](const CPicInfo& f, OldValue& v) { v.text = f.attributes().description(); },
     [](CPicInfo& f, const OldValue& v) { f.setDescription(v.text); }},
    {FrameChange::NewLink, Layout::String, [](const CPicInfo& f, OldValue& v) { v.text = f.attributes().link(); },
     [](CPicInfo& f, const OldValue& v) { f.setLink(v.text); }},
    // Where the frame stood is stored but not replayed: showing it again
    // does not move it.
    {FrameChange::ShowFrame, Layout::ByteAndIndex,
     [](const CPicInfo& f, OldValue& v) {
         v.flag = f.isShown();
         v.word = f.manager() ? quint32(std::max(f.manager()->indexOf(&f), 0)) : 0;
     },
     [](CPicInfo& f, const OldValue& v) { f.setShown(v.flag); }},
    {FrameChange::FramePos, Layout::TwoFloats,
     [](const CPicInfo& f, OldValue& v) {
         v.first = f.frameRect().x;
         v.second = f.frameRect().y;
     },
     [](CPicInfo& f, const OldValue& v) { f.setFramePos(v.first, v.second); }},
    {FrameChange::FrameSize, Layout::TwoFloats,
     [](const CPicInfo& f, OldValue& v) {
         v.first = f.frameRect().width;
         v.second = f.frameRect().height;
     },
     [](CPicInfo& f, const OldValue& v) { f.setFrameSize(v.first, v.second); }},
    {FrameChange::ImagePos, Layout::TwoFloats,
     [](const CPicInfo& f, OldValue& v) {
         v.first = f.attributes().imageRect().x;
         v.second = f.attributes().imageRect().y;
     },
     [](CPicInfo& f, const OldValue& v) { f.setImagePos(v.first, v.second); }},
    {FrameChange::ImageSize, Layout::TwoFloats,
     [](const CPicInfo& f, OldValue& v) {
         v.first = f.attributes().imageRect().width;
         v.second = f.attributes().imageRect().height;
     },
     [](CPicInfo& f, const OldValue& v) { f.setImageSize(v.first, v.second); }},
};

struct CollectionEntry
{
    CollectionChange change;
    Layout layout;
    void (*capture)(const CPicInfoManager&, OldValue&);
    void (*restore)(CPicInfoManager&, const OldValue&);
};

const CollectionEntry kCollectionEntries[] = {
    {CollectionChange::LockFrames, Layout::Byte,
     [](const CPicInfoManager& m, OldValue& v) { v.flag = m.framesLocked(); },
     [](CPicInfoManager& m, const OldValue& v) { m.setFramesLocked(v.flag); }},
    // A replay switches only the planes the user can switch.
    {CollectionChange::ShowPlane, Layout::Word,
     [](const CPicInfoManager& m, OldValue& v) { v.word = m.visiblePlanes(); },
     [](CPicInfoManager& m, const OldValue& v) {
         m.setVisiblePlanes(CFrameOps::kShowPlaneReplayMask, v.word & CFrameOps::kShowPlaneReplayMask);
     }},
    {CollectionChange::CanvasColor, Layout::Word,
     [](const CPicInfoManager& m, OldValue& v) { v.word = m.canvasColour(); },
     [](CPicInfoManager& m, const OldValue& v) { m.setCanvasColour(v.word); }},
    {CollectionChange::CanvasColorToPrinter, Layout::Byte,
     [](const CPicInfoManager& m, OldValue& v) { v.flag = m.printsCanvasColour(); },
     [](CPicInfoManager& m, const OldValue& v) { m.setPrintCanvasColour(v.flag); }},
    {CollectionChange::HasBorder, Layout::Byte,
     [](const CPicInfoManager& m, OldValue& v) { v.flag = m.border().enabled; },
     [](CPicInfoManager& m, const OldValue& v) { m.setBorderEnabled(v.flag); }},
    {CollectionChange::HasShadow, Layout::Byte,
     [](const CPicInfoManager& m, OldValue& v) { v.flag = m.shadow().enabled; },
     [](CPicInfoManager& m, const OldValue& v) { m.setShadowEnabled(v.flag); }},
    {CollectionChange::BorderWidth, Layout::Float,
     [](const CPicInfoManager& m, OldValue& v) { v.first = m.border().width; },
     [](CPicInfoManager& m, const OldValue& v) { m.setBorderWidth(v.first); }},
    {CollectionChange::BorderColor, Layout::Word,
     [](const CPicInfoManager& m, OldValue& v) { v.word = m.border().colour; },
     [](CPicInfoManager& m, const OldValue& v) { m.setBorderColour(v.word); }},
};

template <class Entry, size_t N, class Change>
const Entry* entryFor(const Entry (&entries)[N], Change change)
{
    const auto found =
        std::find_if(std::begin(entries), std::end(entries), [&](const Entry& e) { return e.change == change; });
    return found == std::end(entries) ? nullptr : found;
}

template <class Entry, size_t N>
const Entry* entryFor(const Entry (&entries)[N], const QString& kind)
{
    const auto found = std::find_if(std::begin(entries), std::end(entries),
                                    [&](const Entry& e) { return kind == QLatin1String(actionKey(e.change)); });
    return found == std::end(entries) ? nullptr : found;
}

} // namespace

void writeFrameChange(CArchive& payload, const CPicInfo& frame, FrameChange change)
{
    const FrameEntry* entry = entryFor(kFrameEntries, change);
    if (!entry)
        return;
    quint32 id = frame.id();
    OldValue value;
    entry->capture(frame, value);
    transfer(payload, id);
    transferValue(payload, entry->layout, value);
}

bool replayFrameChange(const QString& kind, CArchive& payload, CPicInfoManager& frames)
{
    const FrameEntry* entry = entryFor(kFrameEntries, kind);
    if (!entry)
        return false;
    quint32 id = 0;
    OldValue value;
    transfer(payload, id);
    transferValue(payload, entry->layout, value);
    if (CPicInfo* frame = frames.findFrame(id))
        entry->restore(*frame, value);
    return true;
}

void writeCollectionChange(CArchive& payload, const CPicInfoManager& frames, CollectionChange change)
{
    const CollectionEntry* entry = entryFor(kCollectionEntries, change);
    if (!entry)
        return;
    OldValue value;
    entry->capture(frames, value);
    transferValue(payload, entry->layout, value);
}

bool replayCollectionChange(const QString& kind, CArchive& payload, CPicInfoManager& frames)
{
    const CollectionEntry* entry = entryFor(kCollectionEntries, kind);
    if (!entry)
        return false;
    OldValue value;
    transferValue(payload, entry->layout, value);
    entry->restore(frames, value);
    return true;
}

} // namespace FrameUndoRecords
