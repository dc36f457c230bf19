#include "gridtargets.h"

#include "snapper.h"

#include <cmath>

namespace {

bool isSpacing(float spacing) { return std::isfinite(spacing) && spacing > 0.0f; }

} // namespace

CGridTargets::CGridTargets() = default;
CGridTargets::~CGridTargets() = default;

void CGridTargets::release() { m_targets.clear(); }

void CGridTargets::rebuild(CSnapper& snapper, bool showGrid, const QSizeF& canvas, float gridWidth,
                           float gridHeight)
{
    release();
    if (!showGrid)
        return;

    const bool columns = isSpacing(gridWidth);
    const bool rows = isSpacing(gridHeight);
    const float width = float(canvas.width());
    const float height = float(canvas.height());
    for (int k = 1; k <= kMaxMarkers; ++k) {
        const float x = columns ? float(k) * gridWidth : 0.0f;
        const float y = rows ? float(k) * gridHeight : 0.0f;
        if (!((columns && x <= width) || (rows && y <= height)))
            break;
        auto marker = std::make_unique<CSnapTarget>(x, y, CSnapLine::kTypeAlwaysActive);
        marker->setLineEnabled(SnapAxis::X, columns);
        marker->setLineEnabled(SnapAxis::Y, rows);
        snapper.Register(*marker);
        m_targets.push_back(std::move(marker));
    }
}

std::vector<QLineF> CGridTargets::markerLines(const QSizeF& canvas) const
{
    std::vector<QLineF> lines;
    for (const auto& marker : m_targets) {
        const CSnapLine& line = marker->vertical();
        if (line.isEnabled() && line.coordinate() <= canvas.width())
            lines.emplace_back(line.coordinate(), 0.0, line.coordinate(), canvas.height());
    }
    for (const auto& marker : m_targets) {
        const CSnapLine& line = marker->horizontal();
        if (line.isEnabled() && line.coordinate() <= canvas.height())
            lines.emplace_back(0.0, line.coordinate(), canvas.width(), line.coordinate());
    }
    return lines;
}
