#pragma once
// The grid markers the view snaps to: target k (k = 1, 2, ...) has its
// vertical line at k × grid width and its horizontal line at k × grid
// height, made for as long as either line still lies on the canvas. Both
// lines are always active, whatever line types the snapper considers.
//
// Owned by the view, which rebuilds them whenever it rebuilds its per-frame
// state; the markers are registered with the snapper while they live.

#include <QLineF>
#include <QSizeF>

#include <memory>
#include <vector>

class CSnapper;
class CSnapTarget;

class CGridTargets
{
public:
    // A spacing tiny against the canvas would otherwise make millions of
    // markers; nobody can see or use that many.
    static constexpr int kMaxMarkers = 10000;

    CGridTargets();
    ~CGridTargets();
    CGridTargets(const CGridTargets&) = delete;
    CGridTargets& operator=(const CGridTargets&) = delete;

    // Releases the old markers; then, when `showGrid`, makes the new ones,
    // enabled, and registers them with `snapper`. A spacing that is not a
    // positive number gives that axis no markers: its lines are made
    // disabled, and the other axis alone decides how many markers there are.
    void rebuild(CSnapper& snapper, bool showGrid, const QSizeF& canvas, float gridWidth, float gridHeight);
    void release();

    int count() const { return int(m_targets.size()); }
    const std::vector<std::unique_ptr<CSnapTarget>>& targets() const { return m_targets; }

    // The marker lines that lie on the canvas, each across the whole canvas:
    // what the view draws when "DrawGridLines" is on. Vertical lines first.
    std::vector<QLineF> markerLines(const QSizeF& canvas) const;

private:
    std::vector<std::unique_ptr<CSnapTarget>> m_targets;
};
