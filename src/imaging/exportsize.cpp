#include "exportsize.h"

#include <QFileInfo>

#include <cmath>
#include <limits>

// ---------------------------------------------------------------------------
// CExportSize

CExportSize::CExportSize(float canvasWidth, float canvasHeight, CanvasUnit canvasUnit, ResolutionUnit resolutionUnit)
    : m_canvasWidth(canvasWidth)
    , m_canvasHeight(canvasHeight)
    , m_canvasUnit(canvasUnit)
    , m_unit(resolutionUnit)
{
}

void CExportSize::setWidthPixels(float cx)
{
    m_cx = cx;
    m_cy = (m_canvasHeight / m_canvasWidth) * cx;
    m_dpi = cx / canvasWidthInUnit();
}

void CExportSize::setHeightPixels(float cy)
{
    setWidthPixels((m_canvasWidth / m_canvasHeight) * cy);
    m_cy = cy; // as typed, not as it comes back through the width
}

void CExportSize::setResolution(float dpi)
{
    m_dpi = dpi;
    m_cx = canvasWidthInUnit() * dpi;
    m_cy = (m_canvasHeight / m_canvasWidth) * m_cx;
}

void CExportSize::setResolutionUnit(ResolutionUnit unit)
{
    if (unit == m_unit)
        return;
    m_unit = unit;
    // std::round rounds halves away from zero.
    m_cx = std::round(m_dpi * canvasWidthInUnit());
    m_cy = (m_canvasHeight / m_canvasWidth) * m_cx;
}

QString CExportSize::resolutionLabel() const
{
    return m_unit == ResolutionUnit::PerCentimetre ? QStringLiteral("Dots per cm:") : QStringLiteral("Dots per Inch:");
}

float CExportSize::dotsPerInch() const
{
    return m_unit == ResolutionUnit::PerCentimetre ? m_dpi * kCentimetresPerInch : m_dpi;
}

bool CExportSize::inRange() const
{
    const auto within = [](int value, int low, int high) { return value >= low && value <= high; };
    return within(widthField(), kMinPixels, kMaxPixels) && within(heightField(), kMinPixels, kMaxPixels)
        && within(resolutionField(), kMinResolution, kMaxResolution);
}

int CExportSize::truncated(float value)
{
    // Anything the field cannot show lands outside every accepted range.
    if (std::isnan(value))
        return 0;
    if (value >= float(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (value <= float(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return int(value);
}

float CExportSize::canvasWidthInUnit() const
{
    // Dividing rather than multiplying by the reciprocal keeps round numbers
    // round: 25.4 cm is exactly 10 inches in floats too.
    if (m_canvasUnit == CanvasUnit::Inch && m_unit == ResolutionUnit::PerCentimetre)
        return m_canvasWidth * kCentimetresPerInch;
    if (m_canvasUnit == CanvasUnit::Centimetre && m_unit == ResolutionUnit::PerInch)
        return m_canvasWidth / kCentimetresPerInch;
    return m_canvasWidth;
}

// ---------------------------------------------------------------------------
// ExportRules

namespace ExportRules {

namespace {

const QString kBadFileNameCharacters = QStringLiteral("\\/:*?");

struct QualityBand
{
    int below;
    const char* label;
};

constexpr QualityBand kQualityBands[] = {
    {10, "Extremely poor quality, Extremely small size"},
    {30, "Very poor quality, Small size"},
    {50, "Poor quality, Small size"},
    {70, "Good quality, Small size"},
    {90, "High quality, Medium size"},
};
constexpr const char* kTopQualityLabel = "Very high quality, Large size";

} // namespace

bool isBadFileName(const QString& fileName)
{
    for (QChar c : fileName) {
        if (kBadFileNameCharacters.contains(c))
            return true;
    }
    return false;
}

QString validate(const QString& folder, const QString& fileName, const CExportSize& size)
{
    if (folder.isEmpty())
        return QStringLiteral("ExportMissingDir");
    if (!QFileInfo(folder).isDir())
        return QStringLiteral("ExportNoDir");
    if (fileName.isEmpty())
        return QStringLiteral("ExportNoName");
    if (isBadFileName(fileName))
        return QStringLiteral("ExportBadName");
    if (!size.inRange())
        return QStringLiteral("ExportBadValues");
    return {};
}

QString withTypeExtension(const QString& fileName, const QStringList& typeExtensions)
{
    if (typeExtensions.isEmpty())
        return fileName;
    const QString suffix = QFileInfo(fileName).suffix();
    if (!suffix.isEmpty() && typeExtensions.contains(suffix, Qt::CaseInsensitive))
        return fileName;
    return fileName + QLatin1Char('.') + typeExtensions.first();
}

QString qualityLabel(int quality)
{
    for (const QualityBand& band : kQualityBands) {
        if (quality < band.below)
            return QString::fromLatin1(band.label);
    }
    return QString::fromLatin1(kTopQualityLabel);
}

} // namespace ExportRules
