#pragma once
// Something a dragged box can snap to: one vertical line (an x coordinate)
// and one horizontal line (a y coordinate) on the canvas, each with its own
// enabled flag and type.
//
// Owned by whoever puts it on the canvas (the frame targets, the grid); the
// snapper only points at registered targets. A target leaves its snapper
// when it is destroyed, and a snapper that goes first lets its targets go,
// so neither side is left with a dangling pointer.

#include <QtGlobal>

class CSnapper;
class CSnapTarget;

enum class SnapAxis { X, Y };

class CSnapLine
{
public:
    // Frame lines: considered while their bit is in the snapper's active types.
    static constexpr quint32 kTypeFrame = 1;
    // Considered whatever the active types are.
    static constexpr quint32 kTypeAlwaysActive = 2;

    float coordinate() const { return m_coordinate; }
    bool isEnabled() const { return m_enabled; }
    // Whether the snapper's candidate lists hold the line.
    bool isRegistered() const { return m_registered; }
    quint32 type() const { return m_type; }
    const CSnapTarget& target() const { return *m_target; }

private:
    friend class CSnapTarget;
    friend class CSnapper;

    const CSnapTarget* m_target = nullptr;
    float m_coordinate = 0.0f;
    bool m_enabled = true;
    bool m_registered = false;
    quint32 m_type = kTypeFrame;
};

class CSnapTarget
{
public:
    // x is the vertical line's coordinate, y the horizontal one's.
    CSnapTarget(float x, float y, quint32 type = CSnapLine::kTypeFrame);
    ~CSnapTarget();
    CSnapTarget(const CSnapTarget&) = delete;
    CSnapTarget& operator=(const CSnapTarget&) = delete;

    const CSnapLine& vertical() const { return m_vertical; }
    const CSnapLine& horizontal() const { return m_horizontal; }
    const CSnapLine& line(SnapAxis axis) const { return axis == SnapAxis::X ? m_vertical : m_horizontal; }

    void setCoordinates(float x, float y);
    // Both lines at once: a frame turns its target off while it is dragged.
    void setEnabled(bool enabled);
    void setLineEnabled(SnapAxis axis, bool enabled);

    bool isRegistered() const { return m_snapper != nullptr; }
    CSnapper* snapper() const { return m_snapper; }

private:
    friend class CSnapper;

    CSnapLine& mutableLine(SnapAxis axis) { return axis == SnapAxis::X ? m_vertical : m_horizontal; }

    CSnapLine m_vertical;
    CSnapLine m_horizontal;
    CSnapper* m_snapper = nullptr;
    // Position in the snapper's registration order.
    quint64 m_registration = 0;
};
