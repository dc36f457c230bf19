#include "rendermemory.h"

#include <algorithm>

#include <unistd.h>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

constexpr qint64 kMaxBitmapBytes = qint64(2) << 30;
constexpr qint64 kPhysicalShareDivisor = 2;

qint64 physicalMemoryBytes()
{
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0)
        return kMaxBitmapBytes * kPhysicalShareDivisor;
    return qint64(pages) * pageSize;
}

} // namespace

namespace RenderMemory {

qint64 bitmapBudgetBytes()
{
    static const qint64 budget = std::min(kMaxBitmapBytes, physicalMemoryBytes() / kPhysicalShareDivisor);
    return budget;
}

bool fitsBudget(QSize size, QImage::Format format)
{
    if (size.width() <= 0 || size.height() <= 0)
        return false;
    const int depth = QImage::toPixelFormat(format).bitsPerPixel();
    // Rows are padded to 32 bits, as QImage lays them out.
    const qint64 bytesPerLine = ((qint64(size.width()) * depth + 31) / 32) * 4;
    return bytesPerLine * size.height() <= bitmapBudgetBytes();
}

QImage allocate(QSize size, QImage::Format format, bool clear)
{
    if (!fitsBudget(size, format))
        return {};
    QImage image(size, format);
    if (clear && !image.isNull())
        image.fill(Qt::transparent);
    return image;
}

} // namespace RenderMemory

void RenderMemory::shareOneHeap()
{
#ifdef __GLIBC__
    mallopt(M_ARENA_MAX, 1);
#endif
}
