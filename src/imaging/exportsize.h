#pragma once
// What the export dialog asks before it renders: the pixel size and
// resolution kept in step with the canvas, the checks on the dialog's
// values in the order the user is told about them, the file extension rule
// and the words shown beside the quality. Plain values; no window, no
// rendering.

#include "surfaces.h"

#include <QString>
#include <QStringList>

enum class ResolutionUnit { PerInch = 0, PerCentimetre = 1 };

// Width CX and height CY in pixels and the resolution DPI, coupled through
// the canvas size so that the picture keeps the canvas's proportions. The
// working values are floats; the dialog's integer fields show their
// truncations, and the range checks apply to those.
class CExportSize
{
public:
    static constexpr int kMinPixels = 10;
    static constexpr int kMaxPixels = 50000;
    static constexpr int kMinResolution = 10;
    static constexpr int kMaxResolution = 60000;
    static constexpr float kCentimetresPerInch = 2.54f;

    // The canvas size in canvas units. Starts at CX = CY = DPI = 0 until a
    // value is set.
    CExportSize(float canvasWidth, float canvasHeight, CanvasUnit canvasUnit = CanvasUnit::Inch,
                ResolutionUnit resolutionUnit = ResolutionUnit::PerInch);

    // One per edited field: the other two follow.
    void setWidthPixels(float cx);
    void setHeightPixels(float cy);
    void setResolution(float dpi);
    // The resolution keeps its number but now counts per the new unit; CX
    // becomes the resolution times the canvas width in that unit, rounded
    // half away from zero, and CY follows CX.
    void setResolutionUnit(ResolutionUnit unit);

    float widthPixels() const { return m_cx; }
    float heightPixels() const { return m_cy; }
    float resolution() const { return m_dpi; }
    ResolutionUnit resolutionUnit() const { return m_unit; }

    // The dialog's integer fields.
    int widthField() const { return truncated(m_cx); }
    int heightField() const { return truncated(m_cy); }
    int resolutionField() const { return truncated(m_dpi); }

    // "Dots per Inch:" or "Dots per cm:".
    QString resolutionLabel() const;
    // The resolution to write into the file, which counts per inch.
    float dotsPerInch() const;

    // The fields are within 10 to 50,000 pixels and 10 to 60,000 dots.
    bool inRange() const;

private:
    static int truncated(float value);
    // The canvas width counted in the resolution's unit.
    float canvasWidthInUnit() const;

    float m_canvasWidth;
    float m_canvasHeight;
    CanvasUnit m_canvasUnit;
    ResolutionUnit m_unit;
    float m_cx = 0.0f;
    float m_cy = 0.0f;
    float m_dpi = 0.0f;
};

namespace ExportRules {

inline constexpr int kMinQuality = 0;
inline constexpr int kMaxQuality = 100;

// The characters a file name may not hold: \ / : * ?
bool isBadFileName(const QString& fileName);

// The dialog's checks in order; the catalogue key of the first that fails
// ("ExportMissingDir", "ExportNoDir", "ExportNoName", "ExportBadName",
// "ExportBadValues"), or empty when all pass. The quality is kept in range
// by its own edit box.
QString validate(const QString& folder, const QString& fileName, const CExportSize& size);

// The name as saved: the type's first extension is appended unless the name
// already ends with one of the type's extensions (letter case aside).
QString withTypeExtension(const QString& fileName, const QStringList& typeExtensions);

// The words beside the quality value.
QString qualityLabel(int quality);

} // namespace ExportRules
