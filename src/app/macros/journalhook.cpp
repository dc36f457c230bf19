#include "journalhook.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

#include <utility>

// The window system's own entry points for input (what QTest drives windows
// through): events handed in here are delivered as if they came from the
// display, synchronously.
Q_GUI_EXPORT void qt_handleKeyEvent(QWindow* window, QEvent::Type type, int key, Qt::KeyboardModifiers modifiers,
                                    const QString& text, bool autorep, ushort count);
Q_GUI_EXPORT void qt_handleMouseEvent(QWindow* window, const QPointF& local, const QPointF& global,
                                      Qt::MouseButtons state, Qt::MouseButton button, QEvent::Type type,
                                      Qt::KeyboardModifiers modifiers, int timestamp);

namespace {

// The number pad's operators carry the keypad flag.
constexpr quint32 kFirstKeypadKey = 0x6A;
constexpr quint32 kLastKeypadKey = 0x6F;

bool isInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseMove:
        return true;
    default:
        // A double click is the window system's reading of two presses:
        // the presses are recorded and make it again when played.
        return false;
    }
}

} // namespace

CJournalHook::CJournalHook(QObject* parent)
    : QObject(parent)
{
    m_playTimer.setSingleShot(true);
    m_playTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_playTimer, &QTimer::timeout, this, &CJournalHook::playNext);
}

CJournalHook::~CJournalHook()
{
    m_listener = nullptr;
    stop();
}

quint32 CJournalHook::tickCount()
{
    static QElapsedTimer clock = [] {
        QElapsedTimer started;
        started.start();
        return started;
    }();
    return static_cast<quint32>(clock.elapsed());
}

bool CJournalHook::startRecording(CMacro& macro)
{
    if (m_target)
        return false;
    macro.setListener(this);
    m_target = &macro;
    if (!macro.StartRecording()) {
        macro.setListener(nullptr);
        m_target = nullptr;
        return false;
    }
    m_offeredKey = 0;
    qApp->installEventFilter(this);
    return true;
}

bool CJournalHook::startPlayback(CMacro& macro, QWindow* mainWindow)
{
    if (m_target)
        return false;
    macro.setListener(this);
    m_target = &macro;
    m_mainWindow = mainWindow;
    m_mouseHolder = nullptr;
    m_state = {};
    m_keysInFlight = 0;
    if (!macro.StartPlayback()) {
        macro.setListener(nullptr);
        m_target = nullptr;
        return false;
    }
    m_playClock.start();
    qApp->installEventFilter(this);
    m_playTimer.start(0);
    return true;
}

void CJournalHook::stop()
{
    if (m_target)
        m_target->Stop(); // comes back through OnStopped
}

void CJournalHook::OnRecordingStarted()
{
    if (m_listener)
        m_listener->OnRecordingStarted();
}

void CJournalHook::OnPlaybackStarted()
{
    if (m_listener)
        m_listener->OnPlaybackStarted();
}

void CJournalHook::OnStopped()
{
    qApp->removeEventFilter(this);
    m_playTimer.stop();
    if (m_target)
        m_target->setListener(nullptr);
    m_target = nullptr;
    if (m_listener)
        m_listener->OnStopped();
}

bool CJournalHook::eventFilter(QObject* watched, QEvent* event)
{
    if (!m_target || !event->spontaneous())
        return false;
    // A key press is offered to the shortcuts before any window sees it, and
    // the one a shortcut takes never reaches a window: it is recorded when
    // the focused object is asked whether it wants it itself.
    if (event->type() == QEvent::ShortcutOverride && m_target->isRecording()
        && (watched == QGuiApplication::focusObject() || watched->isWindowType())) {
        const auto* key = static_cast<QKeyEvent*>(event);
        // A press is offered once; held down, it is offered again and again.
        if (m_offeredKey != key->key() || key->isAutoRepeat()) {
            QKeyEvent press(QEvent::KeyPress, key->key(), key->modifiers(), key->nativeScanCode(),
                            key->nativeVirtualKey(), key->nativeModifiers(), key->text());
            record(&press);
            m_offeredKey = key->key();
        }
        return false;
    }
    // Input reaches a window first, then its widgets: watching the windows
    // sees every event once.
    if (!watched->isWindowType() || !isInput(event->type()))
        return false;
    if (m_target->isRecording()) {
        const int offered = std::exchange(m_offeredKey, 0);
        const bool recordedAlready =
            event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == offered;
        if (!recordedAlready)
            record(event);
        return false;
    }
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
        if (m_keysInFlight > 0) {
            --m_keysInFlight;
            return false;
        }
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            stop();
            return true; // the Escape is the user's word to us, not the document's
        }
    }
    return false;
}

void CJournalHook::record(QEvent* event)
{
    std::optional<CJournalEvent> journal;
    const quint32 time = tickCount();
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
        const auto* key = static_cast<QKeyEvent*>(event);
        journal = JournalCodes::keyEvent(event->type() == QEvent::KeyPress, key->key(),
                                         key->modifiers() & Qt::KeypadModifier,
                                         key->modifiers() & Qt::AltModifier, key->nativeScanCode(), time);
    } else {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        journal = JournalCodes::mouseEvent(event->type(), mouse->button(), mouse->globalPosition().toPoint(), time);
    }
    if (journal)
        m_target->appendEvent(*journal);
}

void CJournalHook::playNext()
{
    if (!m_target || !m_target->isPlaying())
        return;
    const CJournalEvent* current = m_target->currentEvent();
    if (!current) {
        stop();
        return;
    }
    const CJournalEvent record = *current;
    // The next event is timed before this one is delivered: delivering may
    // open a modal dialog whose event loop the rest of the macro plays in.
    if (m_target->Advance())
        m_playTimer.start(static_cast<int>(m_target->pendingDelay()));
    deliver(record);
}

void CJournalHook::deliver(const CJournalEvent& record)
{
    const std::optional<JournalCodes::CInput> input = JournalCodes::inputOf(record);
    if (!input)
        return;
    if (input->type == QEvent::KeyPress || input->type == QEvent::KeyRelease)
        deliverKey(*input);
    else
        deliverMouse(*input);
}

void CJournalHook::deliverKey(const JournalCodes::CInput& input)
{
    m_state.apply(input);
    Qt::KeyboardModifiers modifiers = m_state.modifiers();
    const int key = JournalCodes::qtKey(input.virtualKey, modifiers & Qt::ShiftModifier);
    if (key == 0)
        return;
    const QString text = JournalCodes::keyText(input.virtualKey, modifiers);
    if (input.virtualKey >= kFirstKeypadKey && input.virtualKey <= kLastKeypadKey)
        modifiers |= Qt::KeypadModifier;
    QWindow* window = QGuiApplication::focusWindow();
    if (!window)
        window = m_mainWindow;
    if (!window)
        return;
    ++m_keysInFlight;
    const QPointer<CJournalHook> alive(this);
    qt_handleKeyEvent(window, input.type, key, modifiers, text, false, 1);
    // A key taken by a shortcut never reaches a window.
    if (alive && m_keysInFlight > 0)
        --m_keysInFlight;
}

void CJournalHook::deliverMouse(const JournalCodes::CInput& input)
{
    const bool held = m_state.buttons() != Qt::NoButton;
    QWindow* window = held && m_mouseHolder ? m_mouseHolder.data() : windowAt(input.screen);
    m_state.apply(input);
    if (!window)
        return;
    if (input.type == QEvent::MouseButtonPress && !held)
        m_mouseHolder = window;
    const QPointF local = window->mapFromGlobal(QPointF(input.screen));
    qt_handleMouseEvent(window, local, QPointF(input.screen), m_state.buttons(), input.button, input.type,
                        m_state.modifiers(), static_cast<int>(m_playClock.elapsed()));
}

QWindow* CJournalHook::windowAt(const QPoint& screen) const
{
    // An open menu holds the mouse wherever it goes, as on the display.
    if (QWidget* popup = QApplication::activePopupWidget())
        return popup->windowHandle();
    if (QWindow* window = QGuiApplication::topLevelAt(screen))
        return window;
    return m_mainWindow;
}
