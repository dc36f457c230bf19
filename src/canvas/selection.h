#pragma once
// The one set of selected frames of the canvas, in the order they were
// selected. The mouse tools apply a drag to every selected frame in that
// order, the frame commands act on it, and the navigation commands step
// through the canvas with it.
//
// One instance for the process, owned by the services. It is made before
// the frame collection (the services' start-up order) and attached to it
// once that exists. It holds references only, never frames: the collection
// tells it when a frame is deleted or hidden or every frame goes, and the
// document clears it before it clears the frames. The selected mark and the
// focus mark live here rather than in the frames' flags, which are saved
// with the project. User-interface thread only.

#include "picinfomanager.h"

#include <QPointF>
#include <QRectF>
#include <QSet>

#include <functional>
#include <vector>

class CArchive;
class CUndo;

class CSelection : public CFrameListListener
{
public:
    static constexpr quint16 kSchema = 1;
    // Projects below this version stored a list of frame ids, read and dropped.
    static constexpr int kFirstVersionWithoutList = 14;

    // Flags of Add().
    enum AddFlag : unsigned {
        AddAlone = 0x0,      // with a selection, clear it first
        AddToggle = 0x1,     // an already selected frame is removed instead
        AddExtend = 0x2,     // add to what is selected (Shift)
        AddRubberBand = 0x10 // added by a rubber band
    };
    // Flags of SelectAtPoint(): Shift × 2 + Ctrl.
    enum ClickFlag : unsigned {
        ClickPlain = 0x0,
        ClickCtrl = 0x1,
        ClickShift = 0x2,
    };

    // Until it is attached to a frame collection nothing can be selected.
    explicit CSelection(CUndo& undo);
    CSelection(CUndo& undo, CPicInfoManager& frames);
    ~CSelection() override;
    CSelection(const CSelection&) = delete;
    CSelection& operator=(const CSelection&) = delete;

    // Listens to `frames` from now on (null: to none); the selection is emptied.
    void attach(CPicInfoManager* frames);
    CPicInfoManager* frameCollection() const { return m_collection; }

    int Count() const { return int(m_frames.size()); }
    bool IsEmpty() const { return m_frames.empty(); }
    bool IsSelected(const CPicInfo* frame) const;
    // The selected frames in selection order.
    const std::vector<CPicInfo*>& frames() const { return m_frames; }
    // Iteration in selection order; null at the end. Removing the frame the
    // cursor stands on keeps the cursor on the next one.
    CPicInfo* First();
    CPicInfo* Next();

    // The frame that carries the focus mark: a selected frame, or null.
    CPicInfo* focusFrame() const { return m_focus; }
    // Refused (returns false) for a frame that is not selected.
    bool setFocusFrame(CPicInfo* frame);

    // Whether the frame was added; see AddFlag. A frame the collection
    // excludes (not its own, hidden, or in a hidden plane) is refused.
    bool Add(CPicInfo* frame, unsigned flags);
    // Whether it was selected.
    bool Remove(CPicInfo* frame);
    // Every selected frame other than `keep` leaves the selection, inside
    // one undo group.
    void Clear(CPicInfo* keep = nullptr);

    // A left press at a canvas point with the modifier flags (ClickFlag).
    void SelectAtPoint(unsigned flags, const QPointF& point);
    // The release of a click that did not move.
    void ResolveClick(const QPointF& point);
    void ForgetPendingClick() { m_pendingSingleSelect = false; }
    bool hasPendingClick() const { return m_pendingSingleSelect; }
    QRectF rangeRect() const { return m_rangeRect; }

    // The union of the selected frames' rectangles (rotation ignored), or an
    // empty rectangle. `notPlainRectangle`, when given, tells whether the
    // selection is not a plain rectangle: some selected frame is rotated, or
    // the frames' union leaves gaps inside that bounding rectangle.
    QRectF BoundingBox(bool* notPlainRectangle = nullptr) const;

    // Every frame of the canvas that lies in `rect` is added with `flags`;
    // every other one is removed unless `flags` holds AddExtend.
    void SelectInRect(const QRectF& rect, unsigned flags);

    // Navigation commands. Each returns whether anything is selected afterwards.
    bool SelectAll();
    // The frame after (before) the first selected one in stacking order,
    // alone; from the last (first) frame, or with nothing selected, the
    // canvas's first (last) frame. Frames that cannot be selected are passed over.
    bool SelectNext();
    bool SelectPrevious();
    bool SelectFirst();
    bool SelectLast();

    // The frame collection's word: deleted and hidden frames leave the
    // selection; when every frame goes, so does the selection.
    void frameRemoved(CPicInfo& frame) override { Remove(&frame); }
    void frameHidden(CPicInfo& frame) override { Remove(&frame); }
    void framesCleared() override;

    // Told whenever a frame's selected mark changes, so that the view can
    // repaint it.
    using MarkListener = std::function<void(const CPicInfo& frame, bool selected)>;
    void setMarkListener(MarkListener listener) { m_markListener = std::move(listener); }

    // The "Selection" section: nothing is written; projects below version
    // 14 carry a list of frame ids (count, then u32 each), read and dropped.
    void serialize(CArchive& ar);

private:
    void append(CPicInfo* frame);
    void unmark(CPicInfo* frame);
    // Selects `frame` alone when it can be selected; otherwise clears.
    bool selectAlone(CPicInfo* frame);
    bool selectable(const CPicInfo& frame) const;
    void forgetAll();
    CPicInfo* firstSelectable(bool fromTop) const;
    CPicInfo* neighbourOfFirstSelected(int step) const;

    CPicInfoManager* m_collection = nullptr;
    CUndo& m_undo;

    CPicInfo* m_focus = nullptr;
    QPointF m_clickPoint;
    QRectF m_rangeRect;
    bool m_pendingSingleSelect = false;
    size_t m_cursor = 0;
    std::vector<CPicInfo*> m_frames;
    QSet<const CPicInfo*> m_members; // the same frames, for the membership test
    MarkListener m_markListener;
};
