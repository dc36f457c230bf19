#pragma once
// Pulls the pointer during a drag so that an edge of the moving box lands
// exactly on a nearby snap line: an edge of another frame or a grid marker.
// A snap is sticky while the pointer stays within reach of its line.
//
// One per process, created at start-up after the settings store. It holds
// the candidate targets (not owned), the state of the current drag and the
// snap distance; the view decides whether to ask it at all ("SnapToFrames"
// and the Alt key) and plays the pop when a snap result asks for it. The
// "Snapper" section of a project is empty: nothing here is saved.

#include "snapsettings.h"
#include "snaptarget.h"

#include <QPointF>
#include <QRectF>

#include <map>
#include <vector>

class CPropManager;

// What one Snap() call did.
struct CSnapResult
{
    QPointF point;
    // Lines snapped to in this call that were not held before (0, 1 or 2).
    int newSnaps = 0;
    // A new snap happened while sound is allowed and "SnapSound" is on: the
    // view plays the pop (a pop already playing is not interrupted).
    bool popSound = false;
};

class CSnapper
{
public:
    // Edges of the moving box that may snap.
    static constexpr quint16 kEdgeLeft = 0x8000;
    static constexpr quint16 kEdgeRight = 0x4000;
    static constexpr quint16 kEdgeTop = 0x1000;
    static constexpr quint16 kEdgeBottom = 0x2000;
    static constexpr quint16 kAllEdges = 0xF000;

    // The snapped coordinate of an axis that holds no snap.
    static constexpr float kNoSnap = -1.0f;
    // The reach of a line, in screen pixels at the current zoom.
    static constexpr float kSnapPixels = 7.0f;
    // Until the view tells the zoom: one pixel at zoom 1 on a 96 dpi screen.
    static constexpr float kDefaultPixelSize = 1.0f / 96.0f;
    static constexpr quint32 kDefaultActiveTypes = CSnapLine::kTypeFrame;

    struct CurrentSnap
    {
        const CSnapTarget* target = nullptr;
        float snapped = kNoSnap; // the pointer coordinate that puts the edge on the line
    };

    // Registers the snapping and grid settings.
    explicit CSnapper(CPropManager& store);
    ~CSnapper();
    CSnapper(const CSnapper&) = delete;
    CSnapper& operator=(const CSnapper&) = delete;

    CSnapSettings& settings() { return m_settings; }
    const CSnapSettings& settings() const { return m_settings; }

    // Adds both lines of `target` to the candidates, after those already
    // there. A target registered with another snapper moves to this one;
    // registering twice changes nothing.
    void Register(CSnapTarget& target);
    // A current snap on the target is dropped.
    void Unregister(CSnapTarget& target);
    int candidateCount() const { return int(m_candidates.size()); }
    // The registered lines of one axis (vertical lines for X), sorted by
    // coordinate; lines with equal coordinates in registration order.
    const std::vector<const CSnapLine*>& candidateLines(SnapAxis axis) const;

    float snapDistance() const { return m_snapDistance; }
    // In canvas units. A negative or non-finite distance is refused.
    bool SetSnapDistance(float distance);
    // The distance for a zoom at which one screen pixel is `pixelSize` canvas units.
    static float snapDistanceForPixelSize(float pixelSize) { return pixelSize * kSnapPixels; }

    quint32 activeTypes() const { return m_activeTypes; }
    void SetActiveTypes(quint32 mask) { m_activeTypes = mask; }

    bool isSoundAllowed() const { return m_soundAllowed; }
    void setSoundAllowed(bool allowed) { m_soundAllowed = allowed; }

    // Starts a drag, unless one is active: `box` is the bounding box of what
    // moves, `edges` the kEdge bits that may snap (none means all four).
    void Begin(quint16 edges, const QPointF& pointer, const QRectF& box);
    // The pointer moved to `pointer`; unchanged when no drag is active.
    CSnapResult Snap(const QPointF& pointer);
    void End();

    bool isActive() const { return m_active; }
    quint16 activeEdges() const { return m_edges; }
    const CurrentSnap& currentSnap(SnapAxis axis) const { return axisState(axis).current; }
    // The moving box as the last Snap() placed it (the box given to Begin()
    // until then).
    QRectF snappedBox() const;

private:
    friend class CSnapTarget;

    struct AxisState
    {
        AxisState(quint16 nearEdgeBit, quint16 farEdgeBit)
            : nearEdge(nearEdgeBit)
            , farEdge(farEdgeBit)
        {
        }

        quint16 nearEdge; // left or top
        quint16 farEdge;  // right or bottom
        float nearOffset = 0.0f; // pointer − near edge
        float farOffset = 0.0f;  // far edge − pointer
        float lastPointer = 0.0f;
        float output = 0.0f;     // the coordinate the last Snap() returned
        CurrentSnap current;
    };

    AxisState& axisState(SnapAxis axis) { return axis == SnapAxis::X ? m_x : m_y; }
    const AxisState& axisState(SnapAxis axis) const { return axis == SnapAxis::X ? m_x : m_y; }

    bool isConsidered(const CSnapLine& line) const;
    // Where the pointer must be for an edge to lie on `line`, or false when
    // no allowed edge is within reach of it.
    bool testLine(const CSnapLine& line, const AxisState& axis, float pointer, float* snapped) const;
    // Sticky part and candidate pass of one axis; returns whether a new snap was made.
    bool snapAxis(SnapAxis axis, float pointer);
    void linesMoved() { m_linesSorted = false; }

    CSnapSettings m_settings;
    // Registration order: the key grows with every registration.
    std::map<quint64, CSnapTarget*> m_candidates;
    quint64 m_nextRegistration = 1;
    mutable std::vector<const CSnapLine*> m_sortedLines[2];
    mutable bool m_linesSorted = true;

    float m_snapDistance = snapDistanceForPixelSize(kDefaultPixelSize);
    quint32 m_activeTypes = kDefaultActiveTypes;
    bool m_soundAllowed = true;

    bool m_active = false;
    quint16 m_edges = 0;
    AxisState m_x{kEdgeLeft, kEdgeRight};
    AxisState m_y{kEdgeTop, kEdgeBottom};
};
