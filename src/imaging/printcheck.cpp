#include "printcheck.h"

#include "messagecatalogue.h"
#include "picinfomanager.h"

namespace {

QString key(const char* name) { return QString::fromLatin1(name); }

} // namespace

bool hasPrintableFrames(const CPicInfoManager& frames, const QSizeF& canvas)
{
    const QRectF area(QPointF(0, 0), canvas);
    for (const CPicInfo* frame : frames.framesInPlanes(CPicInfo::kPlanePhotos)) {
        const CCanvasRect& r = frame->frameRect();
        const QRectF placed = frame->placementTransform().mapRect(QRectF(0, 0, r.width, r.height));
        if (frames.isDrawn(*frame) && r.width > 0.0f && r.height > 0.0f && placed.intersects(area))
            return true;
    }
    return false;
}

CPrintCheck CheckBeforePrint(CPicInfoManager& frames, const QSizeF& canvas, const CPrintablePage& page,
                             CMessageCatalogue& catalogue, const CPrintCheckRequest& request)
{
    using Purpose = CPrintCheckRequest::Purpose;
    using Outcome = CPrintCheck::Outcome;
    const bool preview = request.purpose == Purpose::Preview;
    CPrintCheck check;
    if (!request.outputAvailable) {
        catalogue.show(key("NoPrinter"), preview ? MsgStyle::ErrorOk : MsgStyle::WarningOk);
        return check;
    }
    if (!hasPrintableFrames(frames, canvas)) {
        catalogue.show(key("NoPrintable"), MsgStyle::InfoOk);
        return check;
    }

    CPrintRegions regions(frames, canvas);
    if (!regions.hasRegions()) {
        const int portrait = regions.CreateRegions(page, false, true);
        const int landscape = regions.CreateRegions(page, true, true);
        const int fewer = std::min(portrait, landscape);
        if (preview) {
            if (catalogue.show(key("AutoPage"), MsgStyle::QuestionYesNo) != MsgButton::Yes)
                return check;
        } else if (fewer > 1 && request.confirm
                   && catalogue.show(key("NeedPages"), MsgStyle::QuestionYesNo) != MsgButton::Yes) {
            return check;
        }
        const int made = regions.CreateRegions(page, landscape < portrait, false);
        const bool hidden = (frames.visiblePlanes() & CPicInfo::kPlanePageSegments) == 0;
        if (made > 1 && hidden) {
            if (!preview) {
                check.outcome = Outcome::ShowPageSegments;
                return check;
            }
            check.previewAutoPageTip = true;
        }
    }
    check.outcome = Outcome::Print;
    return check;
}
