#pragma once
// The warning before a print or an export that some photos have too few
// pixels for the size they come out at: a photo's effective resolution is
// its pixels per inch of its image in the output (the image rectangle at
// the canvas's own size, times the page's scale when a page shrinks it).
// A photo whose file is missing counts with the copy kept in the project,
// which is what is printed.

#include "canvasunit.h"

#include <QRectF>
#include <QString>

#include <vector>

class CMessageCatalogue;
class CPicInfoManager;

struct CLowResolutionFrame
{
    quint32 id = 0;
    QString photoPath;
    // The lower of the two directions.
    double dotsPerInch = 0.0;
};

// A part of the canvas that is printed, and its scale on paper.
struct CPrintedArea
{
    QRectF area;
    qreal scale = 1.0;
};

namespace PrintResolution {

inline constexpr double kMinimumDpi = 150.0;
inline constexpr const char* kWarningKey = "LowResolution";

// The drawn photo frames that meet a printed area and would come out below
// `minimumDpi` there (at the largest scale of the areas they meet), in
// stacking order.
std::vector<CLowResolutionFrame> findLowResolutionFrames(const CPicInfoManager& frames,
                                                         const std::vector<CPrintedArea>& printed, CanvasUnit unit,
                                                         double minimumDpi = kMinimumDpi);

// The catalogue's "LowResolution" text: %1 one line per frame ("Frame 3:
// beach.jpg, 96 dpi"), %2 the minimum.
QString warningText(CMessageCatalogue& catalogue, const std::vector<CLowResolutionFrame>& frames,
                    double minimumDpi = kMinimumDpi);

} // namespace PrintResolution
