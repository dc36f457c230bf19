#include "imagedrop.h"

#include "collagedoc.h"
#include "frameops.h"
#include "imagetypes.h"
#include "messagecatalogue.h"
#include "myphotos.h"
#include "photoitem.h"
#include "picinfo.h"
#include "picinfomanager.h"
#include "selection.h"
#include "undo.h"

#include <QFileInfo>

#include <algorithm>
#include <cmath>

namespace {

QSizeF frameSizeFor(const CPhotoItem& photo)
{
    const float w = photo.pixelWidth();
    const float h = photo.pixelHeight();
    if (!(w > 0.0f) || !(h > 0.0f))
        return QSizeF(CImageDrop::kFrameLongSide, CImageDrop::kFrameLongSide);
    const float scale = CImageDrop::kFrameLongSide / std::max(w, h);
    return QSizeF(w * scale, h * scale);
}

// The top-left corner that centres a frame of `size` on `centre`, moved
// inside the canvas when the frame fits there.
QPointF placeInside(const QPointF& centre, const QSizeF& size, float canvasWidth, float canvasHeight)
{
    double x = centre.x() - size.width() / 2;
    double y = centre.y() - size.height() / 2;
    if (size.width() <= canvasWidth)
        x = std::clamp(x, 0.0, double(canvasWidth) - size.width());
    if (size.height() <= canvasHeight)
        y = std::clamp(y, 0.0, double(canvasHeight) - size.height());
    return QPointF(x, y);
}

} // namespace

CImageDrop::CImageDrop(CCollageDoc& doc)
    : m_doc(doc)
{
}

CImageDropResult CImageDrop::drop(const QStringList& paths, const QPointF& canvasPoint, Target target)
{
    CImageDropResult result;
    const float cw = m_doc.canvasWidth();
    const float ch = m_doc.canvasHeight();
    if (!std::isfinite(canvasPoint.x()) || !std::isfinite(canvasPoint.y()) || canvasPoint.x() < 0
        || canvasPoint.y() < 0 || canvasPoint.x() > cw || canvasPoint.y() > ch) {
        result.outsideCanvas = true;
        return result;
    }

    const CDocServices& services = m_doc.services();
    // Only files the collection accepts as photos and that decode become frames.
    std::vector<CPhotoItem*> photos;
    for (const QString& path : paths) {
        CPhotoItem* photo = nullptr;
        if (QFileInfo(path).isFile() && ImageTypes::isImage(path))
            photo = services.photos.FindPhoto(QFileInfo(path).absoluteFilePath(), true);
        if (photo && !photo->isInvalid())
            photos.push_back(photo);
        else
            result.refused << path;
    }
    if (photos.empty())
        return result;
    if (services.frames.freeFrameIds(CPicInfoManager::kPhotoPlaneNumber) < photos.size()) {
        result.frameIdsExhausted = true;
        return result;
    }

    std::vector<CPicInfo*> empty;
    if (target == Target::SelectedEmptyFrames) {
        for (CPicInfo* frame : services.selection.frames()) {
            if (!frame->photo() && frame->isInPlanes(CPicInfo::kPlanePhotos)
                && frame->hasPermission(CPicInfo::kPermissionSetPhoto))
                empty.push_back(frame);
        }
    }

    CFrameOps ops(services.frames);
    services.frames.holdRedraw();
    services.undo.Begin(QString::fromLatin1(CUndo::kDropImageGroup));
    std::vector<CPicInfo*> created;
    std::vector<CPicInfo*> filled;
    QPointF centre = canvasPoint;
    for (CPhotoItem* photo : photos) {
        if (filled.size() < empty.size()) {
            CPicInfo* frame = empty[filled.size()];
            frame->setPhoto(photo);
            filled.push_back(frame);
            continue;
        }
        const QSizeF size = frameSizeFor(*photo);
        const QPointF corner = placeInside(centre, size, cw, ch);
        const CCanvasRect rect{float(corner.x()), float(corner.y()), float(size.width()), float(size.height())};
        if (CPicInfo* frame = ops.createFrame(rect)) {
            frame->setPhoto(photo);
            created.push_back(frame);
        }
        centre += QPointF(kCascadeStep, kCascadeStep);
    }
    // The frames that took a photo end up selected, alone; inside the group
    // so that the drop stays one step whatever the selection records.
    created.insert(created.begin(), filled.begin(), filled.end());
    if (!created.empty()) {
        services.selection.Clear();
        for (CPicInfo* frame : created)
            services.selection.Add(frame, CSelection::AddExtend);
    }
    services.undo.Term();
    services.frames.releaseRedraw();

    result.framesFilled = int(filled.size());
    result.framesAdded = int(created.size() - filled.size());
    if (!created.empty()) {
        m_doc.setModified(true);
        m_doc.updateAllViews(DocHint::SelectionGeometry);
    }
    return result;
}

QString CImageDrop::refusalText(CMessageCatalogue& catalogue, const CImageDropResult& result)
{
    if (result.refused.isEmpty())
        return {};
    QStringList names;
    for (const QString& path : result.refused)
        names << QFileInfo(path).fileName();
    return catalogue.text(QStringLiteral("DropSkippedFiles")).arg(names.join(QLatin1Char('\n')));
}
