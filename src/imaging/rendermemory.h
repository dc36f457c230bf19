#pragma once
// How much memory one output bitmap may take. Asking the allocator is not
// enough: a 50,000 × 50,000 bitmap is 10 GB, which an overcommitting system
// hands out and then kills the process for touching. So bitmaps for output
// are measured against a budget before they are made.

#include <QImage>
#include <QSize>

namespace RenderMemory {

// At most 2 GiB, and at most half the physical memory.
qint64 bitmapBudgetBytes();

// Whether a bitmap of that size and format stays within the budget.
bool fitsBudget(QSize size, QImage::Format format);

// A bitmap of that size and format, cleared to transparent black unless
// the caller writes every pixel itself; null when it does not fit the
// budget or the allocation fails.
QImage allocate(QSize size, QImage::Format format, bool clear = true);

// The same, on zeroed pages of its own rather than from the heap: for a
// large bitmap that lives while many others come and go (a decoded photo,
// an export's band). Walked row by row, it would take thousands of small
// pages, each faulted in and zeroed on its own, and the heap would keep its
// memory after it has gone; its own mapping is aligned to the processor's
// large pages and asks the system for them. Transient bitmaps are better
// served by the heap, which hands the same memory out again.
QImage allocateOwnPages(QSize size, QImage::Format format, bool clear = true);

// Makes every thread allocate from one heap. Photos are read on worker
// threads and freed on the main one; with a heap per thread the memory they
// leave is kept by the reading thread's heap rather than reused for the
// next bitmap, and an export's peak grows by tens of megabytes. Call first
// thing in main(), before any thread starts.
void shareOneHeap();

} // namespace RenderMemory
