#include "application.h"

#include "collagedoc.h"
#include "collageview.h"
#include "datapaths.h"
#include "documentsettings.h"
#include "documenttarget.h"
#include "dropperbar.h"
#include "messagecatalogue.h"
#include "notificationbus.h"
#include "printlayout.h"
#include "picdropper.h"
#include "propmanager.h"
#include "services.h"
#include "singleinstance.h"
#include "commandids.h"
#include "mainframe.h"
#include "organizercommands.h"
#include "photoorganizer.h"
#include "recentfiles.h"
#include "infotipwindow.h"
#include "ziraradaru.h"
#include "messagebox.h"
#include "progresswindow.h"
#include "soapclient.h"
#include "startupupdatecheck.h"
#include "updatecommandtarget.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QStatusBar>
#include <QTimer>

#include <chrono>
#include <cstdio>

namespace {

constexpr const char* kMaker = "Tessary";
constexpr const char* kProgramName = "Ombravelle";
// The desktop entry's name, which is also the application icon's.
constexpr const char* kDesktopEntry = "ombravelle";
constexpr const char* kResetArgument = "/reset";
constexpr const char* kQuitAfterVariable = "OMBRAVELLE_QUIT_AFTER_MS";
constexpr const char* kNoUpdateCheckVariable = "OMBRAVELLE_NO_UPDATE_CHECK";

// The unattended quit keeps firing: a message box shown before the event
// loop runs swallows the first quit, the next tick catches the loop itself.
void startQuitTimer(QApplication& app)
{
    bool ok = false;
    const int afterMs = qEnvironmentVariableIntValue(kQuitAfterVariable, &ok);
    if (!ok || afterMs <= 0)
        return;
    auto* timer = new QTimer(&app);
    QObject::connect(timer, &QTimer::timeout, &app, [] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* dialog = qobject_cast<QDialog*>(widget); dialog && dialog->isVisible())
                dialog->done(QDialog::Rejected);
        }
        QApplication::closeAllWindows();
        QCoreApplication::quit();
    });
    timer->start(afterMs);
}

// What a "/reset" start removes: the photo database, the thumbnail cache and
// the settings, and the folders that held them once they are empty.
void resetUserData()
{
    const QDir database(DataPaths::photoDatabaseFolder());
    for (const char* name : {DataPaths::kCollectionFile, DataPaths::kMomentsFile, DataPaths::kThumbsFile})
        QFile::remove(database.filePath(QString::fromLatin1(name)));
    QFile::remove(DataPaths::settingsFile());

    // rmdir only removes empty folders, which is exactly the rule.
    QDir().rmdir(DataPaths::photoDatabaseFolder());
    QDir().rmdir(DataPaths::configFolder());
    QDir().rmdir(DataPaths::dataFolder());
}

void seedRandomGenerator()
{
    using namespace std::chrono;
    const auto tick = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    CZiraRadaru::seedRandom(quint32(tick));
}

// The project named on the command line: the first argument that is not an
// option. Paths start with '/' here, so only '-' marks an option, and
// "/reset" is the one word that looks like a path and is none.
QString projectArgument(const QStringList& arguments)
{
    for (const QString& argument : arguments) {
        if (!argument.startsWith(QLatin1Char('-')) && argument != QLatin1String(kResetArgument))
            return argument;
    }
    return {};
}

} // namespace

CCollageView* CCollageApp::plugInCanvasView(CMainFrame& frame, CCollageDoc& doc, CServices& services)
{
    auto* view = new CCollageView(doc, services);
    frame.setCanvas(view);
    frame.addCommandTarget(view);
    frame.setCanvasPointMapper([view](const QPoint& pixel) { return view->coords().deviceToCanvas(QPointF(pixel)); });
    frame.setViewCoordsSource([view] { return &view->coords(); });
    view->setPageOrientationFlipper([&doc](CPicInfo& page) {
        const bool flipped = CPrintRegions::flipOrientation(page);
        if (flipped)
            doc.setModified(true);
        return flipped;
    });
    view->setDropperDrop([&frame](const QString& path, const QPointF& point) {
        return frame.documentTarget().dropFromDropper(path, point);
    });
    // A photo carried out of a locked frame goes into the dropper when it is
    // let go over the dropper bar or over the photo organizer, which hands
    // photos to the dropper.
    view->setImageDropTarget([&frame, &services](const QPoint& global, CPicInfo& picture) {
        QWidget* bar = frame.dropperBar();
        const bool overBar = bar && bar->isVisible() && bar->rect().contains(bar->mapFromGlobal(global));
        const QWidget* under = QApplication::widgetAt(global);
        const bool overOrganizer = under && qobject_cast<const CPhotoOrganizer*>(under->window());
        if (!overBar && !overOrganizer)
            return false;
        return services.dropper().PickUp(picture);
    });
    QObject::connect(view, &CCollageView::commandRequested, &frame, [&frame](int id) { frame.runCommand(id); });
    // An empty text takes the view's last news away (a drag has ended).
    QObject::connect(view, &CCollageView::statusMessage, &frame, [&frame](const QString& text) {
        if (text.isEmpty())
            frame.statusBar()->clearMessage();
        else
            frame.statusBar()->showMessage(text);
    });
    QObject::connect(view, &CCollageView::zoomChanged, &frame, &CMainFrame::showZoom);
    QObject::connect(view, &CCollageView::pointerMoved, &frame, &CMainFrame::showPointer);
    frame.showZoom(view->coords().zoom());
    frame.setInfoTipWindow(view->infoTips());
    view->setFocus();
    return view;
}

namespace {

// The running instance has its own working folder: relative project paths
// are resolved here, before they leave this process.
QStringList argumentsForHandOver(const QStringList& arguments)
{
    QStringList resolved;
    for (const QString& argument : arguments) {
        const bool isPath = !argument.isEmpty() && !argument.startsWith(QLatin1Char('-'));
        resolved << (isPath ? QFileInfo(argument).absoluteFilePath() : argument);
    }
    return resolved;
}

void printLine(const QString& text)
{
    const QByteArray line = text.toUtf8() + '\n';
    std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
    std::fflush(stdout);
}

// A later start's command line: the window comes forward, and a project it
// names is opened as File > Open would (asking about unsaved changes first).
void takeHandOver(CMainFrame& frame, const CCollageDoc& doc, const QStringList& arguments)
{
    printLine(QStringLiteral("handover: ") + arguments.join(QLatin1Char(' ')));
    const QString project = projectArgument(arguments);
    if (project.isEmpty())
        frame.bringToFront();
    else
        frame.openHandedOverProject(project);
    printLine(QStringLiteral("project: ") + doc.path());
}

} // namespace

int CCollageApp::run(int argc, char** argv)
{
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QString::fromLatin1(kMaker));
    QCoreApplication::setApplicationName(QString::fromLatin1(kProgramName));
    // Ties the windows to the installed desktop entry and its icon.
    QGuiApplication::setDesktopFileName(QString::fromLatin1(kDesktopEntry));
    QGuiApplication::setWindowIcon(QIcon::fromTheme(QString::fromLatin1(kDesktopEntry)));
    startQuitTimer(app);

    const QStringList arguments = QCoreApplication::arguments().mid(1);

    CSingleInstance instance(CSingleInstance::defaultKey(DataPaths::configFolder()));
    if (instance.tryHandOver(argumentsForHandOver(arguments)))
        return kExitOk;

    if (arguments == QStringList{QString::fromLatin1(kResetArgument)}) {
        resetUserData();
        return kExitReset;
    }

    // Claimed before the slow part of start-up so that a second start in the
    // meantime finds us; its command line waits until the event loop runs.
    // Without the slot we still run, only hand-overs do not reach us.
    instance.listen();

    seedRandomGenerator();

    CServices services(DataPaths::settingsFile());
    installMessageBox(services.catalogue());
    services.bus().startIdleChecks();
    CProgressWindow progressWindow(services.progress());

    // The document registers its settings, counting this start.
    CCollageDoc doc(services.docServices());
    doc.setSettingsFile(services.settingsFile());

    // A project that cannot be opened ends the start without a window; the
    // document has said why.
    const QString project = projectArgument(arguments);
    if (!project.isEmpty() && doc.openDocument(project) != CCollageDoc::OpenResult::Opened)
        return kExitOpenFailed;

    CMainFrame frame(doc, services);
    installMessageBox(services.catalogue(), [&frame] { return frame.isVisible() ? &frame : nullptr; });
    CCollageView* view = plugInCanvasView(frame, doc, services);
    view->playStartupSound();
    frame.addCommandTarget(new COrganizerCommands(services, &frame)); // a child of the window
    frame.setProjectPath(doc.path());
    if (!project.isEmpty())
        frame.recentFiles().add(doc.path());
    QObject::connect(&instance, &CSingleInstance::argumentsReceived, &frame,
                     [&frame, &doc](const QStringList& handedOver) { takeHandOver(frame, doc, handedOver); });
    // The update dialog closes the editor without asking about unsaved
    // changes: the user has agreed to lose them before the download.
    const CUpdateEnvironment updates{&services.settings(), services.settingsFile(), &services.catalogue(),
                                     &CSoapClient::shared(), QCoreApplication::applicationDirPath(),
                                     [&doc] { return doc.isModified(); },
                                     [&doc, &frame] {
                                         doc.setModified(false);
                                         frame.close();
                                     },
                                     &frame};
    CUpdateCommandTarget updateCommands(updates);
    frame.addCommandTarget(&updateCommands);

    frame.showPlaced();
    doc.releaseUpdates();
    doc.updateAllViews(DocHint::SelectionGeometry);
    doc.updateAllViews(DocHint::FitToWindow);
    doc.updateAllViews(DocHint::ReleaseFrameObjects, 1);
    doc.setModified(false);

    // Once the window stands: the update check of this start, then, without
    // a project to open, the user chooses how to start.
    const int timesRun = services.settings().getValue(kTimesRunSetting).value_or(CPropValue()).toInt();
    QTimer::singleShot(0, &frame, [&frame, &updates, timesRun, openNew = project.isEmpty()] {
        if (!qEnvironmentVariableIsSet(kNoUpdateCheckVariable)
            && runStartupUpdateCheck(updates, timesRun, QDate::currentDate(), isOnLine()))
            return;
        if (openNew)
            frame.runCommand(CommandId::New);
    });

    services.settings().save(services.settingsFile());
    const int exitCode = app.exec();
    frame.removeCommandTarget(&updateCommands);
    return exitCode;
}
