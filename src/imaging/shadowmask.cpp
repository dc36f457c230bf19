#include "shadowmask.h"

#include <algorithm>
#include <new>
#include <vector>

namespace {

struct BandRow
{
    float fromZoom;
    CShadowBand opaque;
    CShadowBand transparent;
};

// Highest zoom first; the last row takes every zoom below 2 (and a zoom
// that is not a number).
constexpr BandRow kBands[] = {
    {4.0f, {26213, 6554, 74}, {26213, 6554, 4}},   // 0.8 / 0.2
    {3.0f, {23592, 9175, 67}, {23592, 9175, 12}},  // 0.72 / 0.28
    {2.5f, {20970, 11797, 65}, {20970, 11797, 8}}, // 0.64 / 0.36
    {2.0f, {21626, 11141, 60}, {21626, 11141, 4}}, // 0.66 / 0.34
};
constexpr CShadowBand kLowZoomOpaque{20970, 11797, 50};     // 0.64 / 0.36
constexpr CShadowBand kLowZoomTransparent{22281, 10486, 0}; // 0.68 / 0.32, no threshold

// `Rows` rows from `top`, walked side by side: each row is one chain of
// dependent steps, and several chains in flight hide each step's latency.
template <int Rows>
void smoothRowBlock(quint8* top, qsizetype stride, int width, bool leftwards, const CShadowBand& band, int threshold)
{
    const int firstColumn = leftwards ? width - 1 : 0;
    const int step = leftwards ? -1 : 1;
    // Held in locals: a store through a byte pointer could otherwise alias
    // them and force a reload every step.
    const int p = band.p;
    const int q = band.q;
    int running[Rows];
    for (int r = 0; r < Rows; ++r)
        running[r] = top[r * stride + firstColumn];
    for (int i = 0, x = firstColumn; i < width; ++i, x += step) {
        for (int r = 0; r < Rows; ++r) {
            const int value = (running[r] * p + top[r * stride + x] * q) >> CShadowBand::kShift;
            running[r] = value;
            top[r * stride + x] = quint8(value >= threshold ? value - threshold : value);
        }
    }
}

// Every row, right to left or left to right; the first pass also lowers
// what it stores by the threshold.
void smoothRows(std::vector<quint8>& alpha, int width, int height, bool leftwards, const CShadowBand& band,
                int threshold)
{
    constexpr int kRowsAtOnce = 4;
    int y = 0;
    for (; y + kRowsAtOnce <= height; y += kRowsAtOnce)
        smoothRowBlock<kRowsAtOnce>(alpha.data() + qsizetype(y) * width, width, width, leftwards, band, threshold);
    for (; y < height; ++y)
        smoothRowBlock<1>(alpha.data() + qsizetype(y) * width, width, width, leftwards, band, threshold);
}

// One step for a whole row of columns; `running` holds one value per
// column. Done in fixed groups of columns (and the pointers declared apart)
// so the compiler can work on a group per instruction.
void smoothColumnStep(quint8* __restrict row, int* __restrict running, int width, int p, int q)
{
    constexpr int kGroup = 16;
    int x = 0;
    for (; x + kGroup <= width; x += kGroup) {
        for (int k = 0; k < kGroup; ++k) {
            const int value = (running[x + k] * p + row[x + k] * q) >> CShadowBand::kShift;
            running[x + k] = value;
            row[x + k] = quint8(value);
        }
    }
    for (; x < width; ++x) {
        const int value = (running[x] * p + row[x] * q) >> CShadowBand::kShift;
        running[x] = value;
        row[x] = quint8(value);
    }
}

// Every column at once, walked a row at a time so memory is read in order.
void smoothColumns(std::vector<quint8>& alpha, int width, int height, bool downwards, const CShadowBand& band)
{
    const int firstRow = downwards ? 0 : height - 1;
    const int step = downwards ? 1 : -1;
    std::vector<int> running(alpha.begin() + qsizetype(firstRow) * width,
                             alpha.begin() + qsizetype(firstRow) * width + width);
    for (int i = 0, y = firstRow; i < height; ++i, y += step)
        smoothColumnStep(alpha.data() + qsizetype(y) * width, running.data(), width, band.p, band.q);
}

} // namespace

CShadowBand ShadowBandFor(float zoom, bool hasTransparency)
{
    for (const BandRow& row : kBands) {
        if (zoom >= row.fromZoom)
            return hasTransparency ? row.transparent : row.opaque;
    }
    return hasTransparency ? kLowZoomTransparent : kLowZoomOpaque;
}

namespace {

// Alpha alone is worked on: it is the same byte whether the picture is
// premultiplied or not. Empty when memory runs out.
std::vector<quint8> alphaOf(const QImage& framePicture)
{
    const int width = framePicture.width();
    const int height = framePicture.height();
    const QImage picture = framePicture.hasAlphaChannel()
        ? framePicture.convertToFormat(QImage::Format_ARGB32_Premultiplied)
        : QImage();
    std::vector<quint8> alpha;
    try {
        alpha.assign(qsizetype(width) * height, quint8(255));
    } catch (const std::bad_alloc&) {
        return {};
    }
    if (!picture.isNull()) {
        for (int y = 0; y < height; ++y) {
            const QRgb* in = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
            quint8* out = alpha.data() + qsizetype(y) * width;
            for (int x = 0; x < width; ++x)
                out[x] = quint8(qAlpha(in[x]));
        }
    }
    return alpha;
}

QImage shadowFromAlpha(std::vector<quint8> alpha, int width, int height, const CShadowBand& band)
{
    smoothRows(alpha, width, height, true, band, band.threshold);
    smoothColumns(alpha, width, height, true, band);
    smoothRows(alpha, width, height, false, band, 0);
    smoothColumns(alpha, width, height, false, band);

    // The shadow is black wherever it shows, so its colour channels are 0
    // and premultiplied and straight pixels are the same bytes.
    QImage shadow(width, height, QImage::Format_ARGB32_Premultiplied);
    if (shadow.isNull())
        return {};
    for (int y = 0; y < height; ++y) {
        const quint8* in = alpha.data() + qsizetype(y) * width;
        QRgb* out = reinterpret_cast<QRgb*>(shadow.scanLine(y));
        for (int x = 0; x < width; ++x)
            out[x] = QRgb(in[x]) << 24;
    }
    return shadow;
}

bool sameBand(const CShadowBand& a, const CShadowBand& b)
{
    return a.p == b.p && a.q == b.q && a.threshold == b.threshold;
}

} // namespace

QImage MakeShadowMask(const QImage& framePicture, float zoom, bool hasTransparency)
{
    if (framePicture.isNull())
        return {};
    std::vector<quint8> alpha = alphaOf(framePicture);
    if (alpha.empty())
        return {};
    return shadowFromAlpha(std::move(alpha), framePicture.width(), framePicture.height(),
                           ShadowBandFor(zoom, hasTransparency));
}

QImage CShadowMaskCache::mask(const QImage& framePicture, float zoom, bool hasTransparency)
{
    if (framePicture.isNull())
        return {};
    std::vector<quint8> alpha = alphaOf(framePicture);
    if (alpha.empty())
        return {};
    const CShadowBand band = ShadowBandFor(zoom, hasTransparency);
    const QSize size = framePicture.size();
    {
        QMutexLocker locker(&m_lock);
        for (auto entry = m_entries.begin(); entry != m_entries.end(); ++entry) {
            if (entry->size == size && sameBand(entry->band, band) && entry->alpha == alpha) {
                if (entry != m_entries.begin())
                    std::rotate(m_entries.begin(), entry, std::next(entry));
                return m_entries.front().mask;
            }
        }
    }
    QImage shadow = shadowFromAlpha(alpha, size.width(), size.height(), band);
    if (shadow.isNull())
        return shadow;
    QMutexLocker locker(&m_lock);
    if (m_entries.size() == kEntries)
        m_entries.pop_back();
    m_entries.push_front({size, band, std::move(alpha), shadow});
    return shadow;
}

void CShadowMaskCache::clear()
{
    QMutexLocker locker(&m_lock);
    m_entries.clear();
}
