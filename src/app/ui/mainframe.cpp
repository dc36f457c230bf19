#include "mainframe.h"

#include "collagedoc.h"
#include "commandids.h"
#include "commandtable.h"
#include "documenttarget.h"
#include "imageexport.h"
#include "selection.h"
#include "dropperbar.h"
#include "infotipwindow.h"
#include "macrocommands.h"
#include "notificationbus.h"
#include "phototilewindow.h"
#include "messagecatalogue.h"
#include "picinfomanager.h"
#include "printtarget.h"
#include "propmanager.h"
#include "qtdocumentdialogs.h"
#include "recentfiles.h"
#include "services.h"
#include "sharetarget.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QGraphicsBlurEffect>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QStatusBar>
#include <QLabel>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

using namespace CommandId;

namespace {

constexpr const char* kIconPrefix = ":/icons/";
constexpr const char* kHighQualityOnIcon = "IDR_TB_FULLRES_ON";
constexpr const char* kPhotoSwapTip = "Tip::PhotoSwap";
// The undo tooltip and the quality tooltips carry an empty status prompt
// before the line break; the tooltip is what follows it.
constexpr QChar kPromptSeparator = QLatin1Char('\n');
constexpr const char* kQualityToolTip[] = {
    "\nFast Quality\r(Low quality with fast software speed)",
    "\nGood Quality\r(High quality with fast software speed)",
    "\nExcellent Quality\r(High quality with slow software speed)",
};
constexpr int kQualityLevels = 3;
// The bar the first-run layout docks on the left edge: the mouse tools
// stand in a column beside the canvas.
constexpr int kLeftDockedBar = ToolbarView;

QIcon iconNamed(const char* name)
{
    if (!name)
        return {};
    const QString path = QString::fromLatin1(kIconPrefix) + QString::fromLatin1(name) + QStringLiteral(".png");
    return QFile::exists(path) ? QIcon(path) : QIcon();
}

// The command's name with the key that runs it, as a button's tooltip.
QString toolTipOf(const CCommandSpec& spec)
{
    const QString key = QString::fromLatin1(spec.text).section(QLatin1Char('\t'), 1);
    const QString name = CommandTable::plainText(spec);
    return key.isEmpty() ? name : QStringLiteral("%1 (%2)").arg(name, key);
}

QString toolTipText(const QString& promptAndTip)
{
    QString tip = promptAndTip.section(kPromptSeparator, 1);
    tip.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return tip;
}

int screenWidth()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().width() : 0;
}

int screenHeight()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().height() : 0;
}

} // namespace

CMainFrame::CMainFrame(CCollageDoc& doc, CServices& services, CDocumentDialogs* dialogs, QWidget* parent)
    : QMainWindow(parent)
    , m_doc(doc)
    , m_services(services)
    , m_enlargeScreen(services.settings(), QStringLiteral("EnlargeScreen"),
                      QStringLiteral("Display the application in full screen, taking up the entire computer desktop"),
                      false)
    , m_frameMaximized(services.settings(), QStringLiteral("FrameMaximized"), {}, true)
    , m_frameX(services.settings(), QStringLiteral("FrameX"), {}, 0)
    , m_frameY(services.settings(), QStringLiteral("FrameY"), {}, 0)
    , m_frameWidth(services.settings(), QStringLiteral("FrameCX"), {}, screenWidth())
    , m_frameHeight(services.settings(), QStringLiteral("FrameCY"), {}, screenHeight())
    , m_firstRunLayout(services.settings(), QStringLiteral("AppOnce14"), {}, true)
    , m_blurEffect(services.settings(), QStringLiteral("BlurEffect"),
                   QStringLiteral("Blur the main frame window when modal dialogs appear"), true)
{
    if (!dialogs) {
        m_ownDialogs = std::make_unique<CQtDocumentDialogs>(doc, services, this);
        dialogs = m_ownDialogs.get();
    }
    m_recent = std::make_unique<CRecentFiles>(services.settings());
    m_documentTarget = std::make_unique<CDocumentTarget>(doc, services, *dialogs, *m_recent);
    m_documentTarget->setDocumentChangedHandler([this] { documentChanged(); });
    m_documentTarget->setCommandSender([this](int id) { return runCommand(id); });
    m_documentTarget->setStatusHandler([this](const QString& text) { statusBar()->showMessage(text, kStatusNewsMs); });
    addCommandTarget(new CShareTarget(doc, this));
    m_printTarget = new CPrintTarget(doc, services, this);
    m_printTarget->setCommandSender([this](int id) { return runCommand(id); });
    addCommandTarget(m_printTarget);
    addCommandTarget(new CMacroCommands(doc, services, this));

    setWindowTitle(QString::fromLatin1(kTitle));
    setCentralWidget(new QWidget(this));
    setAcceptDrops(true);
    createMenus();
    createToolBars();
    restoreLayout();
    createStatusBar();
    statusBar()->showMessage(tr("Ready"));
    applyPlacement();
    setProjectPath(doc.path());
    updateCommandStates();

    auto* refresh = new QTimer(this);
    connect(refresh, &QTimer::timeout, this, [this] {
        if (isVisible())
            updateCommandStates();
    });
    refresh->start(kStateRefreshMs);
    qApp->installEventFilter(this);
}

CMainFrame::~CMainFrame()
{
    qApp->removeEventFilter(this);
}

// --- Plugging in

void CMainFrame::setCanvas(QWidget* canvas)
{
    m_canvas = canvas;
    setCentralWidget(canvas);
}

void CMainFrame::addCommandTarget(CCommandTarget* target)
{
    if (target && std::find(m_targets.begin(), m_targets.end(), target) == m_targets.end())
        m_targets.push_back(target);
}

void CMainFrame::removeCommandTarget(CCommandTarget* target)
{
    m_targets.erase(std::remove(m_targets.begin(), m_targets.end(), target), m_targets.end());
}

void CMainFrame::setCanvasPointMapper(std::function<QPointF(const QPoint&)> mapper)
{
    m_canvasPointMapper = std::move(mapper);
}

void CMainFrame::setViewCoordsSource(std::function<const CViewCoords*()> source)
{
    m_documentTarget->setViewCoordsSource(std::move(source));
}

void CMainFrame::setInfoTipWindow(CInfoTipWindow* tips)
{
    if (m_tips)
        removeCommandTarget(m_tips);
    m_tips = tips;
    if (tips)
        addCommandTarget(tips);
}

// --- Routing

bool CMainFrame::runCommand(int id)
{
    bool handled = false;
    for (CCommandTarget* target : m_targets) {
        if (target->onCommand(id)) {
            handled = true;
            break;
        }
    }
    if (!handled)
        handled = m_documentTarget->onCommand(id) || onCommand(id);
    // The window may be closing now (Exit); a queued refresh is harmless.
    QTimer::singleShot(0, this, &CMainFrame::updateCommandStates);
    return handled;
}

CCommandState CMainFrame::stateOf(int id) const
{
    for (const CCommandTarget* target : m_targets) {
        if (const std::optional<CCommandState> state = target->commandState(id))
            return *state;
    }
    if (const std::optional<CCommandState> state = m_documentTarget->commandState(id))
        return *state;
    if (const std::optional<CCommandState> state = commandState(id))
        return *state;
    return CCommandState{false, false};
}

QAction* CMainFrame::action(int id) const
{
    return m_actions.value(id, nullptr);
}

QToolBar* CMainFrame::toolBar(int toggleId) const
{
    return m_toolBars.value(toggleId, nullptr);
}

void CMainFrame::updateCommandStates()
{
    for (auto it = m_actions.cbegin(); it != m_actions.cend(); ++it)
        updateActionState(it.key(), it.value());
    updateStatusIndicators();
}

void CMainFrame::createStatusBar()
{
    CMessageCatalogue& catalogue = m_services.catalogue();
    m_lockIndicator = new QToolButton(this);
    m_lockIndicator->setObjectName(QStringLiteral("lockIndicator"));
    m_lockIndicator->setAutoRaise(true);
    m_lockIndicator->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_lockIndicator->setIcon(iconNamed(CommandTable::find(LockFrames)->icon));
    m_lockIndicator->setText(catalogue.text(QStringLiteral("FramesLockedIndicator")));
    m_lockIndicator->setToolTip(catalogue.text(QStringLiteral("FramesLockedIndicatorTip")));
    m_lockIndicator->setVisible(false);
    connect(m_lockIndicator, &QToolButton::clicked, this, [this] { runCommand(LockFrames); });
    statusBar()->addPermanentWidget(m_lockIndicator);

    m_pointerLabel = new QLabel(this);
    m_pointerLabel->setObjectName(QStringLiteral("pointerIndicator"));
    m_pointerLabel->setToolTip(tr("Mouse position on the canvas"));
    statusBar()->addPermanentWidget(m_pointerLabel);

    m_selectionLabel = new QLabel(this);
    m_selectionLabel->setObjectName(QStringLiteral("selectionIndicator"));
    m_selectionLabel->setToolTip(tr("Size of the selected frame"));
    statusBar()->addPermanentWidget(m_selectionLabel);

    m_zoomLabel = new QLabel(this);
    m_zoomLabel->setObjectName(QStringLiteral("zoomIndicator"));
    m_zoomLabel->setToolTip(tr("Zoom"));
    statusBar()->addPermanentWidget(m_zoomLabel);
}

void CMainFrame::updateStatusIndicators()
{
    m_lockIndicator->setVisible(m_services.frames().framesLocked());
    const CSelection& selection = m_services.selection();
    QString selected;
    if (selection.Count() == 1) {
        const CCanvasRect rect = selection.frames().front()->frameRect();
        selected = QStringLiteral("%1 x %2 %3").arg(rect.width, 0, 'f', 2).arg(rect.height, 0, 'f', 2).arg(unitName());
    } else if (selection.Count() > 1) {
        selected = tr("%1 frames").arg(selection.Count());
    }
    m_selectionLabel->setText(selected);
    setWindowModified(m_doc.isModified());
}

QString CMainFrame::unitName() const
{
    return m_doc.exportCanvas().unit == CanvasUnit::Centimetre ? QStringLiteral("cm") : QStringLiteral("in");
}

void CMainFrame::showPointer(const QPointF& canvas)
{
    m_pointerLabel->setText(QStringLiteral("%1, %2 %3").arg(canvas.x(), 0, 'f', 2).arg(canvas.y(), 0, 'f', 2).arg(unitName()));
}

void CMainFrame::showZoom(float zoom)
{
    m_zoomLabel->setText(QStringLiteral("%1%").arg(qRound(zoom * 100.0f)));
}

void CMainFrame::updateActionState(int id, QAction* action)
{
    const CCommandState state = stateOf(id);
    action->setEnabled(state.enabled);
    if (action->isCheckable())
        action->setChecked(state.checked);

    switch (id) {
    case Undo:
        action->setText(m_doc.undoMenuText());
        action->setToolTip(toolTipText(m_doc.undoToolTip()));
        break;
    case Redo:
        action->setText(m_doc.redoMenuText());
        break;
    case HighQualityImages: {
        const int quality = std::clamp(m_doc.previewQuality(), 0, kQualityLevels - 1);
        action->setToolTip(toolTipText(QString::fromLatin1(kQualityToolTip[quality])));
        const QIcon icon = iconNamed(state.checked ? kHighQualityOnIcon : CommandTable::find(id)->icon);
        if (!icon.isNull())
            action->setIcon(icon);
        break;
    }
    default:
        break;
    }
}

// The window's own commands: toolbars, full screen, blur, exit.
bool CMainFrame::onCommand(int id)
{
    if (QToolBar* bar = toolBar(id)) {
        bar->setVisible(bar->isHidden());
        return true;
    }
    switch (id) {
    case ToolbarImagePalette:
        m_dropperBar->setVisible(m_dropperBar->isHidden());
        return true;
    case ShowAllToolbars:
        setAllToolBarsVisible(true);
        return true;
    case HideAllToolbars:
        setAllToolBarsVisible(false);
        return true;
    case FullScreen:
        m_enlargeScreen.set(!m_enlargeScreen.get());
        applyFullScreen();
        return true;
    case BlurEffects:
        m_blurEffect.set(!m_blurEffect.get());
        return true;
    case Exit:
        close();
        return true;
    default:
        return false;
    }
}

std::optional<CCommandState> CMainFrame::commandState(int id) const
{
    if (const QToolBar* bar = toolBar(id))
        return CCommandState{true, !bar->isHidden()};
    switch (id) {
    case ToolbarImagePalette:
        return CCommandState{true, !m_dropperBar->isHidden()};
    case ShowAllToolbars:
    case HideAllToolbars:
    case Exit:
        return CCommandState{};
    case FullScreen:
        return CCommandState{true, m_enlargeScreen.get()};
    case BlurEffects:
        return CCommandState{true, m_blurEffect.get()};
    default:
        return std::nullopt;
    }
}

// --- Menus and toolbars

QAction* CMainFrame::makeAction(int id)
{
    if (QAction* existing = action(id))
        return existing;
    const CCommandSpec* spec = CommandTable::find(id);
    Q_ASSERT(spec);
    auto* act = new QAction(QString::fromLatin1(spec->text), this);
    act->setData(id);
    act->setCheckable(spec->checkable);
    act->setShortcuts(CommandTable::shortcutsOf(*spec));
    act->setShortcutContext(Qt::WindowShortcut);
    act->setIcon(iconNamed(spec->icon));
    act->setToolTip(toolTipOf(*spec));
    act->setStatusTip(CommandTable::prompt(id));
    // A checkable action toggles itself before it triggers; the state comes
    // from the targets, so the command decides and the refresh shows it.
    connect(act, &QAction::triggered, this, [this, id] { runCommand(id); });
    addAction(act);
    m_actions.insert(id, act);
    return act;
}

void CMainFrame::addItems(QMenu* menu, std::initializer_list<int> ids)
{
    for (int id : ids) {
        if (id == 0)
            menu->addSeparator();
        else
            menu->addAction(makeAction(id));
    }
}

void CMainFrame::createMenus()
{
    QMenu* file = menuBar()->addMenu(tr("&File"));
    // Spelt out: the export's own header has a function of that name.
    addItems(file, {New, Open, Close, Save, SaveAs, SaveAsTemplate, 0, CommandId::ExportImage, ShareCollage, Print,
                    PrintPreview, PrintSetup, 0, AddPictures, ReloadImages});
    m_recentSeparator = file->addSeparator();
    for (int i = 0; i < RecentFileCount; ++i) {
        QAction* entry = makeAction(RecentFileFirst + i);
        entry->setVisible(false);
        file->addAction(entry);
        m_recentActions << entry;
    }
    file->addSeparator();
    QAction* exit = makeAction(Exit);
    exit->setMenuRole(QAction::QuitRole);
    file->addAction(exit);
    connect(file, &QMenu::aboutToShow, this, &CMainFrame::updateRecentFiles);

    QMenu* edit = menuBar()->addMenu(tr("&Edit"));
    addItems(edit, {Undo, Redo, 0, SelectAll, SelectNext, SelectPrevious, SelectFirst, SelectLast, 0, RemoveSelected,
                    DuplicateSelected});

    QMenu* view = menuBar()->addMenu(tr("&View"));
    QMenu* bars = view->addMenu(tr("&Toolbar"));
    addItems(bars, {ToolbarMain, ToolbarZoom, ToolbarPrinting, ToolbarFrame, ToolbarView, ToolbarAddPictures,
                    ToolbarOutput, ToolbarImagePalette, 0, ShowAllToolbars, HideAllToolbars});
    addItems(view, {FullScreen, 0, ZoomIn, ZoomOut, ResetZoom, CenterView, ReverseWheel, 0});
    QMenu* quality = view->addMenu(tr("&Preview Quality"));
    addItems(quality, {QualityVeryHigh, QualityGood, QualityFast});
    auto* qualityGroup = new QActionGroup(this);
    for (int id : {QualityVeryHigh, QualityGood, QualityFast})
        qualityGroup->addAction(action(id));
    addItems(view, {HighQualityImages, 0, ShowPageSegments, 0, BlurEffects});

    // Alt+T splits and Alt+C centres: these two menus open with other letters.
    QMenu* tools = menuBar()->addMenu(tr("T&ools"));
    addItems(tools, {ModeMove, ModeResizeBoth, ModeResizeImage, ModeCrop, ModeMoveFrameOnly, ModePanImage,
                     ModeRotate, 0, ModeDrawFrame, ModeRubberBand, ModePanCanvas, ModeZoomDrag, 0, MagneticFrames,
                     SoundEffects, GridSettings, 0});
    QMenu* macros = tools->addMenu(tr("M&acros"));
    addItems(macros, {MacroRecord, MacroPlayback, MacroOpen, MacroSave});

    QMenu* frame = menuBar()->addMenu(tr("F&rame"));
    addItems(frame, {SplitFrame, MergeFrames, 0, SwapDimensions, SnapUpright, SpinRight, SpinLeft, 0,
                     SnapFrameToImage, SnapImageToFrame, 0, AdjustImage});

    QMenu* canvasMenu = menuBar()->addMenu(tr("Ca&nvas"));
    addItems(canvasMenu, {ZadeDudaziz, ZiraRadaru, 0, LockFrames, 0, BorderAndShadow, CanvasColour, CanvasSize,
                          ResizeCanvasToFit});

    QMenu* photos = menuBar()->addMenu(tr("&Photos"));
    addItems(photos, {PhotoOrganizer, RefreshPhotos});

    QMenu* help = menuBar()->addMenu(tr("&Help"));
    addItems(help, {QuickTour, 0, ShowInfoTips, InfoTipsPlainLook, ResetInfoTips, 0, CheckForUpdates});

    // Every menu asks its items' states as it opens.
    for (QMenu* menu : findChildren<QMenu*>())
        connect(menu, &QMenu::aboutToShow, this, [this, menu] {
            for (QAction* act : menu->actions()) {
                if (act->data().isValid())
                    updateActionState(act->data().toInt(), act);
            }
        });
}

void CMainFrame::createToolBars()
{
    for (const CToolbarSpec& spec : ToolbarTable::all()) {
        auto* bar = new QToolBar(QString::fromLatin1(spec.name), this);
        bar->setObjectName(QString::fromLatin1(spec.name));
        for (int id : spec.commands) {
            if (id == 0)
                bar->addSeparator();
            else
                bar->addAction(makeAction(id));
        }
        addToolBar(Qt::TopToolBarArea, bar);
        m_toolBars.insert(spec.toggleId, bar);
    }
    m_dropperBar = new CDropperBar(m_services, this);
    addDockWidget(Qt::BottomDockWidgetArea, m_dropperBar);
    connect(m_dropperBar, &CDropperBar::toolStarted, this, [this](const QString& text) {
        statusBar()->showMessage(text);
        // How a photo moves from one frame to another with this tool.
        m_services.bus().Broadcast(QString::fromLatin1(Channel::Tip), QString::fromLatin1(kPhotoSwapTip), nullptr,
                                   true);
        if (m_canvas)
            m_canvas->setFocus();
    });
}

void CMainFrame::updateRecentFiles()
{
    const QStringList& paths = m_recent->paths();
    for (int i = 0; i < m_recentActions.size(); ++i) {
        QAction* entry = m_recentActions[i];
        const bool used = i < paths.size();
        entry->setVisible(used);
        if (used) {
            entry->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(QFileInfo(paths[i]).fileName()));
            entry->setToolTip(QDir::toNativeSeparators(paths[i]));
        }
    }
    m_recentSeparator->setVisible(!paths.isEmpty());
}

// --- Layout and placement

void CMainFrame::restoreLayout()
{
    CPropManager& settings = m_services.settings();
    settings.registerProp(QString::fromLatin1(kBarsSetting), {}, true, CPropValue::bytes({}));
    if (!m_firstRunLayout.get()) {
        const std::optional<CPropValue> saved = settings.getValue(QString::fromLatin1(kBarsSetting));
        if (saved && restoreState(saved->toBytes()))
            return;
    }
    // First run (or a layout that no longer reads): the first bar along the
    // top, the others beside it, the mouse tools down the left edge; every
    // bar of the table shown.
    for (const CToolbarSpec& spec : ToolbarTable::all()) {
        QToolBar* bar = toolBar(spec.toggleId);
        addToolBar(spec.toggleId == kLeftDockedBar ? Qt::LeftToolBarArea : Qt::TopToolBarArea, bar);
    }
    addDockWidget(Qt::BottomDockWidgetArea, m_dropperBar);
    setAllToolBarsVisible(false);
    setAllToolBarsVisible(true);
    saveLayout();
    m_firstRunLayout.set(false);
}

void CMainFrame::saveLayout()
{
    m_services.settings().setValue(QString::fromLatin1(kBarsSetting), CPropValue::bytes(saveState()));
}

void CMainFrame::setAllToolBarsVisible(bool visible)
{
    for (QToolBar* bar : std::as_const(m_toolBars))
        bar->setVisible(visible);
    m_dropperBar->setVisible(visible);
}

void CMainFrame::applyPlacement()
{
    const QRect stored(m_frameX.get(), m_frameY.get(), m_frameWidth.get(), m_frameHeight.get());
    const QScreen* screen = QGuiApplication::screenAt(stored.center());
    if (stored.width() > 0 && stored.height() > 0 && screen) {
        move(stored.topLeft());
        resize(stored.size());
        return;
    }
    // Nothing usable stored (or the screen it was on is gone): most of the
    // primary screen, centred.
    screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QSize size(area.width() * kInitialScreenShare / 100, area.height() * kInitialScreenShare / 100);
    setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size, area));
}

// The position is the window's outer corner; the size is the client area's,
// so that the window comes back exactly as large whatever the window
// manager adds around it.
void CMainFrame::storePlacement()
{
    if (windowState() & Qt::WindowMinimized)
        return;
    m_frameMaximized.set(isMaximized());
    m_frameX.set(pos().x());
    m_frameY.set(pos().y());
    m_frameWidth.set(width());
    m_frameHeight.set(height());
}

void CMainFrame::showPlaced()
{
    // The window exists on screen before it takes a state, so that the
    // platform does not report it back as normal while it is being made.
    show();
    if (m_enlargeScreen.get())
        showFullScreen();
    else if (m_frameMaximized.get())
        showMaximized();
}

void CMainFrame::applyFullScreen()
{
    if (m_enlargeScreen.get())
        showFullScreen();
    else
        showNormal();
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    // In print preview the close request only ends the preview.
    if (m_printTarget->endPreview()) {
        event->ignore();
        return;
    }
    if (!m_documentTarget->saveModified()) {
        event->ignore();
        return;
    }
    saveLayout();
    storePlacement();
    // The window still stands, so the user can learn that this session's
    // choices are lost; closing goes on, the previous settings file stays.
    if (m_services.settings().save(m_services.settingsFile()) == CPropManager::SaveResult::Failed)
        m_services.catalogue().show("SettingsSaveFailed", MsgStyle::WarningOk);
    if (m_tips)
        m_tips->hideTip();
    m_services.bus().Broadcast(QString::fromLatin1(Channel::Application), QString::fromLatin1(Event::Closing));
    event->accept();
}

// --- Title

void CMainFrame::setProjectPath(const QString& path)
{
    m_projectPath = path;
    const QString title = QString::fromLatin1(kTitle);
    setWindowTitle(path.isEmpty() ? title + QStringLiteral("[*]")
                                  : QStringLiteral("%1[*] - %2").arg(QFileInfo(path).fileName(), title));
    setWindowModified(m_doc.isModified());
}

void CMainFrame::documentChanged()
{
    setProjectPath(m_doc.path());
    updateCommandStates();
}

bool CMainFrame::openProject(const QString& path)
{
    return m_documentTarget->openProject(path);
}

void CMainFrame::bringToFront()
{
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

bool CMainFrame::openHandedOverProject(const QString& path)
{
    bringToFront();
    return m_documentTarget->saveModified() && m_documentTarget->openProject(path);
}

// --- Drops from the file manager

QStringList CMainFrame::droppedFiles(const QMimeData* data) const
{
    QStringList files;
    if (!data || !data->hasUrls())
        return files;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile())
            files << url.toLocalFile();
    }
    return files;
}

namespace {
bool carriesDropperPhoto(const QMimeData* data)
{
    return data && data->hasFormat(QString::fromLatin1(CPhotoTileWindow::kPhotoMimeType));
}
} // namespace

void CMainFrame::dragEnterEvent(QDragEnterEvent* event)
{
    if (carriesDropperPhoto(event->mimeData()) || !droppedFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void CMainFrame::dragMoveEvent(QDragMoveEvent* event)
{
    if (carriesDropperPhoto(event->mimeData()) || !droppedFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event)
{
    const QMimeData* data = event->mimeData();
    const QStringList files = droppedFiles(data);
    if (files.isEmpty() && !carriesDropperPhoto(data))
        return;
    event->acceptProposedAction();
    QPointF canvasPoint(m_doc.canvasWidth() / 2, m_doc.canvasHeight() / 2);
    if (m_canvas && m_canvasPointMapper) {
        const QPoint inCanvas = m_canvas->mapFrom(this, event->position().toPoint());
        canvasPoint = m_canvasPointMapper(inCanvas);
    }
    if (carriesDropperPhoto(data)) {
        const QString path = QString::fromUtf8(data->data(QString::fromLatin1(CPhotoTileWindow::kPhotoMimeType)));
        m_documentTarget->dropFromDropper(path, canvasPoint);
        return;
    }
    m_documentTarget->dropImages(files, canvasPoint);
}

// --- Blur behind modal dialogs

bool CMainFrame::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Show || event->type() == QEvent::Hide) {
        auto* dialog = qobject_cast<QDialog*>(watched);
        if (dialog && dialog->isModal() && dialog->window() == dialog && dialog->parentWidget()
            && dialog->parentWidget()->window() == this) {
            m_modalDialogs = std::max(0, m_modalDialogs + (event->type() == QEvent::Show ? 1 : -1));
            setBlurred(m_modalDialogs > 0 && m_blurEffect.get());
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void CMainFrame::setBlurred(bool blurred)
{
    QWidget* middle = centralWidget();
    if (!middle)
        return;
    if (blurred && !middle->graphicsEffect()) {
        auto* blur = new QGraphicsBlurEffect(middle);
        blur->setBlurRadius(kBlurRadius);
        middle->setGraphicsEffect(blur);
    } else if (!blurred && middle->graphicsEffect()) {
        middle->setGraphicsEffect(nullptr);
    }
}
