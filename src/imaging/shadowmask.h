#pragma once
// The soft drop shadow of a frame: its picture's alpha, blurred by four
// recursive smoothing passes (rows right to left, columns top to bottom,
// rows left to right, columns bottom to top) and thinned by a threshold in
// the first pass. How soft and how dark depends on the zoom band and on
// whether the picture carries transparency of its own.
//
// Pure functions; safe from any thread.

#include <QImage>
#include <QMutex>

#include <deque>
#include <vector>

struct CShadowBand
{
    // Each step stores v = (v × p + a × q) >> 15 with p + q = 32767, one
    // short of 1 << 15, so the running value always creeps downwards.
    int p = 0;
    int q = 0;
    // Subtracted in the first pass from a smoothed value that reaches it.
    int threshold = 0;

    static constexpr int kShift = 15;
    static constexpr int kWeightSum = 32767;
};

// The band for a zoom (the page scale) and a picture with or without
// transparency.
CShadowBand ShadowBandFor(float zoom, bool hasTransparency);

// The shadow of a frame picture: black, premultiplied ARGB, the picture's
// size, its alpha the smoothed alpha of the picture. Null for a null
// picture or when memory runs out.
QImage MakeShadowMask(const QImage& framePicture, float zoom, bool hasTransparency);

// Screen frames of one size cast the same shadow whenever their pictures
// have the same alpha, which is every opaque photo filling its frame: a
// collage of equal cells needs its shadow worked out once, not per frame.
// Remembers the last few masks with the alpha they came from and hands a
// shared copy back for a picture whose alpha matches byte for byte. Safe
// from any thread.
class CShadowMaskCache
{
public:
    static constexpr std::size_t kEntries = 8;

    QImage mask(const QImage& framePicture, float zoom, bool hasTransparency);
    void clear();

private:
    struct Entry
    {
        QSize size;
        CShadowBand band;
        std::vector<quint8> alpha;
        QImage mask;
    };
    QMutex m_lock; // held for the look-up and the store, not the work between
    std::deque<Entry> m_entries; // most recent first
};
