#pragma once
// The tone adjustment of a frame's image: alpha, brightness, contrast and
// gamma. Defined as a 5 × 5 colour matrix applied to each pixel as the row
// vector (r, g, b, a, 1) with channels in 0..1, then a gamma exponent on the
// colour channels. The matrix never mixes channels, so it is carried out
// through one 256-entry table for the colour channels and one for alpha,
// which give exactly what the matrix and the exponent say for every byte.
//
// Pure functions on images; safe from any thread.

#include <QImage>

#include <array>

class QPainter;
class QRectF;

struct CColourAdjustment
{
    static constexpr float kNeutralAlpha = 1.0f;
    static constexpr float kNeutralBrightness = 0.0f;
    static constexpr float kNeutralContrast = 1.0f;
    static constexpr float kNeutralGamma = 1.0f;

    float alpha = kNeutralAlpha;
    float brightness = kNeutralBrightness;
    float contrast = kNeutralContrast;
    float gamma = kNeutralGamma;

    // All four neutral: the image is drawn as it is.
    bool isNeutral() const;
};

class CColourMatrix
{
public:
    static constexpr int kSize = 5;
    // Added to the colour offset when brightness is exactly 0, so that an
    // adjustment of alpha alone still has a non-identity matrix.
    static constexpr float kZeroBrightnessNudge = 0.00001f;

    // All zeros except: contrast on the first three diagonal entries, alpha
    // on the fourth, 1 on the fifth, and in the last row the colour offset
    // t = brightness − (contrast − 1) / 2 (plus the nudge when brightness is
    // 0), so each colour becomes contrast × (c − 0.5) + 0.5 + brightness.
    static CColourMatrix forAdjustment(const CColourAdjustment& adjustment);

    float at(int row, int column) const { return m_m[row][column]; }

private:
    std::array<std::array<float, kSize>, kSize> m_m{};
};

class CColourLookup
{
public:
    explicit CColourLookup(const CColourAdjustment& adjustment);

    // Straight (not premultiplied) channel values in and out.
    quint8 colour(int value) const { return m_colour[value]; }
    quint8 alpha(int value) const { return m_alpha[value]; }

    // The adjusted copy of any image: premultiplied ARGB, the same size.
    QImage apply(const QImage& image) const;

private:
    std::array<quint8, 256> m_colour{};
    std::array<quint8, 256> m_alpha{};
};

// A new premultiplied ARGB bitmap of the image's size holding the adjusted
// image. With a neutral adjustment, a plain premultiplied copy.
QImage MakeAdjustedCopy(const QImage& image, const CColourAdjustment& adjustment);

// Draws the whole image into `target` (in the painter's world units) with
// the adjustment, scaled with the painter's render quality. A neutral
// adjustment draws the image untouched.
void DrawImageAdjusted(QPainter& painter, const QImage& image, const QRectF& target,
                       const CColourAdjustment& adjustment);
