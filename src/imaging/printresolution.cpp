#include "printresolution.h"

#include "messagecatalogue.h"
#include "photoitem.h"
#include "picinfomanager.h"

#include <QFileInfo>
#include <QStringList>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kCentimetresPerInch = 2.54;

// The pixels the print takes the photo from.
QSizeF printedPixels(const CPhotoItem& photo)
{
    if (photo.isMissing() && !photo.preview().isNull())
        return photo.preview().size();
    return QSizeF(photo.pixelWidth(), photo.pixelHeight());
}

} // namespace

namespace PrintResolution {

std::vector<CLowResolutionFrame> findLowResolutionFrames(const CPicInfoManager& frames,
                                                         const std::vector<CPrintedArea>& printed, CanvasUnit unit,
                                                         double minimumDpi)
{
    const double unitsPerInch = unit == CanvasUnit::Centimetre ? kCentimetresPerInch : 1.0;
    std::vector<CLowResolutionFrame> low;
    for (const CPicInfo* frame : frames.framesInPlanes(CPicInfo::kPlanePhotos)) {
        const CPhotoItem* photo = frame->photo();
        const CCanvasRect& image = frame->imageRect();
        const CCanvasRect& r = frame->frameRect();
        if (!photo || !frames.isDrawn(*frame) || !(image.width > 0.0f) || !(image.height > 0.0f))
            continue;
        const QSizeF pixels = printedPixels(*photo);
        if (pixels.isEmpty())
            continue; // never measured: nothing to say about it
        const QRectF placed = frame->placementTransform().mapRect(QRectF(0, 0, r.width, r.height));
        qreal scale = 0.0;
        for (const CPrintedArea& area : printed) {
            if (placed.intersects(area.area))
                scale = std::max(scale, area.scale);
        }
        if (scale <= 0.0)
            continue;
        const double inchesAcross = image.width / unitsPerInch * scale;
        const double inchesDown = image.height / unitsPerInch * scale;
        const double dpi = std::min(pixels.width() / inchesAcross, pixels.height() / inchesDown);
        if (dpi < minimumDpi)
            low.push_back({frame->id(), photo->path(), dpi});
    }
    return low;
}

QString warningText(CMessageCatalogue& catalogue, const std::vector<CLowResolutionFrame>& frames, double minimumDpi)
{
    QStringList lines;
    for (const CLowResolutionFrame& frame : frames) {
        // One pass: a file name may hold a percent sign of its own.
        lines << QStringLiteral("Frame %1: %2, %3 dpi")
                     .arg(QString::number(frame.id), QFileInfo(frame.photoPath).fileName(),
                          QString::number(int(std::floor(frame.dotsPerInch))));
    }
    return catalogue.text(QString::fromLatin1(kWarningKey))
        .arg(lines.join(QLatin1Char('\n')), QString::number(std::lround(minimumDpi)));
}

} // namespace PrintResolution
