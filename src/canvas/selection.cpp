#include "selection.h"

#include "archive.h"
#include "framehittest.h"
#include "undo.h"

#include <algorithm>
#include <utility>

namespace {

// Smallest stored entry of the legacy list: one u32 frame id.
constexpr quint64 kLegacyEntryBytes = 4;

// Holds the frame collection's redraw for one scope; a null collection or
// an inactive hold does nothing.
class RedrawHold
{
public:
    explicit RedrawHold(CPicInfoManager* frames, bool active = true)
        : m_frames(active ? frames : nullptr)
    {
        if (m_frames)
            m_frames->holdRedraw();
    }
    ~RedrawHold()
    {
        if (m_frames)
            m_frames->releaseRedraw();
    }
    RedrawHold(const RedrawHold&) = delete;
    RedrawHold& operator=(const RedrawHold&) = delete;

private:
    CPicInfoManager* m_frames;
};

} // namespace

CSelection::CSelection(CUndo& undo)
    : m_undo(undo)
{
}

CSelection::CSelection(CUndo& undo, CPicInfoManager& frames)
    : CSelection(undo)
{
    attach(&frames);
}

CSelection::~CSelection() { attach(nullptr); }

void CSelection::attach(CPicInfoManager* frames)
{
    if (frames == m_collection)
        return;
    forgetAll();
    if (m_collection)
        m_collection->removeListListener(this);
    m_collection = frames;
    if (m_collection)
        m_collection->addListListener(this);
}

bool CSelection::IsSelected(const CPicInfo* frame) const { return frame && m_members.contains(frame); }

CPicInfo* CSelection::First()
{
    m_cursor = 0;
    return Next();
}

CPicInfo* CSelection::Next()
{
    if (m_cursor >= m_frames.size())
        return nullptr;
    return m_frames[m_cursor++];
}

bool CSelection::setFocusFrame(CPicInfo* frame)
{
    if (frame && !IsSelected(frame))
        return false;
    CPicInfo* previous = std::exchange(m_focus, frame);
    // Both frames stay selected; their marks change, so they are repainted.
    if (m_markListener && previous != frame) {
        if (previous)
            m_markListener(*previous, true);
        if (frame)
            m_markListener(*frame, true);
    }
    return true;
}

// ---------------------------------------------------------------------------

bool CSelection::selectable(const CPicInfo& frame) const
{
    return m_collection && isFrameSelectable(*m_collection, frame);
}

void CSelection::append(CPicInfo* frame)
{
    m_frames.push_back(frame);
    m_members.insert(frame);
    if (m_markListener)
        m_markListener(*frame, true);
}

void CSelection::unmark(CPicInfo* frame)
{
    if (frame == m_focus)
        m_focus = nullptr;
    if (m_markListener)
        m_markListener(*frame, false);
}

bool CSelection::Add(CPicInfo* frame, unsigned flags)
{
    if (!frame || !selectable(*frame))
        return false;
    if (flags == AddAlone && !m_frames.empty())
        Clear();
    if (IsSelected(frame)) {
        if (flags & AddToggle)
            Remove(frame);
        return false;
    }
    append(frame);
    return true;
}

bool CSelection::Remove(CPicInfo* frame)
{
    if (!IsSelected(frame))
        return false;
    const auto found = std::find(m_frames.begin(), m_frames.end(), frame);
    const size_t index = size_t(found - m_frames.begin());
    m_frames.erase(found);
    m_members.remove(frame);
    // An iteration over the selection goes on with the frame after it.
    if (index < m_cursor)
        --m_cursor;
    unmark(frame);
    return true;
}

void CSelection::Clear(CPicInfo* keep)
{
    CUndoGroup group(&m_undo);
    RedrawHold hold(m_collection, m_frames.size() > 1);
    const bool keeping = IsSelected(keep);
    std::vector<CPicInfo*> leaving;
    leaving.swap(m_frames);
    m_members.clear();
    m_cursor = 0;
    for (CPicInfo* frame : leaving) {
        if (frame != keep)
            unmark(frame);
    }
    if (keeping) {
        m_frames.push_back(keep);
        m_members.insert(keep);
    }
}

void CSelection::forgetAll()
{
    // The frames are going away: no marks to clear, nothing to record.
    m_frames.clear();
    m_members.clear();
    m_cursor = 0;
    m_focus = nullptr;
    m_pendingSingleSelect = false;
    m_rangeRect = QRectF();
}

void CSelection::framesCleared() { forgetAll(); }

// ---------------------------------------------------------------------------

void CSelection::SelectAtPoint(unsigned flags, const QPointF& point)
{
    if (!m_collection)
        return;
    CPicInfo* frame = frameAtPoint(*m_collection, point);

    if (flags == ClickPlain) {
        m_rangeRect = QRectF();
        if (!frame) {
            Clear();
        } else if (!IsSelected(frame)) {
            selectAlone(frame);
        } else if (m_frames.size() > 1) {
            // The whole selection may be dragged from here; only a release
            // without a move selects this frame alone (ResolveClick).
            m_clickPoint = point;
            m_pendingSingleSelect = true;
        }
        return;
    }
    if (!frame)
        return;

    if (flags & ClickShift) {
        RedrawHold hold(m_collection);
        if (m_rangeRect.isEmpty()) {
            if (m_frames.empty()) {
                selectAlone(frame);
                m_rangeRect = frame->frameRect().toRectF().normalized();
            } else {
                m_rangeRect = BoundingBox();
            }
        }
        const QRectF range = m_rangeRect.united(frame->frameRect().toRectF().normalized());
        Clear();
        SelectInRect(range, AddExtend);
        return;
    }

    if (flags & ClickCtrl) {
        if (IsSelected(frame))
            Remove(frame);
        else
            Add(frame, AddToggle);
    }
}

void CSelection::ResolveClick(const QPointF& point)
{
    if (m_pendingSingleSelect && point == m_clickPoint && m_frames.size() > 1 && m_collection) {
        if (CPicInfo* frame = frameAtPoint(*m_collection, point))
            selectAlone(frame);
    }
    m_pendingSingleSelect = false;
    m_rangeRect = QRectF();
}

QRectF CSelection::BoundingBox(bool* notPlainRectangle) const
{
    QRectF box;
    std::vector<QRectF> rects;
    rects.reserve(m_frames.size());
    bool rotated = false;
    for (const CPicInfo* frame : m_frames) {
        const QRectF rect = frame->frameRect().toRectF().normalized();
        // united() passes over rectangles without area; the box must not.
        if (rects.empty())
            box = rect;
        else
            box = QRectF(QPointF(std::min(box.left(), rect.left()), std::min(box.top(), rect.top())),
                         QPointF(std::max(box.right(), rect.right()), std::max(box.bottom(), rect.bottom())));
        rects.push_back(rect);
        rotated = rotated || frame->rotation() != 0.0f;
    }
    if (notPlainRectangle)
        *notPlainRectangle = rotated || !rectanglesFormOneRectangle(rects);
    return box;
}

void CSelection::SelectInRect(const QRectF& rect, unsigned flags)
{
    if (!m_collection)
        return;
    // Adding and removing never change the collection, so its list can be walked as it is.
    for (const auto& frame : m_collection->frames()) {
        if (frameLiesInRect(*frame, rect))
            Add(frame.get(), flags);
        else if (!(flags & AddExtend))
            Remove(frame.get());
    }
}

// ---------------------------------------------------------------------------

bool CSelection::selectAlone(CPicInfo* frame)
{
    if (!frame || !selectable(*frame)) {
        Clear();
        return false;
    }
    if (IsSelected(frame)) {
        Clear(frame);
        return true;
    }
    CUndoGroup group(&m_undo);
    Clear();
    append(frame);
    return true;
}

CPicInfo* CSelection::firstSelectable(bool fromTop) const
{
    if (!m_collection)
        return nullptr;
    const auto& list = m_collection->frames();
    if (fromTop) {
        for (auto it = list.rbegin(); it != list.rend(); ++it) {
            if (selectable(**it))
                return it->get();
        }
    } else {
        for (const auto& frame : list) {
            if (selectable(*frame))
                return frame.get();
        }
    }
    return nullptr;
}

CPicInfo* CSelection::neighbourOfFirstSelected(int step) const
{
    if (m_frames.empty() || !m_collection)
        return nullptr;
    const int start = m_collection->indexOf(m_frames.front());
    if (start < 0)
        return nullptr;
    for (int i = start + step; i >= 0 && i < m_collection->frameCount(); i += step) {
        CPicInfo* frame = m_collection->frameAt(i);
        if (selectable(*frame))
            return frame;
    }
    return nullptr;
}

bool CSelection::SelectAll()
{
    RedrawHold hold(m_collection);
    CUndoGroup group(&m_undo);
    Clear();
    if (m_collection) {
        for (const auto& frame : m_collection->frames())
            Add(frame.get(), AddExtend);
    }
    return !m_frames.empty();
}

bool CSelection::SelectNext()
{
    CPicInfo* next = neighbourOfFirstSelected(+1);
    return selectAlone(next ? next : firstSelectable(false));
}

bool CSelection::SelectPrevious()
{
    CPicInfo* previous = neighbourOfFirstSelected(-1);
    return selectAlone(previous ? previous : firstSelectable(true));
}

bool CSelection::SelectFirst() { return selectAlone(firstSelectable(false)); }

bool CSelection::SelectLast() { return selectAlone(firstSelectable(true)); }

// ---------------------------------------------------------------------------

void CSelection::serialize(CArchive& ar)
{
    if (ar.isStoring() || ar.documentVersion() >= kFirstVersionWithoutList)
        return;
    const quint32 count = ar.readCount();
    ar.checkCount(count, kLegacyEntryBytes);
    ar.skip(qint64(count) * qint64(kLegacyEntryBytes));
}
