#include "fitrect.h"

#include "picinfoattr.h"

#include <algorithm>

namespace {

constexpr float kMinimumSide = 1.0f;

void fit(CCanvasRect& inner, const CCanvasRect& outer, FitOptions options)
{
    if (options.testFlag(FitOption::ShrinkOnly) && inner.width <= outer.width && inner.height <= outer.height)
        return;

    const bool scaling = options.testAnyFlags(FitOption::KeepInside | FitOption::Cover);
    const bool noAspect = outer.height == 0.0f || inner.width == 0.0f || inner.height == 0.0f;
    if (scaling && !(inner == outer) && !noAspect) {
        const float innerAspect = inner.width / inner.height;
        const float outerAspect = outer.width / outer.height;
        // Keeping inside, the relatively wider rectangle is bounded by the
        // outer width; covering, by the outer height.
        const bool cover = !options.testFlag(FitOption::KeepInside);
        const bool fitWidth = cover ? innerAspect < outerAspect : innerAspect > outerAspect;
        const bool fitHeight = cover ? innerAspect > outerAspect : innerAspect < outerAspect;
        if (fitWidth) {
            inner.height *= outer.width / inner.width;
            inner.width = outer.width;
        } else if (fitHeight) {
            inner.width *= outer.height / inner.height;
            inner.height = outer.height;
        } else {
            inner.width = outer.width;
            inner.height = outer.height;
        }
    }

    if (options.testFlag(FitOption::MinimumSizeOne)) {
        inner.width = std::max(inner.width, kMinimumSide);
        inner.height = std::max(inner.height, kMinimumSide);
    }

    if (options.testFlag(FitOption::AlignLeft))
        inner.x = outer.x;
    else if (options.testFlag(FitOption::AlignRight))
        inner.x = outer.x + outer.width - inner.width;
    else if (options.testFlag(FitOption::AlignHCentre))
        inner.x = outer.x + (outer.width - inner.width) / 2.0f;

    if (options.testFlag(FitOption::AlignTop))
        inner.y = outer.y;
    else if (options.testFlag(FitOption::AlignBottom))
        inner.y = outer.y + outer.height - inner.height;
    else if (options.testFlag(FitOption::AlignVCentre))
        inner.y = outer.y + (outer.height - inner.height) / 2.0f;
}

CCanvasRect toCanvasRect(const QRectF& rect)
{
    return {float(rect.x()), float(rect.y()), float(rect.width()), float(rect.height())};
}

} // namespace

void FitRect(CCanvasRect& inner, const CCanvasRect& outer, FitOptions options) { fit(inner, outer, options); }

void FitRect(QRectF& inner, const QRectF& outer, FitOptions options)
{
    CCanvasRect fitted = toCanvasRect(inner);
    fit(fitted, toCanvasRect(outer), options);
    inner = fitted.toRectF();
}
