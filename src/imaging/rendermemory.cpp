#include "rendermemory.h"

#include <algorithm>
#include <cstdint>

#include <sys/mman.h>
#include <unistd.h>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

constexpr qint64 kMaxBitmapBytes = qint64(2) << 30;
constexpr qint64 kPhysicalShareDivisor = 2;
// The processor's large page, and the size below which a bitmap of its own
// pages is not worth a mapping.
constexpr std::size_t kLargePage = std::size_t(2) << 20;
constexpr qint64 kOwnMappingBytes = qint64(2 * kLargePage);

qint64 bytesPerLineOf(QSize size, QImage::Format format)
{
    const int depth = QImage::toPixelFormat(format).bitsPerPixel();
    // Rows are padded to 32 bits, as QImage lays them out.
    return ((qint64(size.width()) * depth + 31) / 32) * 4;
}

struct Mapping
{
    void* start = nullptr;
    std::size_t length = 0;
};

void unmap(void* info)
{
    const auto* mapping = static_cast<const Mapping*>(info);
    munmap(mapping->start, mapping->length);
    delete mapping;
}

// A bitmap on fresh zeroed pages of its own; null when the system has no
// room for it.
QImage mappedBitmap(QSize size, QImage::Format format)
{
    const qint64 bytesPerLine = bytesPerLineOf(size, format);
    const auto pageSize = std::size_t(sysconf(_SC_PAGESIZE));
    const std::size_t length = (std::size_t(bytesPerLine * size.height()) + pageSize - 1) / pageSize * pageSize;
    // Mapped a large page longer than needed and trimmed to an aligned start.
    void* raw = mmap(nullptr, length + kLargePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED)
        return {};
    const auto rawStart = reinterpret_cast<std::uintptr_t>(raw);
    const std::uintptr_t start = (rawStart + kLargePage - 1) & ~std::uintptr_t(kLargePage - 1);
    const std::size_t head = start - rawStart;
    if (head > 0)
        munmap(raw, head);
    munmap(reinterpret_cast<void*>(start + length), kLargePage - head);
    auto* mapping = new Mapping{reinterpret_cast<void*>(start), length};
#ifdef MADV_HUGEPAGE
    madvise(mapping->start, length, MADV_HUGEPAGE);
#endif
    QImage image(static_cast<uchar*>(mapping->start), size.width(), size.height(), qsizetype(bytesPerLine), format,
                 unmap, mapping);
    if (image.isNull())
        unmap(mapping);
    return image;
}

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
    return bytesPerLineOf(size, format) * size.height() <= bitmapBudgetBytes();
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

QImage allocateOwnPages(QSize size, QImage::Format format, bool clear)
{
    if (!fitsBudget(size, format) || bytesPerLineOf(size, format) * size.height() < kOwnMappingBytes)
        return allocate(size, format, clear);
    QImage image = mappedBitmap(size, format);
    // Fresh pages are zero, which is transparent black where there is an
    // alpha channel.
    if (clear && !image.isNull() && !image.hasAlphaChannel())
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
