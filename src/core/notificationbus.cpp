#include "notificationbus.h"

#include <QDeadlineTimer>
#include <QThread>

#include <algorithm>
#include <chrono>

namespace {

// How often waitForThread looks whether the worker has ended.
constexpr int kThreadEndPollMs = 5;

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

CNotificationBus::CNotificationBus(TickSource ticks, QObject* parent)
    : QObject(parent)
    , m_uiThread(QThread::currentThread())
    , m_ticks(std::move(ticks))
{
    m_clock.start();
    m_idleTimer.setInterval(kDelayCheckIntervalMs);
    connect(&m_idleTimer, &QTimer::timeout, this, &CNotificationBus::CheckDelayed);
}

CNotificationBus::~CNotificationBus()
{
    // Lets go of any sender still waiting, so no thread is left blocked on a
    // bus that no longer exists.
    Close();
}

qint64 CNotificationBus::now() const
{
    return m_ticks ? m_ticks() : m_clock.elapsed();
}

bool CNotificationBus::onUserInterfaceThread() const
{
    return QThread::currentThread() == m_uiThread;
}

bool CNotificationBus::Register(CNotifyListener* listener, const QString& channel)
{
    if (!listener)
        return false;
    std::unique_lock lock(m_lock);
    const QString key = channel.toLower();
    const bool isNew = !m_listeners.contains(key);
    QList<CNotifyListener*>& listeners = m_listeners[key];
    // A second registration would leave a slot behind after Unregister,
    // pointing at a listener that is gone.
    if (listeners.contains(listener))
        return isNew;
    const qsizetype empty = listeners.indexOf(nullptr);
    if (empty >= 0)
        listeners[empty] = listener;
    else
        listeners.append(listener);
    return isNew;
}

void CNotificationBus::Unregister(CNotifyListener* listener, const QString& channel)
{
    if (!listener)
        return;
    std::unique_lock lock(m_lock);
    const auto it = m_listeners.find(channel.toLower());
    if (it == m_listeners.end())
        return;
    // Emptied, never removed: a dispatch in progress walks the slots by index.
    std::replace(it->begin(), it->end(), listener, static_cast<CNotifyListener*>(nullptr));
    // Other listeners of the channel still expect its delayed messages.
    if (it->count(nullptr) == it->size()) {
        m_delayed.removeIf([&](const DelayedMessage& d) { return sameName(d.message.channel, channel); });
    }
}

void CNotificationBus::Broadcast(const QString& channel, const QString& event, void* parameter,
                                 bool asynchronous, int delayMs)
{
    Broadcast(CNotifyMessage{channel, event, parameter, asynchronous, delayMs});
}

void CNotificationBus::Broadcast(const CNotifyMessage& message)
{
    if (message.delayMs > 0) {
        std::unique_lock lock(m_lock);
        if (m_closed)
            return;
        CNotifyMessage delayed = message;
        delayed.asynchronous = true;
        m_delayed.append({delayed, now() + message.delayMs});
        return;
    }
    if (message.asynchronous) {
        enqueue(message);
        return;
    }
    if (onUserInterfaceThread())
        dispatch(message);
    else
        handOver(message);
}

void CNotificationBus::dispatch(const CNotifyMessage& message)
{
    if (isClosed())
        return;
    const QString key = message.channel.toLower();
    // The slot array may grow or lose listeners while they run: re-read it
    // for every slot and never hold the lock across a call.
    for (qsizetype i = 0;; ++i) {
        CNotifyListener* listener = nullptr;
        {
            std::unique_lock lock(m_lock);
            const auto it = m_listeners.constFind(key);
            if (it == m_listeners.cend() || i >= it->size())
                return;
            listener = it->at(i);
        }
        if (listener)
            listener->OnNotify(message);
    }
}

void CNotificationBus::enqueue(const CNotifyMessage& message)
{
    std::unique_lock lock(m_lock);
    if (m_closed)
        return;
    m_queue.append(message);
    if (m_wakeUpPosted)
        return;
    m_wakeUpPosted = true;
    ++m_wakeUpCount;
    QMetaObject::invokeMethod(this, &CNotificationBus::drainQueue, Qt::QueuedConnection);
}

void CNotificationBus::drainQueue()
{
    {
        std::unique_lock lock(m_lock);
        // Cleared first: a message queued while we drain posts a new wake-up,
        // so it is never stranded.
        m_wakeUpPosted = false;
    }
    for (;;) {
        CNotifyMessage message;
        {
            std::unique_lock lock(m_lock);
            if (m_closed || m_queue.isEmpty())
                return;
            message = m_queue.takeFirst();
        }
        message.asynchronous = false;
        dispatch(message);
    }
}

void CNotificationBus::handOver(const CNotifyMessage& message)
{
    auto pending = std::make_shared<HandOver>();
    pending->message = message;
    std::unique_lock lock(m_lock);
    if (m_closed)
        return;
    m_handOvers.append(pending);
    m_handOverPosted.notify_all();
    // Not a BlockingQueuedConnection: that wait could not be released by
    // Close, nor served while the user-interface thread waits on this thread.
    QMetaObject::invokeMethod(this, &CNotificationBus::serveHandOvers, Qt::QueuedConnection);
    while (!pending->finished)
        m_handOverFinished.wait(lock);
}

void CNotificationBus::serveHandOvers()
{
    for (;;) {
        std::shared_ptr<HandOver> pending;
        {
            std::unique_lock lock(m_lock);
            if (m_handOvers.isEmpty())
                return;
            pending = m_handOvers.takeFirst();
        }
        dispatch(pending->message);
        std::unique_lock lock(m_lock);
        pending->finished = true;
        m_handOverFinished.notify_all();
    }
}

void CNotificationBus::Withdraw(const QString& channel, const QString& event)
{
    const auto matches = [&](const CNotifyMessage& m) {
        return sameName(m.channel, channel) && (event.isEmpty() || sameName(m.event, event));
    };
    std::unique_lock lock(m_lock);
    m_queue.removeIf(matches);
    // A delayed message is just as pending as a queued one; clearing the
    // document drops its waiting tips this way.
    m_delayed.removeIf([&](const DelayedMessage& d) { return matches(d.message); });
}

void CNotificationBus::WithdrawParameter(const QString& channel, const void* parameter)
{
    const auto matches = [&](const CNotifyMessage& m) {
        return m.parameter == parameter && sameName(m.channel, channel);
    };
    std::unique_lock lock(m_lock);
    m_queue.removeIf(matches);
    m_delayed.removeIf([&](const DelayedMessage& d) { return matches(d.message); });
}

void CNotificationBus::CheckDelayed()
{
    QList<DelayedMessage> due;
    {
        std::unique_lock lock(m_lock);
        if (m_closed)
            return;
        const qint64 tick = now();
        if (m_lastDelayCheck && tick - *m_lastDelayCheck < kDelayCheckIntervalMs)
            return;
        m_lastDelayCheck = tick;
        for (qsizetype i = 0; i < m_delayed.size();) {
            if (m_delayed[i].dueTick <= tick)
                due.append(m_delayed.takeAt(i));
            else
                ++i;
        }
    }
    std::stable_sort(due.begin(), due.end(),
                     [](const DelayedMessage& a, const DelayedMessage& b) { return a.dueTick < b.dueTick; });
    for (DelayedMessage& d : due) {
        d.message.asynchronous = false;
        if (onUserInterfaceThread())
            dispatch(d.message);
        else
            enqueue(d.message); // never block an idle check run elsewhere
    }
}

void CNotificationBus::startIdleChecks()
{
    m_idleTimer.start();
}

void CNotificationBus::Close()
{
    {
        std::unique_lock lock(m_lock);
        m_closed = true;
        m_queue.clear();
        m_delayed.clear();
        // Only hand-overs not yet taken are let go; one being delivered
        // finishes normally, as its sender's parameter must stay alive while
        // the listeners use it.
        for (const auto& pending : std::as_const(m_handOvers))
            pending->finished = true;
        m_handOvers.clear();
        m_handOverFinished.notify_all();
    }
    QMetaObject::invokeMethod(&m_idleTimer, &QTimer::stop);
}

bool CNotificationBus::isClosed() const
{
    std::unique_lock lock(m_lock);
    return m_closed;
}

bool CNotificationBus::waitForThread(QThread* thread, int timeoutMs)
{
    if (!thread)
        return true;
    if (!onUserInterfaceThread())
        return thread->wait(QDeadlineTimer(timeoutMs));
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        serveHandOvers();
        if (thread->wait(QDeadlineTimer(0)))
            return true;
        if (deadline.hasExpired())
            return false;
        // Woken at once by a new hand-over; the thread's end is only seen by
        // polling, as QThread signals it through the event loop.
        const qint64 slice = deadline.isForever()
                                 ? kThreadEndPollMs
                                 : std::min<qint64>(kThreadEndPollMs, deadline.remainingTime());
        std::unique_lock lock(m_lock);
        if (m_handOvers.isEmpty())
            m_handOverPosted.wait_for(lock, std::chrono::milliseconds(slice));
    }
}

int CNotificationBus::postedWakeUps() const
{
    std::unique_lock lock(m_lock);
    return m_wakeUpCount;
}
