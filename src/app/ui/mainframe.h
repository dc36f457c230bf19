#pragma once
// The application's single top-level window: menus, accelerators and
// toolbars for every command, the canvas widget in the middle, the status
// bar. It remembers its placement and toolbar layout between runs, can fill
// the whole screen, blurs itself behind modal dialogs and takes image files
// dropped from the file manager.
//
// Command routing: every menu item and toolbar button carries its numeric
// id. A command is offered to the targets added with addCommandTarget (in
// the order added: the canvas view first), then to the window's document
// commands, then to the window itself; the first that handles it ends the
// search. Enabled and checked states are asked in the same order when a
// menu opens and periodically for the toolbars; a command nobody answers
// for is disabled.
//
// Settings: placement ("EnlargeScreen", "FrameMaximized", "FrameX/Y/CX/CY"),
// the first-run flag "AppOnce14" and the toolbar layout "CF_Bars1" (the
// bytes of QMainWindow::saveState) all live in the settings store.

#include "commandtarget.h"
#include "propbinding.h"

#include <QHash>
#include <QMainWindow>
#include <QPointF>
#include <QPointer>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class CCollageDoc;
class CDocumentDialogs;
class CDocumentTarget;
class CPrintTarget;
class CDropperBar;
class CInfoTipWindow;
class CRecentFiles;
class CServices;
class CViewCoords;
class QAction;
class QLabel;
class QMenu;
class QMimeData;
class QToolBar;
class QToolButton;

class CMainFrame : public QMainWindow, private CCommandTarget
{
    Q_OBJECT

public:
    static constexpr const char* kTitle = "Tessary Ombravelle";
    static constexpr const char* kBarsSetting = "CF_Bars1";
    // How often toolbar buttons ask for their state while the window shows.
    static constexpr int kStateRefreshMs = 250;
    // How long news of a command (a written export, a locked canvas) stays
    // in the status bar.
    static constexpr int kStatusNewsMs = 8000;
    // Blur radius of the window behind a modal dialog, pixels.
    static constexpr double kBlurRadius = 6.0;
    // A first start without a stored placement takes this share of the screen.
    static constexpr int kInitialScreenShare = 80; // percent

    // `dialogs` answers the document commands' questions; null gives the
    // window's real dialogs. Not owned.
    CMainFrame(CCollageDoc& doc, CServices& services, CDocumentDialogs* dialogs = nullptr,
               QWidget* parent = nullptr);
    ~CMainFrame() override;

    // --- Plugging the canvas view in
    // Takes ownership of the widget and shows it in the middle.
    void setCanvas(QWidget* canvas);
    QWidget* canvas() const { return m_canvas; }
    // Offered each command before the window's own handlers, in the order
    // added. Not owned; remove a target before destroying it.
    void addCommandTarget(CCommandTarget* target);
    void removeCommandTarget(CCommandTarget* target);
    // Maps a point of the canvas widget (pixels) to canvas units, for drops;
    // without it a drop lands in the canvas's centre.
    void setCanvasPointMapper(std::function<QPointF(const QPoint&)> mapper);
    // The view's coordinates, for Duplicate's 20-pixel offset.
    void setViewCoordsSource(std::function<const CViewCoords*()> source);
    // The info-tip window answers the info-tip commands and is told when
    // the window closes. Not owned; null lets it go.
    void setInfoTipWindow(CInfoTipWindow* tips);

    // --- Commands
    // Runs the command through the targets; false when nobody handled it.
    bool runCommand(int id);
    // Enabled and checked as the targets answer; disabled when none does.
    CCommandState stateOf(int id) const;
    // The menu and toolbar action of a command (null for an unknown id).
    QAction* action(int id) const;
    QToolBar* toolBar(int toggleId) const;
    CDropperBar* dropperBar() const { return m_dropperBar; }
    // Brings every action's enabled, checked, text and tooltip up to date.
    void updateCommandStates();

    CDocumentTarget& documentTarget() { return *m_documentTarget; }
    CPrintTarget& printTarget() { return *m_printTarget; }
    CRecentFiles& recentFiles() { return *m_recent; }
    bool openProject(const QString& path);

    // --- Window
    // Shows the window as the stored placement says: full screen,
    // maximized or at its stored rectangle.
    void showPlaced();
    bool isEnlarged() const { return m_enlargeScreen.get(); }
    // Shows the project's file name in the title; empty shows the program's.
    // The title marks unsaved changes ("[*]").
    void setProjectPath(const QString& path);
    // The status bar: the mouse's place on the canvas, the size of the
    // selected frame (or how many are selected), the zoom in percent, and a
    // padlock while the frames are locked (a click unlocks them). Sizes and
    // places are in the canvas's unit.
    void showZoom(float zoom);
    void showPointer(const QPointF& canvas);
    QLabel* zoomIndicator() const { return m_zoomLabel; }
    QLabel* pointerIndicator() const { return m_pointerLabel; }
    QLabel* selectionIndicator() const { return m_selectionLabel; }
    QToolButton* lockIndicator() const { return m_lockIndicator; }
    const QString& projectPath() const { return m_projectPath; }
    // Another start handed over to us: come out of minimized state and to
    // the front without changing a maximized or full-screen placement.
    void bringToFront();
    // A project another start handed over (a double-click in the file
    // manager): comes to the front, asks to save changes first, then opens
    // it through the checks of Open. True when it was opened.
    bool openHandedOverProject(const QString& path);

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // CCommandTarget: the window's own commands.
    bool onCommand(int id) override;
    std::optional<CCommandState> commandState(int id) const override;

    QAction* makeAction(int id);
    void addItems(QMenu* menu, std::initializer_list<int> ids);
    void createMenus();
    void createToolBars();
    void createStatusBar();
    void updateStatusIndicators();
    QString unitName() const;
    void updateRecentFiles();
    void updateActionState(int id, QAction* action);
    void restoreLayout();
    void saveLayout();
    void storePlacement();
    void applyPlacement();
    void applyFullScreen();
    void setAllToolBarsVisible(bool visible);
    void setBlurred(bool blurred);
    void documentChanged();
    QStringList droppedFiles(const QMimeData* data) const;

    CCollageDoc& m_doc;
    CServices& m_services;
    std::unique_ptr<CDocumentDialogs> m_ownDialogs;
    std::unique_ptr<CRecentFiles> m_recent;
    std::unique_ptr<CDocumentTarget> m_documentTarget;
    CPrintTarget* m_printTarget = nullptr; // a child of the window
    std::vector<CCommandTarget*> m_targets;
    QHash<int, QAction*> m_actions;
    QHash<int, QToolBar*> m_toolBars;
    CDropperBar* m_dropperBar = nullptr;
    QList<QAction*> m_recentActions;
    QAction* m_recentSeparator = nullptr;
    QWidget* m_canvas = nullptr;
    QPointer<CInfoTipWindow> m_tips;
    QLabel* m_zoomLabel = nullptr;
    QLabel* m_pointerLabel = nullptr;
    QLabel* m_selectionLabel = nullptr;
    QToolButton* m_lockIndicator = nullptr;
    std::function<QPointF(const QPoint&)> m_canvasPointMapper;
    QString m_projectPath;
    int m_modalDialogs = 0;

    CBoolProp m_enlargeScreen;
    CBoolProp m_frameMaximized;
    CIntProp m_frameX;
    CIntProp m_frameY;
    CIntProp m_frameWidth;
    CIntProp m_frameHeight;
    CBoolProp m_firstRunLayout;
    CBoolProp m_blurEffect;
};
