#include "infotipwindow.h"

#include "commandids.h"
#include "messagebox.h"
#include "messagecatalogue.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QScreen>
#include <QStyle>
#include <QToolButton>

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
}

CInfoTipWindow::~CInfoTipWindow() = default;

bool CInfoTipWindow::fades() const { return !m_tipSettings.plainLook(); }

bool CInfoTipWindow::showTip(const QString& key, const QPoint& globalPoint, When when)
{
    if (key.compare(m_key, Qt::CaseInsensitive) == 0 || !m_tipSettings.mayShow(key))
        return false;
    for (const Waiting& waiting : std::as_const(m_waiting)) {
        if (waiting.key.compare(key, Qt::CaseInsensitive) == 0)
            return false;
    }
    if (m_key.isEmpty()) {
        present(key, globalPoint);
        return true;
    }
    if (when == When::InTurn) {
        m_waiting.append({key, globalPoint});
        return false;
    }
    if (m_shownFor.elapsed() < kMinShowMs) {
        // The tip on screen has its first second; this one comes next.
        m_waiting.prepend({key, globalPoint});
        m_hideTimer.start(int(kMinShowMs - m_shownFor.elapsed()));
        return false;
    }
    present(key, globalPoint);
    return true;
}

void CInfoTipWindow::present(const QString& key, const QPoint& globalPoint)
{
    m_fadeIn.stop();
    m_fadeOut.stop();
    m_key = key;
    m_tipSettings.markShown(key);
    m_text->setText(MessageBox::flowingText(m_catalogue.text(key)));
    m_text->setMaximumWidth(m_tipSettings.maxWidth());
    adjustSize();
    QPoint at = globalPoint + QPoint(kOffsetPixels, kOffsetPixels);
    if (const QScreen* screen = QGuiApplication::screenAt(globalPoint)) {
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
    if (!m_steppedAside) {
        show();
        raise();
    }
    m_shownFor.start();
    m_hideTimer.start(kShowMs);
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
    while (!m_waiting.isEmpty()) {
        const Waiting next = m_waiting.takeFirst();
        if (m_tipSettings.mayShow(next.key)) {
            present(next.key, next.point);
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

void CInfoTipWindow::followFrame(bool activeAndEnabled)
{
    if (!activeAndEnabled) {
        if (isVisible()) {
            m_steppedAside = true;
            hide();
        }
        return;
    }
    if (std::exchange(m_steppedAside, false) && !m_key.isEmpty()) {
        show();
        raise();
    }
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
