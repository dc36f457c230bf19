#include "mainframe.h"

#include <QAction>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QStyle>
#include <QMenuBar>
#include <QStatusBar>

CMainFrame::CMainFrame(QWidget* parent)
    : QMainWindow(parent)
{
    setWindowTitle(QString::fromLatin1(kTitle));
    setCentralWidget(new QWidget(this));
    createMenus();
    statusBar()->showMessage(tr("Ready"));
    placeOnScreen();
}

// Until the window remembers its own placement, it takes most of the screen
// it opens on, centred, so a first start never shows a postage stamp.
void CMainFrame::placeOnScreen()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QSize size(area.width() * kInitialScreenShare / 100, area.height() * kInitialScreenShare / 100);
    setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size, area));
}

void CMainFrame::createMenus()
{
    QMenu* file = menuBar()->addMenu(tr("&File"));
    QAction* exit = file->addAction(tr("E&xit"));
    exit->setMenuRole(QAction::QuitRole);
    connect(exit, &QAction::triggered, this, &QWidget::close);
}

void CMainFrame::setProjectPath(const QString& path)
{
    m_projectPath = path;
    const QString title = QString::fromLatin1(kTitle);
    setWindowTitle(path.isEmpty() ? title
                                  : QStringLiteral("%1 - %2").arg(QFileInfo(path).fileName(), title));
}

void CMainFrame::bringToFront()
{
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}
