#include "coloradjust.h"

#include "surfaces.h"

#include <QPainter>
#include <QRectF>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kChannelMax = 255;
constexpr int kAlphaRow = 3;
constexpr int kOffsetRow = 4;

quint8 toByte(double value)
{
    return quint8(std::lround(std::clamp(value, 0.0, 1.0) * kChannelMax));
}

bool hasPartialAlpha(const QImage& image)
{
    const int width = image.width();
    const int height = image.height();
    for (int y = 0; y < height; ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        quint32 all = 0xFF000000;
        for (int x = 0; x < width; ++x)
            all &= line[x];
        if ((all & 0xFF000000) != 0xFF000000)
            return true;
    }
    return false;
}

} // namespace

bool CColourAdjustment::isNeutral() const
{
    return alpha == kNeutralAlpha && brightness == kNeutralBrightness && contrast == kNeutralContrast
        && gamma == kNeutralGamma;
}

CColourMatrix CColourMatrix::forAdjustment(const CColourAdjustment& adjustment)
{
    CColourMatrix matrix;
    auto& m = matrix.m_m;
    const float contrast = adjustment.contrast;
    float offset = adjustment.brightness - (contrast - 1.0f) / 2.0f;
    if (adjustment.brightness == 0.0f)
        offset += kZeroBrightnessNudge;
    for (int channel = 0; channel < kAlphaRow; ++channel) {
        m[channel][channel] = contrast;
        m[kOffsetRow][channel] = offset;
    }
    m[kAlphaRow][kAlphaRow] = adjustment.alpha;
    m[kOffsetRow][kAlphaRow] = 0.0f;
    m[kOffsetRow][kOffsetRow] = 1.0f;
    return matrix;
}

CColourLookup::CColourLookup(const CColourAdjustment& adjustment)
{
    // Each output channel is its own input times the diagonal entry plus the
    // last row's entry; every other entry of the matrix is zero.
    const CColourMatrix matrix = CColourMatrix::forAdjustment(adjustment);
    const double scale = matrix.at(0, 0);
    const double offset = matrix.at(kOffsetRow, 0);
    const double alphaScale = matrix.at(kAlphaRow, kAlphaRow);
    const double alphaOffset = matrix.at(kOffsetRow, kAlphaRow);
    const double gamma = adjustment.gamma;
    for (int value = 0; value <= kChannelMax; ++value) {
        const double channel = double(value) / kChannelMax;
        const double colour = std::clamp(channel * scale + offset, 0.0, 1.0);
        m_colour[value] = toByte(std::pow(colour, gamma));
        m_alpha[value] = toByte(channel * alphaScale + alphaOffset);
    }
}

QImage CColourLookup::apply(const QImage& image) const
{
    if (image.isNull())
        return {};
    // The tables work on straight colour. A premultiplied source that is
    // opaque throughout (every working copy of a photo) already is; one with
    // partial alpha is brought back by Qt's vectorised conversion into the
    // result, which is then adjusted in place, pixel by pixel.
    QImage source = image;
    QImage result;
    const QImage::Format format = source.format();
    const bool inPlace = format == QImage::Format_ARGB32_Premultiplied && hasPartialAlpha(source);
    if (inPlace) {
        result = source.convertToFormat(QImage::Format_ARGB32);
        source = QImage(); // the result holds the only copy, so writing it copies nothing
    } else {
        if (format != QImage::Format_RGB32 && format != QImage::Format_ARGB32
            && format != QImage::Format_ARGB32_Premultiplied) {
            source = source.convertToFormat(source.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
        }
        result = QImage(source.size(), QImage::Format_ARGB32);
    }
    if ((!inPlace && source.isNull()) || result.isNull())
        return {}; // no memory for the copy
    result.setDotsPerMeterX(image.dotsPerMeterX());
    result.setDotsPerMeterY(image.dotsPerMeterY());

    // Each table shifted to its channel's place in the pixel word.
    std::array<quint32, 256> alphaBits{}, red{}, green{}, blue{};
    for (int value = 0; value <= kChannelMax; ++value) {
        alphaBits[value] = quint32(m_alpha[value]) << 24;
        red[value] = quint32(m_colour[value]) << 16;
        green[value] = quint32(m_colour[value]) << 8;
        blue[value] = m_colour[value];
    }
    const bool opaqueSource = !inPlace && source.format() == QImage::Format_RGB32;
    const int width = result.width();
    const int height = result.height();
    quint32 alphaSeen = 0xFF000000; // stays so only while every result pixel is opaque
    for (int y = 0; y < height; ++y) {
        QRgb* out = reinterpret_cast<QRgb*>(result.scanLine(y));
        const QRgb* in = inPlace ? out : reinterpret_cast<const QRgb*>(source.constScanLine(y));
        for (int x = 0; x < width; ++x) {
            const QRgb pixel = in[x];
            const quint32 alpha = alphaBits[opaqueSource ? kChannelMax : qAlpha(pixel)];
            alphaSeen &= alpha;
            out[x] = alpha | red[qRed(pixel)] | green[qGreen(pixel)] | blue[qBlue(pixel)];
        }
    }
    // Opaque pixels are the same bytes either way; anything else is
    // premultiplied, again by Qt's vectorised conversion, in place.
    if (alphaSeen == 0xFF000000)
        result.reinterpretAsFormat(QImage::Format_ARGB32_Premultiplied);
    else
        result.convertTo(QImage::Format_ARGB32_Premultiplied);
    return result;
}

QImage MakeAdjustedCopy(const QImage& image, const CColourAdjustment& adjustment)
{
    if (adjustment.isNeutral())
        return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    return CColourLookup(adjustment).apply(image);
}

void DrawImageAdjusted(QPainter& painter, const QImage& image, const QRectF& target,
                       const CColourAdjustment& adjustment)
{
    if (adjustment.isNeutral())
        DrawImageScaled(painter, target, image);
    else
        DrawImageScaled(painter, target, MakeAdjustedCopy(image, adjustment));
}
