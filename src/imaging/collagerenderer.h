#pragma once
// The frame collection's draw operation: the canvas colour and every frame
// of the collection that a selector picks and the clip meets, in stacking
// order, onto a surface, for one render purpose. The canvas view draws
// through it, and so do export, printing, the images made for sending and
// collage-cli: there is no second renderer.
//
// Keeps the frames' cached pictures (through its frame renderer) and drops
// a frame's caches when the frame is deleted or hidden, and all of them
// when the collection is cleared. Output renders keep theirs only for the
// render (or the output session of a banded export).
//
// One per frame collection; user-interface thread only. The collection,
// photo images and progress must outlive it.

#include "framerenderer.h"
#include "picinfomanager.h"

#include <QRectF>
#include <QSizeF>

#include <functional>
#include <unordered_set>

class CPhotoImage;
class CProgress;
class CSurface;

// Which frames a draw takes.
class CFrameSelector
{
public:
    // Every frame the collection draws (shown, in a visible plane).
    static CFrameSelector all();
    // That frame only (when the collection draws it).
    static CFrameSelector only(const CPicInfo* frame);
    // The frames the predicate accepts (when the collection draws them).
    static CFrameSelector matching(std::function<bool(const CPicInfo&)> predicate);

    bool accepts(const CPicInfo& frame) const;

private:
    std::function<bool(const CPicInfo&)> m_accepts;
};

enum class DrawStatus {
    Done,
    // The user cancelled in the progress window.
    Cancelled,
    // An output render could not make a picture it needed.
    OutOfMemory,
};

class CCollageRenderer : public CFrameListListener
{
public:
    // The zoom override that keeps the surface's zoom.
    static constexpr float kKeepZoom = -1.0f;

    CCollageRenderer(CPicInfoManager& frames, CPhotoImage& images, CProgress* progress = nullptr);
    ~CCollageRenderer() override;
    CCollageRenderer(const CCollageRenderer&) = delete;
    CCollageRenderer& operator=(const CCollageRenderer&) = delete;

    CPicInfoManager& frames() const { return m_frames; }
    CFrameRenderer& frameRenderer() { return m_renderer; }

    // The document's full-resolution flag: frames draw from the photos
    // themselves, read at the size they are shown, rather than from the
    // working copies.
    void setFullResolution(bool on) { m_fullResolution = on; }
    bool fullResolution() const { return m_fullResolution; }
    // While a zoom is under way frames reuse their pictures at the new size;
    // turning it off leaves the next draw to rebuild them at full quality.
    void setRenderFast(bool on) { m_renderFast = on; }
    bool renderFast() const { return m_renderFast; }
    // The frames the mouse is moving or resizing: they draw fast, from the
    // working copy.
    void setDragged(const CPicInfo& frame, bool dragged);
    void clearDragged() { m_dragged.clear(); }
    // Selection decorations for the canvas render (see CFrameDrawContext).
    void setDecorator(std::function<void(QPainter&, const CPicInfo&)> decorate) { m_decorate = std::move(decorate); }
    void setPalette(const CRenderPalette& palette) { m_palette = palette; }
    const CRenderPalette& palette() const { return m_palette; }

    // The purpose of the render under way; Canvas outside a render.
    int purpose() const { return m_purpose; }

    // Draws onto the surface. `clip` is in canvas units and also clips the
    // drawing. A `zoomOverride` other than kKeepZoom draws at that zoom for
    // this call, scaling the surface's page set-up. Screen renders (Canvas,
    // Screen) first fill the clip with the canvas colour; the others leave
    // the background to their caller. Output purposes draw each frame with
    // the high-quality flag set. With `progress`, each frame with a photo
    // shows the photo's file name and advances the progress window, and a
    // cancel there stops the draw. With `force`, each frame's cached
    // pictures are rebuilt for this draw and again at the next.
    DrawStatus Draw(CSurface& surface, const QRectF& clip, const CFrameSelector& selector = CFrameSelector::all(),
                    float zoomOverride = kKeepZoom, int purpose = RenderPurpose::Canvas, bool progress = false,
                    bool force = false);

    // A banded output render: between begin and end, output caches outlive
    // each Draw (a frame's are dropped once a Draw's clip reaches below
    // it, as bands run top to bottom) and progress counts each frame once.
    // End drops the rest. With `pages`, the Draws are pages side by side
    // over that area, row by row: a frame is dropped once a clip reaches
    // both below it and to its right (or the area's right edge).
    void beginOutputSession(const QRectF& pages = QRectF());
    void endOutputSession();

    // Marks every frame's cached pictures for rebuilding (quality or
    // preview-quality changes).
    void invalidateAll();
    void releaseOutputCaches() { m_renderer.releaseOutputCaches(); }

    // CFrameListListener
    void frameRemoved(CPicInfo& frame) override;
    void frameHidden(CPicInfo& frame) override;
    void framesCleared() override;

private:
    CFrameDrawContext contextFor(QPainter& painter, float zoom, int purpose, const QRectF& clip) const;
    // The frames whose photos an output Draw of `clip` reads (`inClip` of
    // them), in the order it needs them, and in a banded session then those
    // the next Draws will need.
    std::vector<CPicInfo*> readOrder(const std::vector<CPicInfo*>& frames, const CFrameDrawContext& context,
                                     const QRectF& clip, std::size_t& inClip) const;
    // Whether no later Draw of the session meets a frame drawn within `bounds`.
    bool isLastClipFor(const QRectF& bounds, const QRectF& clip) const;

    CPicInfoManager& m_frames;
    CProgress* m_progress;
    CFrameRenderer m_renderer;
    bool m_fullResolution = false;
    bool m_renderFast = false;
    std::unordered_set<const CPicInfo*> m_dragged;
    std::function<void(QPainter&, const CPicInfo&)> m_decorate;
    CRenderPalette m_palette;
    int m_purpose = RenderPurpose::Canvas;
    bool m_session = false;
    QRectF m_sessionPages;
    std::unordered_set<const CPicInfo*> m_counted; // progress, per session
};

// The project's preview picture: the whole canvas fitted within side × side
// pixels (256 for the one a project stores), aspect kept, on the canvas
// colour; frames drawn without their photos when `asTemplate`. Null for a
// canvas without area.
inline constexpr int kPreviewSide = 256;
QImage renderPreview(const CPicInfoManager& frames, CPhotoImage& images, bool asTemplate, QSizeF canvas,
                     int side = kPreviewSide);
