#pragma once
// The window's own handler of the document, frame and snapping commands:
// New, Open, Save and its variants, Undo/Redo, Reload Images, the info-tip
// and quick-tour commands, the Frame and Canvas menus, Magnetic Frames,
// Sound Effects and Grid Settings, Add Pictures, and the recent-files
// entries. Dialogs are asked through CDocumentDialogs.
//
// Opening keeps the current document whenever the file cannot be read:
// missing, corrupt or written by a newer program. Owned by the main window.

#include "commandtarget.h"
#include "imagedrop.h"

#include <QPointF>
#include <QString>

#include <functional>
#include <memory>

class CCollageDoc;
class CDocCommands;
class CDocumentDialogs;
class CFrameCommands;
class CRecentFiles;
class CServices;
class CViewCoords;

class CDocumentTarget : public CCommandTarget
{
public:
    // Name of the sample project that Open Quick Tour opens.
    static constexpr const char* kQuickTourFile = "QuickStart.Collage";
    // Tip delays of a new collage, milliseconds.
    static constexpr int kSplitterTipDelay = 1000;
    static constexpr int kPhotoBrowseTipDelay = 2000;
    static constexpr int kEmailTipDelay = 4000;

    CDocumentTarget(CCollageDoc& doc, CServices& services, CDocumentDialogs& dialogs, CRecentFiles& recent);
    ~CDocumentTarget() override;

    bool onCommand(int id) override;
    std::optional<CCommandState> commandState(int id) const override;

    // Opens a project through the same checks as the Open command: true
    // when it was opened; otherwise the user has been told why and the
    // previous document is still there.
    bool openProject(const QString& path);
    // Places image files as frames at a canvas point (or, for Add Pictures,
    // into the selected empty frames first), one undo step; tells the user
    // once about files that are not photos. Returns the number of frames
    // that took a photo.
    int dropImages(const QStringList& paths, const QPointF& canvasPoint,
                   CImageDrop::Target target = CImageDrop::Target::NewFrames);
    // Places the dropper's photo of `path` at the canvas point: into the
    // empty photo frame there, else into a new frame; one undo step. False
    // when the photo is not in the dropper or the drop was refused.
    bool dropFromDropper(const QString& path, const QPointF& canvasPoint);
    // ZadeDudaziz; with nothing to arrange it opens the wizard first.
    void zadeDudaziz();

    // Called after the document was replaced, saved under another name or
    // otherwise changed its title.
    void setDocumentChangedHandler(std::function<void()> handler) { m_documentChanged = std::move(handler); }
    // Where the view's coordinates come from (for Duplicate's offset); a
    // default 96 dpi view at zoom 1 without one.
    void setViewCoordsSource(std::function<const CViewCoords*()> source) { m_viewCoords = std::move(source); }
    // Forwards a command to the window's routing (the New dialog's
    // automatic-layout outcome sends the layout command).
    void setCommandSender(std::function<bool(int)> sender) { m_sendCommand = std::move(sender); }
    // Save reads Shift and Ctrl from here; the keyboard's state by default.
    void setModifierSource(std::function<Qt::KeyboardModifiers()> source) { m_modifiers = std::move(source); }
    // Where short news for the user goes (the window's status bar).
    void setStatusHandler(std::function<void(const QString&)> handler) { m_status = std::move(handler); }
    // Folder of the sample projects; the program's own (DataPaths) by default.
    void setSampleFolder(const QString& folder) { m_sampleFolder = folder; }

    CDocCommands& docCommands() { return *m_docCommands; }
    // Asks to save changes; true when it is fine to go on.
    bool saveModified();

private:
    void newCollage();
    void openFromPicker();
    void closeProject();
    void openRecent(int index);
    void reloadImages();
    void gridSettings();
    void addPictures();
    void exportImage();
    void documentChanged();
    bool runFrameCommand(int id);
    bool runStyleCommand(int id);
    void showStatus(const QString& catalogueKey, const QString& argument = {});

    CCollageDoc& m_doc;
    CServices& m_services;
    CDocumentDialogs& m_dialogs;
    CRecentFiles& m_recent;
    std::unique_ptr<CDocCommands> m_docCommands;
    std::unique_ptr<CFrameCommands> m_frameCommands;
    std::function<void()> m_documentChanged;
    std::function<const CViewCoords*()> m_viewCoords;
    std::function<bool(int)> m_sendCommand;
    std::function<Qt::KeyboardModifiers()> m_modifiers;
    std::function<void(const QString&)> m_status;
    QString m_sampleFolder;
};
