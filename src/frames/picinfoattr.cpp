#include "picinfoattr.h"

#include <algorithm>
#include <cmath>

OMBRAVELLE_IMPLEMENT_SERIAL(CPicInfoAttr, CPicInfoAttr::kSchema)

void CCanvasRect::write(CArchive& ar) const
{
    ar.writeF32(x);
    ar.writeF32(y);
    ar.writeF32(width);
    ar.writeF32(height);
}

CCanvasRect CCanvasRect::read(CArchive& ar)
{
    CCanvasRect rect;
    rect.x = ar.readF32();
    rect.y = ar.readF32();
    rect.width = ar.readF32();
    rect.height = ar.readF32();
    return rect;
}

float CPicInfoAttr::clampAlpha(float alpha, float fallback)
{
    if (std::isnan(alpha))
        return fallback;
    return std::clamp(alpha, kMinAlpha, kMaxAlpha);
}

float CPicInfoAttr::clampBrightness(float brightness, float fallback)
{
    if (std::isnan(brightness))
        return fallback;
    return std::min(brightness, kMaxBrightness);
}

float CPicInfoAttr::clampContrast(float contrast, float fallback)
{
    if (std::isnan(contrast))
        return fallback;
    return std::max(contrast, kMinContrast);
}

float CPicInfoAttr::clampGamma(float gamma, float fallback)
{
    if (std::isnan(gamma))
        return fallback;
    return std::max(gamma, kMinGamma);
}

void CPicInfoAttr::reset() { *this = CPicInfoAttr(); }

bool CPicInfoAttr::sameAs(const CPicInfoAttr& other) const
{
    return m_imageRect == other.m_imageRect && m_alpha == other.m_alpha
        && m_brightness == other.m_brightness && m_contrast == other.m_contrast
        && m_gamma == other.m_gamma && m_description == other.m_description && m_link == other.m_link;
}

void CPicInfoAttr::serialize(CArchive& ar)
{
    if (ar.isStoring()) {
        ar.writeF32(m_alpha);
        ar.writeF32(m_brightness);
        ar.writeF32(m_contrast);
        ar.writeF32(m_gamma);
        m_imageRect.write(ar);
        ar.writeString(m_description);
        ar.writeString(m_link);
        return;
    }
    m_alpha = clampAlpha(ar.readF32());
    m_brightness = clampBrightness(ar.readF32());
    m_contrast = clampContrast(ar.readF32());
    m_gamma = clampGamma(ar.readF32());
    m_imageRect = CCanvasRect::read(ar);
    m_description = ar.readString();
    m_link = ar.readString();
}
