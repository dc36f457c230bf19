#include "shadowplane.h"

#include "rendermemory.h"
#include "shadowmask.h"

#include <algorithm>
#include <cmath>

namespace {

// A faded edge is below this fraction of full strength.
constexpr double kFadedFraction = 1.0 / 255.0;
// Two more pixels, for the half-pixel enlargement and rounding.
constexpr int kMarginSlack = 2;
// The smoothing's running values reach their resting value within this
// many margins of an edge (they settle on whole numbers, so they stop
// moving rather than creep); the small rectangle keeps that much of every
// edge.
constexpr int kSettleMargins = 6;

QImage alphaOf(const QImage& mask)
{
    // The mask is black, so its alpha is all it holds.
    return mask.convertToFormat(QImage::Format_Alpha8);
}

} // namespace

int CShadowPlane::marginFor(float zoom, bool hasTransparency)
{
    const CShadowBand band = ShadowBandFor(zoom, hasTransparency);
    const double keep = double(band.p) / double(1 << CShadowBand::kShift);
    return int(std::ceil(std::log(kFadedFraction) / std::log(keep))) + kMarginSlack;
}

CShadowPlane CShadowPlane::fromPaddedPicture(const QImage& padded, float zoom, bool hasTransparency)
{
    CShadowPlane plane;
    const QImage mask = MakeShadowMask(padded, zoom, hasTransparency);
    if (mask.isNull())
        return plane;
    plane.m_mask = alphaOf(mask);
    plane.m_size = padded.size();
    return plane;
}

CShadowPlane CShadowPlane::forRectangle(QSize pictureSize, int margin, quint8 alpha, float zoom,
                                        bool hasTransparency)
{
    CShadowPlane plane;
    if (pictureSize.isEmpty() || margin < 0)
        return plane;
    const int settle = kSettleMargins * std::max(margin, 1);
    const int shortSide = 2 * settle + 1;
    const QSize shortPicture(std::min(pictureSize.width(), shortSide), std::min(pictureSize.height(), shortSide));

    QImage padded(shortPicture + QSize(2 * margin, 2 * margin), QImage::Format_ARGB32_Premultiplied);
    if (padded.isNull())
        return plane;
    padded.fill(Qt::transparent);
    const QRgb inside = qRgba(0, 0, 0, alpha);
    for (int y = 0; y < shortPicture.height(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(padded.scanLine(y + margin)) + margin;
        std::fill(line, line + shortPicture.width(), inside);
    }
    const QImage mask = MakeShadowMask(padded, zoom, hasTransparency);
    if (mask.isNull())
        return plane;
    plane.m_mask = alphaOf(mask);
    plane.m_size = pictureSize + QSize(2 * margin, 2 * margin);
    plane.m_repeats = true;
    plane.m_headX = pictureSize.width() > shortSide ? margin + settle : plane.m_size.width();
    plane.m_headY = pictureSize.height() > shortSide ? margin + settle : plane.m_size.height();
    return plane;
}

int CShadowPlane::sourceColumn(int x) const
{
    if (!m_repeats || x < m_headX)
        return x;
    const int tailStart = m_size.width() - (m_mask.width() - m_headX - 1);
    return x >= tailStart ? x - (m_size.width() - m_mask.width()) : m_headX;
}

int CShadowPlane::sourceRow(int y) const
{
    if (!m_repeats || y < m_headY)
        return y;
    const int tailStart = m_size.height() - (m_mask.height() - m_headY - 1);
    return y >= tailStart ? y - (m_size.height() - m_mask.height()) : m_headY;
}

QImage CShadowPlane::rows(int top, int count) const
{
    const int first = std::max(top, 0);
    const int last = std::min(top + count, m_size.height());
    if (isNull() || last <= first)
        return {};
    QImage out = RenderMemory::allocate(QSize(m_size.width(), last - first), QImage::Format_ARGB32_Premultiplied, false);
    if (out.isNull())
        return {};
    const int width = m_size.width();
    for (int y = first; y < last; ++y) {
        const uchar* in = m_mask.constScanLine(sourceRow(y));
        QRgb* line = reinterpret_cast<QRgb*>(out.scanLine(y - first));
        if (!m_repeats || m_headX >= width) {
            for (int x = 0; x < width; ++x)
                line[x] = QRgb(in[x]) << 24;
            continue;
        }
        const int tailLength = m_mask.width() - m_headX - 1;
        for (int x = 0; x < m_headX; ++x)
            line[x] = QRgb(in[x]) << 24;
        std::fill(line + m_headX, line + width - tailLength, QRgb(in[m_headX]) << 24);
        for (int i = 0; i < tailLength; ++i)
            line[width - tailLength + i] = QRgb(in[m_headX + 1 + i]) << 24;
    }
    return out;
}
