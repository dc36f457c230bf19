#include "shareimages.h"

#include "coloradjust.h"
#include "photoimage.h"
#include "photoitem.h"
#include "picinfo.h"
#include "picinfomanager.h"

#include <QImageWriter>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace ShareImages {

namespace {

constexpr int kNavigationQuality = 100;

bool saveJpeg(const QImage& image, const QString& path, int quality)
{
    QImageWriter writer(path, "jpeg");
    writer.setQuality(quality);
    return writer.write(image);
}

// JPEG keeps no alpha: a see-through photo is shown over white.
QImage opaque(const QImage& image)
{
    if (!image.hasAlphaChannel())
        return image;
    QImage flat(image.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    QPainter painter(&flat);
    painter.drawImage(0, 0, image);
    return flat;
}

} // namespace

QSize fittedSize(QSizeF canvas, QSize box)
{
    if (!(canvas.width() > 0) || !(canvas.height() > 0) || box.isEmpty())
        return {};
    const double scale = std::min(box.width() / canvas.width(), box.height() / canvas.height());
    return QSize(std::max(1, int(std::lround(canvas.width() * scale))),
                 std::max(1, int(std::lround(canvas.height() * scale))));
}

std::vector<const CPicInfo*> photoFrames(const CPicInfoManager& frames)
{
    std::vector<const CPicInfo*> result;
    for (const auto& frame : frames.frames()) {
        if (frame->photo() && frame->isInPlanes(CPicInfo::kPlanePhotos) && frames.isDrawn(*frame))
            result.push_back(frame.get());
    }
    return result;
}

std::vector<CMapArea> mapAreas(const std::vector<const CPicInfo*>& frames, QSizeF canvas, QSize image)
{
    std::vector<CMapArea> areas;
    if (!(canvas.width() > 0) || !(canvas.height() > 0))
        return areas;
    const double sx = image.width() / canvas.width();
    const double sy = image.height() / canvas.height();
    int number = 0;
    for (const CPicInfo* frame : frames) {
        CMapArea area;
        area.photoNumber = ++number;
        area.description = frame->attributes().description();
        area.link = frame->attributes().link();
        const QTransform placement = frame->placementTransform();
        const CCanvasRect& rect = frame->frameRect();
        const QPointF corners[] = {{0, 0}, {rect.width, 0}, {rect.width, rect.height}, {0, rect.height}};
        for (int i = 0; i < 4; ++i) {
            const QPointF onCanvas = placement.map(corners[i]);
            area.corners[size_t(i)] = QPointF(onCanvas.x() * sx, onCanvas.y() * sy);
        }
        areas.push_back(area);
    }
    return areas;
}

CExportResult renderCollage(CCollageRenderer& renderer, const CExportCanvas& canvas, QSize size, int quality,
                            const QString& path)
{
    CExportRequest request;
    request.path = path;
    request.type = QStringLiteral("jpg");
    request.quality = quality;
    request.width = size.width();
    request.height = size.height();
    request.dotsPerInch = canvas.width > 0 ? float(size.width()) / canvas.width : 96.0f;
    request.purpose = RenderPurpose::Send;
    return ExportImage(renderer, canvas, request);
}

std::optional<QSize> writeOriginal(CPhotoImage& images, const CPicInfo& frame, QSize box, int quality,
                                   const QString& path)
{
    CPhotoItem* photo = frame.photo();
    if (!photo)
        return std::nullopt;
    const int turns = ((photo->quarterTurns() % 4) + 4) % 4;
    // Fitted before it is turned: a quarter turn swaps the box too.
    const QSize uprightBox = turns % 2 ? box.transposed() : box;
    QImage image;
    if (std::optional<CDecodedPhoto> decoded = PhotoDecoder::decode(photo->path(), uprightBox))
        image = decoded->image;
    else
        image = images.LoadFullImage(*photo, false, false); // the stand-in of a missing photo
    if (image.isNull())
        return std::nullopt;
    const QSize fitted = PhotoDecoder::fittedSize(image.size(), uprightBox);
    if (fitted != image.size())
        image = image.scaled(fitted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    RotateQuarterTurns(&image, nullptr, 0, turns);
    const CPicInfoAttr& attributes = frame.attributes();
    CColourAdjustment adjustment;
    adjustment.alpha = attributes.alpha();
    adjustment.brightness = attributes.brightness();
    adjustment.contrast = attributes.contrast();
    adjustment.gamma = attributes.gamma();
    if (!adjustment.isNeutral())
        image = MakeAdjustedCopy(image, adjustment);
    image = opaque(image);
    if (!saveJpeg(image, path, quality))
        return std::nullopt;
    return image.size();
}

bool writeNavigationImage(const QString& path)
{
    const QImage image(QString::fromLatin1(CollagePageText::kNavigationImage));
    return !image.isNull() && saveJpeg(opaque(image), path, kNavigationQuality);
}

} // namespace ShareImages
