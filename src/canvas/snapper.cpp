#include "snapper.h"

#include <algorithm>
#include <cmath>

namespace {

int axisIndex(SnapAxis axis) { return axis == SnapAxis::X ? 0 : 1; }

// Orders lines by coordinate. A line whose coordinate is not a number goes
// last, so a damaged coordinate cannot break the sort.
bool lineBefore(const CSnapLine* a, const CSnapLine* b)
{
    const bool aNan = std::isnan(a->coordinate());
    const bool bNan = std::isnan(b->coordinate());
    if (aNan || bNan)
        return !aNan && bNan;
    return a->coordinate() < b->coordinate();
}

} // namespace

CSnapper::CSnapper(CPropManager& store)
    : m_settings(store)
{
}

CSnapper::~CSnapper()
{
    // Targets usually outlive the snapper only at shutdown; they must not
    // reach back into it from their destructors.
    for (auto& [key, target] : m_candidates) {
        target->m_snapper = nullptr;
        target->m_vertical.m_registered = false;
        target->m_horizontal.m_registered = false;
    }
}

void CSnapper::Register(CSnapTarget& target)
{
    if (target.m_snapper == this)
        return;
    if (target.m_snapper)
        target.m_snapper->Unregister(target);
    target.m_snapper = this;
    target.m_registration = m_nextRegistration++;
    target.m_vertical.m_registered = true;
    target.m_horizontal.m_registered = true;
    m_candidates.emplace(target.m_registration, &target);
    linesMoved();
}

void CSnapper::Unregister(CSnapTarget& target)
{
    if (target.m_snapper != this)
        return;
    m_candidates.erase(target.m_registration);
    target.m_snapper = nullptr;
    target.m_vertical.m_registered = false;
    target.m_horizontal.m_registered = false;
    for (AxisState* axis : {&m_x, &m_y}) {
        if (axis->current.target == &target)
            axis->current = CurrentSnap();
    }
    linesMoved();
}

const std::vector<const CSnapLine*>& CSnapper::candidateLines(SnapAxis axis) const
{
    if (!m_linesSorted) {
        for (auto& lines : m_sortedLines)
            lines.clear();
        for (const auto& [key, target] : m_candidates) {
            m_sortedLines[0].push_back(&target->vertical());
            m_sortedLines[1].push_back(&target->horizontal());
        }
        for (auto& lines : m_sortedLines)
            std::stable_sort(lines.begin(), lines.end(), lineBefore);
        m_linesSorted = true;
    }
    return m_sortedLines[axisIndex(axis)];
}

bool CSnapper::SetSnapDistance(float distance)
{
    if (!std::isfinite(distance) || distance < 0.0f)
        return false;
    m_snapDistance = distance;
    return true;
}

void CSnapper::Begin(quint16 edges, const QPointF& pointer, const QRectF& box)
{
    if (m_active)
        return;
    m_active = true;
    m_edges = edges & kAllEdges;
    if (m_edges == 0)
        m_edges = kAllEdges;

    const QRectF bounds = box.normalized();
    const auto start = [](AxisState& axis, float pointer, float nearEdge, float farEdge) {
        axis.lastPointer = pointer;
        axis.output = pointer;
        axis.nearOffset = pointer - nearEdge;
        axis.farOffset = farEdge - pointer;
        axis.current = CurrentSnap();
    };
    start(m_x, float(pointer.x()), float(bounds.left()), float(bounds.right()));
    start(m_y, float(pointer.y()), float(bounds.top()), float(bounds.bottom()));
}

CSnapResult CSnapper::Snap(const QPointF& pointer)
{
    CSnapResult result{pointer};
    if (!m_active)
        return result;

    const float x = float(pointer.x());
    const float y = float(pointer.y());
    result.newSnaps = int(snapAxis(SnapAxis::X, x)) + int(snapAxis(SnapAxis::Y, y));
    m_x.lastPointer = x;
    m_y.lastPointer = y;
    // An axis without a snap passes the pointer through untouched, not
    // rounded to the float the snap arithmetic works in.
    result.point = QPointF(m_x.current.target ? qreal(m_x.output) : pointer.x(),
                           m_y.current.target ? qreal(m_y.output) : pointer.y());

    // Read at the moment of the snap: the menu toggles the setting by name.
    if (result.newSnaps > 0 && m_soundAllowed && m_settings.snapSound.refresh())
        result.popSound = true;
    return result;
}

bool CSnapper::snapAxis(SnapAxis which, float pointer)
{
    AxisState& axis = axisState(which);
    axis.output = pointer;

    if (axis.current.target) {
        float snapped = kNoSnap;
        if (testLine(axis.current.target->line(which), axis, pointer, &snapped)) {
            axis.current.snapped = snapped;
            axis.output = snapped;
            return false;
        }
        axis.current = CurrentSnap();
    }

    for (const auto& [key, target] : m_candidates) {
        float snapped = kNoSnap;
        if (testLine(target->line(which), axis, pointer, &snapped)) {
            axis.current = CurrentSnap{target, snapped};
            axis.output = snapped;
            return true;
        }
    }
    return false;
}

void CSnapper::End()
{
    m_active = false;
    m_edges = 0;
}

QRectF CSnapper::snappedBox() const
{
    return QRectF(QPointF(m_x.output - m_x.nearOffset, m_y.output - m_y.nearOffset),
                  QPointF(m_x.output + m_x.farOffset, m_y.output + m_y.farOffset));
}

bool CSnapper::isConsidered(const CSnapLine& line) const
{
    return line.isEnabled() && line.isRegistered()
        && (line.type() == CSnapLine::kTypeAlwaysActive || (line.type() & m_activeTypes) != 0);
}

bool CSnapper::testLine(const CSnapLine& line, const AxisState& axis, float pointer, float* snapped) const
{
    if (!isConsidered(line))
        return false;
    const float c = line.coordinate();
    const auto tryFar = [&] {
        if ((m_edges & axis.farEdge) && std::fabs(pointer + axis.farOffset - c) <= m_snapDistance) {
            *snapped = c - axis.farOffset;
            return true;
        }
        return false;
    };
    const auto tryNear = [&] {
        if ((m_edges & axis.nearEdge) && std::fabs(pointer - axis.nearOffset - c) <= m_snapDistance) {
            *snapped = c + axis.nearOffset;
            return true;
        }
        return false;
    };
    // The edge that leads the movement meets a line first.
    const bool forwardOrStill = axis.lastPointer <= pointer;
    return forwardOrStill ? (tryFar() || tryNear()) : (tryNear() || tryFar());
}
