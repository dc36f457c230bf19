#pragma once
// The one collage document: canvas geometry, description and dates, the
// document flags and file version, and the settings it binds. It does not
// own the frames, dropper, undo history, macros or printer choice — those
// are process-wide services it coordinates: it clears them when a document
// closes and has them stream themselves when it saves and loads.
//
// Created once; new and open only change its contents. User-interface
// thread only.

#include "notificationbus.h"
#include "oledate.h"
#include "propbinding.h"
#include "undo.h"

#include <QString>

#include <vector>

class CMessageCatalogue;
class CMyPhotos;
class CPicDropper;
class CPicInfoManager;
class CPrinterChoice;
class CSelection;
class CProgress;
class CSnapper;
class CPropManager;
class CMacroManager;
class CPhotoImage;
class CCollageRenderer;
struct CExportCanvas;

// The numbered hints the document sends its views.
namespace DocHint {
inline constexpr int Generic = 0;
inline constexpr int EverythingChanged = 3;
inline constexpr int OriginChanged = 4;
inline constexpr int CenterView = 5;
inline constexpr int ResetView = 6;
inline constexpr int RegionChanged = 7;
inline constexpr int ReleaseFrameObjects = 8;
inline constexpr int FitToWindow = 10;
inline constexpr int OverlayChanged = 11;
inline constexpr int SelectionGeometry = 12;
inline constexpr int ZoomChanged = 13;
} // namespace DocHint

class CDocObserver
{
public:
    virtual ~CDocObserver() = default;
    virtual void onDocumentUpdate(int hint, qintptr argument) = 0;
};

// The services the document coordinates; all outlive it.
struct CDocServices
{
    CPropManager& settings;
    CMessageCatalogue& catalogue;
    CNotificationBus& bus;
    CProgress& progress;
    CMyPhotos& photos;
    CPicInfoManager& frames;
    CSnapper& snapper;
    CUndo& undo;
    CMacroManager& macros;
    CPicDropper& dropper;
    CPrinterChoice& printer;
    CSelection& selection;
    CPhotoImage& images;
    CCollageRenderer& renderer;
};

// Also the history's undo target: it replays the canvas kinds itself and
// forwards the frame and collection kinds to CFrameOps.
class CCollageDoc : public CNotifyListener, public CUndoTarget
{
public:
    static constexpr quint16 kFileVersion = 23;
    static constexpr float kDefaultCanvasLeft = 0.1f;
    static constexpr float kDefaultCanvasTop = 0.1f;
    static constexpr float kDefaultCanvasWidth = 10.0f;
    static constexpr float kDefaultCanvasHeight = 7.5f;
    static constexpr const char* kQuickStartFileName = "QuickStart.Collage";
    static constexpr const char* kExtension = ".Collage";

    // Undo action keys and names of the canvas itself.
    static constexpr const char* kCanvasSizeKey = "CanvasSize";
    static constexpr const char* kCanvasSizeName = "Change Canvas Size";
    static constexpr const char* kCanvasPosKey = "CanvasPos"; // replayed, never recorded by an edit

    // Edit > Undo / Redo texts; %s is the step's display name.
    static constexpr const char* kUndoMenuText = "&Undo (%s)\tCtrl+Z";
    static constexpr const char* kRedoMenuText = "&Redo (%s)\tCtrl+Y";
    static constexpr const char* kUndoMenuTextEmpty = "&Undo\tCtrl+Z";
    static constexpr const char* kRedoMenuTextEmpty = "&Redo\tCtrl+Y";
    static constexpr const char* kUndoToolTip = "\nUndo - %s (Ctrl+Z)";
    static constexpr const char* kNothingToUndo = "Nothing to Undo";

    enum Flag : quint16 {
        TemplateFlag = 0x1,
        QuickStartFlag = 0x2,
        HasMacrosFlag = 0x4,
        SpecialSaveFlag = 0x8,
    };

    enum class OpenResult { Opened, NotFound, Corrupt, NewerVersion, FormatError };
    enum class SaveResult { Saved, Failed };

    // Registers the document's settings (counting this start of the
    // program), listens on the "Doc" channel and becomes the undo history's
    // target.
    explicit CCollageDoc(const CDocServices& services);
    ~CCollageDoc() override;
    CCollageDoc(const CCollageDoc&) = delete;
    CCollageDoc& operator=(const CCollageDoc&) = delete;

    const CDocServices& services() const { return m_services; }

    // --- Canvas
    float canvasLeft() const { return m_canvasLeft; }
    float canvasTop() const { return m_canvasTop; }
    float canvasWidth() const { return m_canvasWidth; }
    float canvasHeight() const { return m_canvasHeight; }
    // Non-positive sizes are refused: the canvas always has an area.
    // Records "CanvasSize" with the old size when it changes.
    void setCanvasSize(float width, float height, bool tellViews = true);
    // Records nothing: edits that move the canvas record their own action.
    void setCanvasPos(float left, float top, bool tellViews = true);
    // The canvas as an export draws it: its size, the user's unit of
    // measure and the canvas colour.
    CExportCanvas exportCanvas() const;

    // --- Description, dates, flags
    const QString& description() const { return m_description; }
    void setDescription(const QString& text) { m_description = text; }
    const COleDate& created() const { return m_created; }
    const COleDate& lastSaved() const { return m_lastSaved; }
    quint16 fileVersion() const { return m_fileVersion; }
    quint16 flags() const { return m_flags; }
    void setFlags(quint16 flags) { m_flags = flags; }
    bool isTemplate() const { return m_flags & TemplateFlag; }
    bool isQuickStart() const { return m_flags & QuickStartFlag; }

    // --- Path and modified state
    const QString& path() const { return m_path; }
    void setPath(const QString& path) { m_path = path; }
    // The file name without ".Collage", or "Untitled".
    QString title() const;
    bool isModified() const { return m_modified; }
    void setModified(bool modified);

    // --- View updates
    void addObserver(CDocObserver* observer);
    void removeObserver(CDocObserver* observer);
    // Tells every view, unless updates are held.
    void updateAllViews(int hint, qintptr argument = 0);
    void holdUpdates() { ++m_updateHold; }
    void releaseUpdates();
    bool updatesHeld() const { return m_updateHold > 0; }

    int previewQuality() const { return m_previewQuality; }
    // 0 fast, 1 good, 2 very high (which also turns on HighQuality).
    void setPreviewQuality(int quality, bool repaint);

    // The "High Quality Images" toggle: frames draw from the photos
    // themselves at any preview quality.
    bool highQualityImages() const { return m_highQualityImages; }
    void setHighQualityImages(bool on);

    // A Shift-save keeps smaller, rougher copies of the photos in the file.
    bool lowQualityPhotoCopies() const { return m_lowQualityCopies; }
    void setLowQualityPhotoCopies(bool on) { m_lowQualityCopies = on; }

    bool templateSaveMode() const { return m_templateSaveMode; }
    void setTemplateSaveMode(bool on) { m_templateSaveMode = on; }

    // Read afresh: the grid settings dialog and the snapper write these
    // settings through bindings of their own.
    float gridWidth() const { return m_gridWidth.refresh(); }
    float gridHeight() const { return m_gridHeight.refresh(); }

    // --- Document steps
    void newDocument();
    // Checks the file before anything is cleared: a missing or corrupt file
    // leaves the current document as it is. Shows its own messages.
    OpenResult openDocument(const QString& path);
    // Writes the project to `path` through a temporary file: a failed save
    // leaves the previous file intact, says why ("SaveNoFolder",
    // "SaveNotAllowed", or "SaveFailed" for the disk) and keeps the
    // document modified.
    SaveResult saveDocument(const QString& path);
    void clearContents();

    // Brings every info-tip back (those switched off, and the show-once
    // tips for one more showing) and saves the settings.
    void bringBackInfoTips();

    // --- Edit > Undo / Redo
    // Leaves the dropper tool, replays one step and marks the document
    // modified; false, with nothing done, when there is no step (the caller
    // beeps). A step that cannot be replayed (damaged in the file) is
    // dropped with the document left as it was, not marked modified, and
    // "UndoStepFailed" is shown.
    bool undoCommand();
    bool redoCommand();
    bool canUndo() const;
    bool canRedo() const;
    // "&Undo (Move Image Frame)\tCtrl+Z", or "&Undo\tCtrl+Z" (shown
    // disabled) when there is nothing to undo; Redo likewise.
    QString undoMenuText() const;
    QString redoMenuText() const;
    // The undo button's tooltip: "\nUndo - Move Image Frame (Ctrl+Z)", or
    // with "Nothing to Undo".
    QString undoToolTip() const;

    // CUndoTarget
    bool ApplyUndo(CUndoItem& item, CArchive& snapshot, Direction direction) override;
    void holdRedraw() override;
    void releaseRedraw() override;

    // The settings store's file, for the saves the document triggers.
    void setSettingsFile(const QString& path) { m_settingsFile = path; }

    bool OnNotify(const CNotifyMessage& message) override;

private:
    void reportSaveFailure(const QString& path);
    friend class CProjectFile;
    void resetFields();
    void hidePageSegments();
    bool replayStep(CUndo::Direction direction);

    CDocServices m_services;
    QString m_settingsFile;

    float m_canvasLeft = kDefaultCanvasLeft;
    float m_canvasTop = kDefaultCanvasTop;
    float m_canvasWidth = kDefaultCanvasWidth;
    float m_canvasHeight = kDefaultCanvasHeight;
    QString m_description;
    COleDate m_created;
    COleDate m_lastSaved;
    quint16 m_fileVersion = kFileVersion;
    quint16 m_flags = 0;
    bool m_modified = false;
    int m_updateHold = 1; // start-up releases it once the window is shown
    bool m_templateSaveMode = false;
    bool m_lowQualityCopies = false;
    bool m_highQualityImages = false;
    int m_previewQuality = 0;
    QString m_path;

    mutable CFloatProp m_gridWidth;
    mutable CFloatProp m_gridHeight;

    std::vector<CDocObserver*> m_observers;
};
