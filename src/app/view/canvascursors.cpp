#include "canvascursors.h"

#include "dragmode.h"

#include <QHash>
#include <QPixmap>

namespace CanvasCursors {

namespace {

constexpr const char* kPrefix = ":/cursors/";

} // namespace

const char* resourceName(int cursorId)
{
    switch (cursorId) {
    case CursorId::OverFrame: return "IDC_MOVE";
    case CursorId::LockedFrame: return "IDC_PICKUP";
    case CursorId::PanImage: return "IDC_PANIMAGE";
    case CursorId::Rotate: return "IDC_ROTATE";
    case CursorId::Split: return "IDC_SPLIT";
    case CursorId::DrawFrame: return "IDC_DRAWFRAME";
    case CursorId::RubberBand: return "IDC_RUBBERBAND";
    case CursorId::PanCanvas: return "IDC_PANCANVAS";
    case CursorId::Crop: return "IDC_CROP";
    case CursorId::ZoomDrag: return "IDC_ZOOM";
    default: return nullptr;
    }
}

QCursor cursor(int cursorId)
{
    static QHash<int, QCursor> made;
    const auto found = made.constFind(cursorId);
    if (found != made.constEnd())
        return *found;
    const char* name = resourceName(cursorId);
    QPixmap picture;
    if (name)
        picture.load(QString::fromLatin1(kPrefix) + QString::fromLatin1(name) + QStringLiteral(".png"));
    // Without its picture a tool still shows a cursor: the arrow.
    const QCursor shown = picture.isNull() ? QCursor(Qt::ArrowCursor)
                                           : QCursor(picture, picture.width() / 2, picture.height() / 2);
    made.insert(cursorId, shown);
    return shown;
}

} // namespace CanvasCursors
