#pragma once
// The one view of the collage document: the canvas on the screen. It owns
// the mapping between canvas units and pixels (CViewCoords, with the origin
// kept in step with the document's canvas position), a back buffer into
// which the canvas is rendered through the collage renderer and which is
// re-rendered only where something changed, the grey surround and the
// rulers, and the mouse: the pointer pipeline (fine-tune and snapping),
// hover with its handles, cursor and tool keys, the keyboard and the context
// menu. What a press, the moves and the release do is the mouse tools'
// (canvas/): the view picks the tool for each press and forwards to it,
// and is the tools' host.
//
// It owns the info-tip window: the tips its tools ask for point at the
// mouse, those broadcast on the bus's "Tip" channel at the canvas (or the
// widget they are about) and wait their turn. It also hears the dropper's
// changes on "Dropper", to paint its floating frame, and the cancel of the
// tool mode on "Application".
//
// The main window owns it as its central widget and offers it every
// command first (CCommandTarget). Commands it does not carry out itself
// (Remove Selected, Split Frame, Adjust Image Attributes, the frame
// commands of its context menu) it hands on through commandRequested().
// The document and the services outlive it. User-interface thread only.

#include "bandtool.h"
#include "canvastoolhost.h"
#include "collagedoc.h"
#include "commandtarget.h"
#include "framedragtool.h"
#include "frametargets.h"
#include "gridtargets.h"
#include "notificationbus.h"
#include "picinfomanager.h"
#include "viewcoords.h"
#include "viewdragtool.h"

#include <QBasicTimer>
#include <QImage>
#include <QRegion>
#include <QSet>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class CCollageRenderer;
class CInfoTipWindow;
class CRubberBand;
class CSelection;
class CServices;
class CSnapSound;
class CSnapper;
class CSurface;
struct CSnapGuide;
class CUndo;
class QScrollBar;

class CCollageView : public QWidget,
                     public CCommandTarget,
                     public CDocObserver,
                     public CFrameObserver,
                     private CNotifyListener,
                     private CCanvasToolHost
{
    Q_OBJECT

public:
    static constexpr int kSettleTimerMs = 400;
    // Arrow keys pan the canvas by this many pixels, or the fine amount with Shift.
    static constexpr int kArrowPanPixels = 15;
    static constexpr int kFineArrowPanPixels = 5;
    // Shift divides the pointer's movement during a drag by this (not when rotating).
    static constexpr float kFineTuneDivisor = 10.0f;
    static constexpr QRgb kOuterLineColour = 0xFFB0B0B0;
    static constexpr QRgb kSurroundColour = 0xFF808080;
    // Grid lines: dark enough to show on the light default canvas, faint
    // enough to leave the photos readable beneath them.
    static constexpr QRgb kGridLineColour = 0x80505050;
    static constexpr const char* kWheelReversedSetting = "WheelRev";
    // One notch of a wheel; finer wheels add their parts up to it.
    static constexpr int kWheelStep = 120;
    static constexpr const char* kPanZoomTip = "Tip::PanZoomInfo";
    static constexpr const char* kHighQualityTip = "Tip::HighQuality";
    // The scroll bars reach this far beyond the canvas's edges, pixels.
    static constexpr int kScrollMarginPixels = 24;
    // The dropper's floating frame: the photo seen through, a dashed outline.
    static constexpr qreal kFloatingFrameOpacity = 0.7;
    static constexpr QRgb kFloatingFrameFill = 0xFF9AA4AE;
    static constexpr QRgb kFloatingFrameBorder = 0xFFFFFFFF;

    CCollageView(CCollageDoc& doc, CServices& services, QWidget* parent = nullptr);
    ~CCollageView() override;

    const CViewCoords& coords() const override { return m_coords; }
    int mode() const override { return m_mode; }
    bool isAutoMode() const { return m_autoMode; }
    int handle() const override { return m_handle; }
    bool isDragging() const { return m_dragging; }
    bool isZoomPending() const { return m_zoomPending; }
    // The effective mouse position (fine-tuned and snapped), canvas units.
    QPointF mousePosition() const { return m_effective; }
    // The frame the mouse is over, or null.
    CPicInfo* hoveredFrame() const { return live(m_hovered); }
    // Selects a tool as a command does (auto mode off).
    void setMode(int mode);

    // The page-orientation click (handle 19) turns each selected printer
    // page with this, all inside one undo group. Printing supplies it; with
    // none the click does nothing.
    // A left click of the dropper tool places the dropper's photo of that
    // path at the canvas point through this; with none it is placed here.
    void setDropperDrop(std::function<bool(const QString&, const QPointF&)> drop) { m_dropperDrop = std::move(drop); }
    // Where a photo picked up from a frame of a locked canvas may be let go:
    // given the release point (global pixels) and the frame, it takes the
    // photo and says so. With none, nothing is picked up.
    void setImageDropTarget(std::function<bool(const QPoint&, CPicInfo&)> target)
    {
        m_imageDropTarget = std::move(target);
    }
    bool isCarryingImage() const { return m_carriedImage.has_value(); }

    void setPageOrientationFlipper(std::function<bool(CPicInfo&)> flip)
    {
        m_frameTool.setPageOrientationFlipper(std::move(flip));
    }

    // What the back buffer holds and how much was rendered into it, for
    // tests and benchmarks.
    const QImage& backBuffer() const { return m_buffer; }
    // Shown while the canvas is larger than the view across (down).
    QScrollBar* horizontalScrollBar() const { return m_horizontal; }
    QScrollBar* verticalScrollBar() const { return m_vertical; }
    // The short click the sound system makes once at start-up, so that the
    // first snap pops at once.
    void playStartupSound();
    qint64 renderedPixels() const { return m_renderedPixels; }
    CInfoTipWindow* infoTips() const { return m_tips; }
    int snapSoundRequests() const;
    int startupSoundRequests() const;
    // Renders whatever is due into the back buffer now, as a paint would.
    void renderPending();

    // CCommandTarget
    bool onCommand(int id) override;
    std::optional<CCommandState> commandState(int id) const override;
    // CDocObserver. Hint 7's argument, when not 0, points to a QRectF in
    // canvas units; 0 re-renders the whole canvas.
    void onDocumentUpdate(int hint, qintptr argument) override;
    // CFrameObserver
    void frameChanged(quint32 frameId, const CCanvasRect& oldArea) override;
    void canvasChanged() override;

signals:
    // A tip the view or its tools ask for; the tip window shows it at the
    // mouse.
    void commandRequested(int id);
    void statusMessage(const QString& text);
    void infoTipRequested(const QString& key);
    void zoomChanged(float zoom);
    // Where the mouse points on the canvas (fine-tuned and snapped), canvas units.
    void pointerMoved(const QPointF& canvas);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    // The frame if it is still in the collection: remembered frames may
    // have been deleted since (the pointer is compared, never followed).
    CPicInfo* live(CPicInfo* frame) const { return m_frames.indexOf(frame) >= 0 ? frame : nullptr; }
    QSizeF canvasSize() const;
    void decoratePageSegments(CSurface& surface, const QRectF& clip);
    QRectF canvasRect() const { return QRectF(QPointF(0, 0), canvasSize()); }
    void syncOriginFromDocument();
    void setOrigin(const QPointF& origin);
    void zoomChangedTo();

    bool OnNotify(const CNotifyMessage& message) override;
    bool showPostedTip(const CNotifyMessage& message);

    // --- Back buffer and painting
    void ensureBuffer();
    void markDirty();
    void invalidateCanvasArea(const QRectF& canvas);
    void renderRect(const QRect& device);
    QRectF frameArea(const CPicInfo& frame) const;
    void decorate(QPainter& painter, const CPicInfo& frame);
    static void drawSnapGuide(QPainter& painter, const CSnapGuide& guide);

    // --- Zoom and view
    void zoomStep(bool zoomIn);
    void startZoomPending();
    void settleZoom();
    void resetZoom();
    void centerView();
    void showPanZoomTipIfClipped();
    void rebuildFrameState();
    void updateScrollBars();
    void scrolled(Qt::Orientation orientation, int value);

    // --- Mouse tools
    bool isHeld(int key) const { return m_keysDown.contains(key); }
    bool wheelReversed() const;
    bool shiftHeld() const { return m_modifiers & Qt::ShiftModifier; }
    bool ctrlHeld() const { return m_modifiers & Qt::ControlModifier; }
    bool altHeld() const { return m_modifiers & Qt::AltModifier; }
    void updatePosition(const QPointF& pixel);
    CToolPointer pointer() const { return {m_effective, m_pixel, m_modifiers}; }
    void hover();
    void updateCursor();
    void leftPress(const QPointF& pixel);
    CCanvasTool& toolForPress(const CPicInfo* frameUnderPointer);
    void leftRelease(const QPointF& pixel);
    void cancel();
    void cancelMode();
    // The dropper tool: a press drops or picks up; ESC or D leaves it.
    bool dropperPress(QMouseEvent* event);
    void leaveDropperTool();
    QRectF floatingFrameArea() const;
    void drawFloatingFrame(QPainter& painter);
    // CCanvasToolHost
    void pickUpImage(quint32 frameId) override;
    void finishCarry(const QPoint& global, bool cancelled);
    void returnToDefaultMode();
    void refreshGuides();

    // --- CCanvasToolHost
    void dragStarted() override;
    void dragFinished() override;
    void showInfoTip(const QString& key) override { emit infoTipRequested(key); }
    void showStatusMessage(const QString& catalogueKey) override;
    void clearStatusMessage() override;
    void requestCommand(int id) override { emit commandRequested(id); }
    void setFramesDragged(const std::vector<CPicInfo*>& frames, bool dragged) override;
    void repaintFrame(const CPicInfo& frame) override { invalidateCanvasArea(frameArea(frame)); }
    int maxSplitCount() const override;
    void splitSelectedFrames(const QSize& columnsAndRows) override;
    void panByPixels(const QPointF& pixels) override;
    void zoomByPixels(int pixels) override;
    void showBand(const QRect& band) override;
    void hideBand() override;

    CCollageDoc& m_doc;
    CServices& m_services;
    std::function<bool(const QString&, const QPointF&)> m_dropperDrop;
    std::function<bool(const QPoint&, CPicInfo&)> m_imageDropTarget;
    std::optional<quint32> m_carriedImage; // the frame whose photo is being carried
    QRectF m_floatingDrawn; // where the dropper's floating frame was last painted, pixels
    CPicInfoManager& m_frames;
    CSelection& m_selection;
    CUndo& m_undo;
    CSnapper& m_snapper;
    CCollageRenderer& m_renderer;
    CInfoTipWindow* m_tips; // a child

    CViewCoords m_coords;
    QImage m_buffer;
    bool m_dirty = true;
    bool m_inRender = false;
    QSize m_renderedSize; // the part of the buffer a full render covered
    QRegion m_stale; // device areas of the buffer to re-render before the next copy
    qint64 m_renderedPixels = 0;
    bool m_zoomPending = false;
    QBasicTimer m_settleTimer;

    CFrameSnapTargets m_frameTargets;
    CGridTargets m_gridTargets;
    CSnapSound* m_sound;
    QScrollBar* m_horizontal;
    QScrollBar* m_vertical;
    bool m_updatingScrollBars = false;

    // --- Interaction state
    int m_mode = 3;
    int m_modeKey = 'P';
    bool m_autoMode = true;
    int m_handle = 200;
    QSet<int> m_keysDown;
    Qt::KeyboardModifiers m_modifiers;
    bool m_pressed = false;
    bool m_dragging = false; // a tool's drag holds the pointer
    bool m_nudge = false;
    QPointF m_raw, m_fineTuned, m_effective;
    QPointF m_pixel;
    CPicInfo* m_hovered = nullptr;
    CRubberBand* m_band = nullptr;
    QRectF m_guideArea; // canvas units the snap guides were last drawn over
    int m_wheelDelta = 0; // wheel parts not yet making a step
    struct ChosenTool
    {
        int mode;
        int key;
        bool autoMode;
    };
    std::optional<ChosenTool> m_toolBeforeMiddlePan;

    // --- The mouse tools; the one that took the press has the gesture
    CFrameDragTool m_frameTool;
    CBandTool m_selectBandTool;
    CBandTool m_drawFrameTool;
    CViewDragTool m_panTool;
    CViewDragTool m_zoomTool;
    CCanvasTool* m_activeTool = nullptr;
};
