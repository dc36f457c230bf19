#pragma once
// The image attributes a frame carries: where the whole image lies in canvas
// units, and how it is toned (alpha, brightness, contrast, gamma), plus the
// description and link shown for it. A plain value record; the frame that
// holds it adds change tracking, flags and repainting on top.

#include "archive.h"

#include <QRectF>
#include <QString>

// A rectangle in canvas units as the model and the project file keep it:
// 32-bit floats, x and y of the top-left corner, then the size. Converted to
// qreal only for drawing.
struct CCanvasRect
{
    float x = 0.0f;
    float y = 0.0f;
    float width = 0.0f;
    float height = 0.0f;

    QRectF toRectF() const { return QRectF(x, y, width, height); }
    bool isEmpty() const { return !(width > 0.0f) || !(height > 0.0f); }

    void write(CArchive& ar) const;
    static CCanvasRect read(CArchive& ar);

    friend bool operator==(const CCanvasRect&, const CCanvasRect&) = default;
};

class CPicInfoAttr : public CSerializable
{
    OMBRAVELLE_DECLARE_SERIAL(CPicInfoAttr)

public:
    static constexpr quint16 kSchema = 7;

    static constexpr float kDefaultAlpha = 1.0f;
    static constexpr float kDefaultBrightness = 0.0f;
    static constexpr float kDefaultContrast = 1.0f;
    static constexpr float kDefaultGamma = 1.0f;

    static constexpr float kMinAlpha = 0.0f;
    static constexpr float kMaxAlpha = 1.0f;
    static constexpr float kMaxBrightness = 1.0f;
    // Contrast and gamma divide and raise; zero or less would blank the image.
    static constexpr float kMinContrast = 0.0001f;
    static constexpr float kMinGamma = 0.0001f;

    // The clamps every setter applies. A value that is not a number has no
    // sensible clamp and comes back as `fallback`.
    static float clampAlpha(float alpha, float fallback = kDefaultAlpha);
    static float clampBrightness(float brightness, float fallback = kDefaultBrightness);
    static float clampContrast(float contrast, float fallback = kDefaultContrast);
    static float clampGamma(float gamma, float fallback = kDefaultGamma);

    const CCanvasRect& imageRect() const { return m_imageRect; }
    float alpha() const { return m_alpha; }
    float brightness() const { return m_brightness; }
    float contrast() const { return m_contrast; }
    float gamma() const { return m_gamma; }
    const QString& description() const { return m_description; }
    const QString& link() const { return m_link; }

    // Setters clamp silently; see the clamp functions.
    void setImageRect(const CCanvasRect& rect) { m_imageRect = rect; }
    void setAlpha(float alpha) { m_alpha = clampAlpha(alpha, m_alpha); }
    void setBrightness(float brightness) { m_brightness = clampBrightness(brightness, m_brightness); }
    void setContrast(float contrast) { m_contrast = clampContrast(contrast, m_contrast); }
    void setGamma(float gamma) { m_gamma = clampGamma(gamma, m_gamma); }
    void setDescription(const QString& text) { m_description = text; }
    void setLink(const QString& link) { m_link = link; }

    // Back to every default.
    void reset();

    // Own record: f32 alpha, brightness, contrast, gamma, image x, y, width,
    // height, then string description and link. Values read are clamped like
    // set ones, so a damaged file cannot carry a negative gamma into drawing.
    void serialize(CArchive& ar) override;

    // Plain field comparison; the run-time identity does not take part.
    bool sameAs(const CPicInfoAttr& other) const;

    CPicInfoAttr() = default;
    CPicInfoAttr(const CPicInfoAttr&) = default;
    CPicInfoAttr& operator=(const CPicInfoAttr&) = default;

private:
    CCanvasRect m_imageRect;
    float m_alpha = kDefaultAlpha;
    float m_brightness = kDefaultBrightness;
    float m_contrast = kDefaultContrast;
    float m_gamma = kDefaultGamma;
    QString m_description;
    QString m_link;
};
