#include "infotipwindow.h"

#include "messagebox.h"
#include "messagecatalogue.h"
#include "propmanager.h"

#include <QCursor>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QScreen>
#include <QStyle>
#include <QToolButton>

#include <algorithm>
#include <utility>

namespace {

constexpr const char* kTipItemDescription = "Info-Tip item";
// The tip sits this far below and right of the point it is about.
constexpr int kOffsetPixels = 16;

} // namespace

CInfoTipWindow::CInfoTipWindow(CPropManager& settings, CMessageCatalogue& catalogue, QWidget* anchor)
    : QFrame(anchor, Qt::ToolTip | Qt::FramelessWindowHint)
    , m_settings(settings)
    , m_catalogue(catalogue)
    , m_anchor(anchor)
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
}

CInfoTipWindow::~CInfoTipWindow()
{
    if (m_bus)
        m_bus->Unregister(this, QString::fromLatin1(Channel::Tip));
}

void CInfoTipWindow::listenTo(CNotificationBus& bus)
{
    m_bus = &bus;
    bus.Register(this, QString::fromLatin1(Channel::Tip));
}

bool CInfoTipWindow::OnNotify(const CNotifyMessage& message)
{
    QPoint at = QCursor::pos();
    if (m_anchor)
        at = m_anchor->mapToGlobal(m_anchor->rect().center());
    return showTip(message.event, at, When::InTurn);
}

bool CInfoTipWindow::wanted(const QString& key)
{
    if (!m_settings.getValue(QString::fromLatin1(kTipsOnSetting)).value_or(CPropValue::boolean(true)).toBool())
        return false;
    m_settings.registerProp(key, QString::fromLatin1(kTipItemDescription), true, CPropValue::boolean(true));
    return m_settings.getValue(key).value_or(CPropValue::boolean(true)).toBool();
}

bool CInfoTipWindow::showTip(const QString& key, const QPoint& globalPoint, When when)
{
    if (key.compare(m_key, Qt::CaseInsensitive) == 0 || !wanted(key))
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
    m_key = key;
    const int maxWidth =
        m_settings.getValue(QString::fromLatin1(kMaxWidthSetting)).value_or(CPropValue::i32(kDefaultMaxWidth)).toInt();
    m_text->setText(MessageBox::flowingText(m_catalogue.text(key)));
    m_text->setMaximumWidth(std::max(1, maxWidth));
    adjustSize();
    QPoint at = globalPoint + QPoint(kOffsetPixels, kOffsetPixels);
    if (const QScreen* screen = QGuiApplication::screenAt(globalPoint)) {
        const QRect area = screen->availableGeometry();
        at.setX(std::clamp(at.x(), area.left(), std::max(area.left(), area.right() - width())));
        at.setY(std::clamp(at.y(), area.top(), std::max(area.top(), area.bottom() - height())));
    }
    move(at);
    show();
    raise();
    m_shownFor.start();
    m_hideTimer.start(kShowMs);
}

void CInfoTipWindow::hideTip()
{
    hide();
    m_key.clear();
    m_hideTimer.stop();
    while (!m_waiting.isEmpty()) {
        const Waiting next = m_waiting.takeFirst();
        if (wanted(next.key)) {
            present(next.key, next.point);
            return;
        }
    }
}

void CInfoTipWindow::neverAgain()
{
    if (!m_key.isEmpty())
        m_settings.setValue(m_key, CPropValue::boolean(false));
    hideTip();
}

void CInfoTipWindow::mousePressEvent(QMouseEvent*) { hideTip(); }
