#include "infotipwindow.h"

#include "commandids.h"
#include "messagebox.h"
#include "messagecatalogue.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QScreen>
#include <QStyle>
#include <QToolButton>
#include <QWindow>

#include <algorithm>
#include <utility>

namespace {

// The tip sits this far below and right of the point it is about.
constexpr int kOffsetPixels = 16;

} // namespace

CInfoTipWindow::CInfoTipWindow(CPropManager& settings, CMessageCatalogue& catalogue, QWidget* parent)
    : QFrame(parent, Qt::ToolTip | Qt::FramelessWindowHint)
    , m_tipSettings(settings)
    , m_catalogue(catalogue)
{
    setObjectName(QStringLiteral("infoTip"));
    setFrameShape(QFrame::Box);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setBackgroundRole(QPalette::ToolTipBase);
    setAutoFillBackground(true);
    auto* layout = new QHBoxLayout(this);
    m_text = new QLabel(this);
    m_text->setWordWrap(true);
    m_text->setForegroundRole(QPalette::ToolTipText);
    m_dismiss = new QToolButton(this);
    m_dismiss->setAutoRaise(true);
    m_dismiss->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    m_dismiss->setToolTip(catalogue.text(QStringLiteral("NoShowTip")));
    layout->addWidget(m_text, 1);
    layout->addWidget(m_dismiss, 0, Qt::AlignTop);
    connect(m_dismiss, &QToolButton::clicked, this, &CInfoTipWindow::neverAgain);

    m_hideTimer.setSingleShot(true);
    connect(&m_hideTimer, &QTimer::timeout, this, &CInfoTipWindow::hideTip);
    m_fadeIn.setInterval(kFadeInStepMs);
    connect(&m_fadeIn, &QTimer::timeout, this, &CInfoTipWindow::stepFadeIn);
    m_fadeOut.setInterval(kFadeOutStepMs);
    connect(&m_fadeOut, &QTimer::timeout, this, &CInfoTipWindow::stepFadeOut);
    // Another of the program's windows may become active without the tip's
    // own window ever having been told it was (no window manager).
    connect(qApp, &QGuiApplication::focusWindowChanged, this, &CInfoTipWindow::follow);
}

CInfoTipWindow::~CInfoTipWindow() = default;

bool CInfoTipWindow::fades() const { return !m_tipSettings.plainLook(); }

QWidget* CInfoTipWindow::ownerFor(QWidget* window) const
{
    if (window)
        return window->window();
    return parentWidget() ? parentWidget()->window() : nullptr;
}

bool CInfoTipWindow::showTip(const QString& key, const QPoint& globalPoint, When when, QWidget* window)
{
    if (key.compare(m_key, Qt::CaseInsensitive) == 0 || !m_tipSettings.mayShow(key))
        return false;
    for (const Waiting& waiting : std::as_const(m_waiting)) {
        if (waiting.key.compare(key, Qt::CaseInsensitive) == 0)
            return false;
    }
    const Waiting tip{key, globalPoint, ownerFor(window)};
    // A tip about a window the user has left gives way.
    if (m_key.isEmpty() || (m_steppedAside && tip.owner != m_owner)) {
        present(tip);
        return true;
    }
    if (when == When::InTurn) {
        m_waiting.append(tip);
        return false;
    }
    if (m_shownFor.elapsed() < kMinShowMs) {
        // The tip on screen has its first second; this one comes next.
        m_waiting.prepend(tip);
        m_hideTimer.start(int(kMinShowMs - m_shownFor.elapsed()));
        return false;
    }
    present(tip);
    return true;
}

void CInfoTipWindow::present(const Waiting& tip)
{
    m_fadeIn.stop();
    m_fadeOut.stop();
    m_key = tip.key;
    setOwner(tip.owner);
    m_tipSettings.markShown(tip.key);
    m_text->setText(MessageBox::flowingText(m_catalogue.text(tip.key)));
    m_text->setMaximumWidth(m_tipSettings.maxWidth());
    adjustSize();
    QPoint at = tip.point + QPoint(kOffsetPixels, kOffsetPixels);
    if (const QScreen* screen = QGuiApplication::screenAt(tip.point)) {
        const QRect area = screen->availableGeometry();
        at.setX(std::clamp(at.x(), area.left(), std::max(area.left(), area.right() - width())));
        at.setY(std::clamp(at.y(), area.top(), std::max(area.top(), area.bottom() - height())));
    }
    move(at);
    if (fades()) {
        setWindowOpacity(0.0);
        m_fadeIn.start();
    } else {
        setWindowOpacity(1.0);
    }
    m_steppedAside = !ownerReceptive();
    if (m_steppedAside) {
        hide();
    } else {
        show();
        raise();
    }
    m_shownFor.start();
    m_hideTimer.start(kShowMs);
}

void CInfoTipWindow::setOwner(QWidget* owner)
{
    if (owner == m_owner)
        return;
    if (m_owner)
        m_owner->removeEventFilter(this);
    m_owner = owner;
    m_ownerLeft = false;
    if (owner)
        owner->installEventFilter(this);
}

bool CInfoTipWindow::ownerReceptive() const
{
    const QWidget* owner = m_owner;
    if (!owner || !owner->isVisible() || !owner->isEnabled() || owner->isMinimized())
        return false;
    if (const QWidget* active = QApplication::activeWindow())
        return active == owner;
    return !m_ownerLeft;
}

void CInfoTipWindow::follow()
{
    if (m_key.isEmpty())
        return;
    if (!ownerReceptive()) {
        if (!std::exchange(m_steppedAside, true))
            hide();
        return;
    }
    if (std::exchange(m_steppedAside, false)) {
        show();
        raise();
    }
}

// The window is closed: its tips, shown or waiting, have nothing to point at.
void CInfoTipWindow::ownerClosed()
{
    const QWidget* closed = m_owner;
    m_waiting.removeIf([closed](const Waiting& waiting) { return !waiting.owner || waiting.owner == closed; });
    m_hideTimer.stop();
    m_fadeIn.stop();
    finishHiding();
}

bool CInfoTipWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_owner) {
        switch (event->type()) {
        case QEvent::ActivationChange:
            // Only a real change counts: without a window manager a window
            // may never be told it is active, and its tips must show anyway.
            m_ownerLeft = !m_owner->isActiveWindow();
            follow();
            break;
        case QEvent::Hide:
            // A minimized window is hidden by the window system; a closed
            // one by the program.
            if (event->spontaneous())
                follow();
            else if (!m_key.isEmpty())
                ownerClosed();
            break;
        case QEvent::Show:
        case QEvent::EnabledChange:
        case QEvent::WindowStateChange: follow(); break;
        default: break;
        }
    }
    return QFrame::eventFilter(watched, event);
}

void CInfoTipWindow::hideTip()
{
    m_hideTimer.stop();
    m_fadeIn.stop();
    if (isVisible() && fades()) {
        m_fadeOut.start();
        return;
    }
    finishHiding();
}

void CInfoTipWindow::hideAll()
{
    m_waiting.clear();
    hideTip();
}

void CInfoTipWindow::finishHiding()
{
    m_fadeOut.stop();
    hide();
    m_key.clear();
    m_steppedAside = false;
    while (!m_waiting.isEmpty()) {
        const Waiting next = m_waiting.takeFirst();
        if (next.owner && m_tipSettings.mayShow(next.key)) {
            present(next);
            return;
        }
    }
}

void CInfoTipWindow::stepFadeIn()
{
    const qreal opacity = std::min(1.0, windowOpacity() + kFadeInStep);
    setWindowOpacity(opacity);
    if (opacity >= 1.0)
        m_fadeIn.stop();
}

void CInfoTipWindow::stepFadeOut()
{
    const qreal opacity = std::max(0.0, windowOpacity() - kFadeOutStep);
    setWindowOpacity(opacity);
    if (opacity <= 0.0)
        finishHiding();
}

void CInfoTipWindow::neverAgain()
{
    m_tipSettings.dismiss(m_key);
    hideTip();
}

void CInfoTipWindow::mousePressEvent(QMouseEvent*) { hideTip(); }

bool CInfoTipWindow::onCommand(int id)
{
    switch (id) {
    case CommandId::ShowInfoTips:
        m_tipSettings.setTipsOn(!m_tipSettings.tipsOn());
        if (!m_tipSettings.tipsOn())
            hideAll();
        return true;
    case CommandId::InfoTipsPlainLook:
        m_tipSettings.setPlainLook(!m_tipSettings.plainLook());
        return true;
    default:
        return false;
    }
}

std::optional<CCommandState> CInfoTipWindow::commandState(int id) const
{
    switch (id) {
    case CommandId::ShowInfoTips:
        return CCommandState{true, m_tipSettings.tipsOn()};
    case CommandId::InfoTipsPlainLook:
        return CCommandState{true, m_tipSettings.plainLook()};
    default:
        return std::nullopt;
    }
}
