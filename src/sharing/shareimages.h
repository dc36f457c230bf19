#pragma once
// The images a shared collage is made of: the collage rendered into the box
// of the sharing settings with the map areas of its photo frames, and the
// scaled-down originals of its photos. They go through the same export and
// decoder as everything else that draws the collage.

#include "collagepages.h"
#include "imageexport.h"

#include <QSize>
#include <QSizeF>
#include <QString>

#include <optional>
#include <vector>

class CCollageRenderer;
class CPhotoImage;
class CPicInfo;
class CPicInfoManager;

namespace ShareImages {

// The canvas fitted inside the box, aspect kept, each side at least 1.
QSize fittedSize(QSizeF canvas, QSize box);

// The photo frames the collage image shows, in drawing order; their photo
// numbers are their places in this list, counting from 1.
std::vector<const CPicInfo*> photoFrames(const CPicInfoManager& frames);

// One area per photo frame, its corners mapped from the canvas (origin at
// 0, 0) to pixels of an image of `image` size.
std::vector<CMapArea> mapAreas(const std::vector<const CPicInfo*>& frames, QSizeF canvas, QSize image);

// Renders the whole canvas at `size` and saves it as JPEG.
CExportResult renderCollage(CCollageRenderer& renderer, const CExportCanvas& canvas, QSize size, int quality,
                            const QString& path);

// The frame's photo, turned as the photo is, scaled to fit the box, toned
// with the frame's adjustment unless it is neutral, saved as JPEG. Returns
// the pixel size written, or nothing when it could not be saved.
std::optional<QSize> writeOriginal(CPhotoImage& images, const CPicInfo& frame, QSize box, int quality,
                                   const QString& path);

// The navigation image as "PrevNext.jpg" at quality 100.
bool writeNavigationImage(const QString& path);

} // namespace ShareImages
