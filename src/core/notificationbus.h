#pragma once
// The process-wide notification bus: components announce changes by channel
// and event name, and every listener registered for the channel is called on
// the user-interface thread. The bus also carries events raised on worker
// threads over to that thread and holds back events that must wait a while.
//
// One instance, owned by the application's services object and handed to
// whoever needs it. It lives in the thread that creates it (the user-interface
// thread) and must never be moved. Destroy it only after every thread that may
// broadcast on it has ended.

#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

class QThread;

// Channel names. Listeners register for these; the bus ignores their case.
namespace Channel {
inline constexpr auto MyPhotos = "MyPhotos";
inline constexpr auto Dropper = "Dropper";
inline constexpr auto Application = "Application";
inline constexpr auto Undo = "Undo";
inline constexpr auto Doc = "Doc";
inline constexpr auto ErrorMsg = "ErrorMsg";
// The event is the info-tip's key; the parameter is null (a tip about the
// canvas) or the QWidget the tip is about, then sent synchronously only.
inline constexpr auto Tip = "Tip";
} // namespace Channel

// Event names, grouped by the channel that carries them.
namespace Event {
// "MyPhotos"; the parameter is the photo, except for RemoveDB.
inline constexpr auto RenderComplete = "RenderComplete";
inline constexpr auto FlipPhoto = "FlipPhoto";
inline constexpr auto SaveThumb = "SaveThumb";
inline constexpr auto ImageError = "ImageError";
inline constexpr auto CacheError = "CacheError";
inline constexpr auto MakeDirty = "MakeDirty";
inline constexpr auto RemoveDB = "RemoveDB";
// "Dropper"; the photo events carry the photo.
inline constexpr auto BeginPopulate = "BeginPopulate";
inline constexpr auto EndPopulate = "EndPopulate";
inline constexpr auto NewPhoto = "NewPhoto";
inline constexpr auto RemovePhoto = "RemovePhoto";
inline constexpr auto FocusPhoto = "FocusPhoto";
inline constexpr auto DropImage = "DropImage";
// "Application"
inline constexpr auto Closing = "Closing";
inline constexpr auto CancelMode = "CancelMode";
// "Undo"
inline constexpr auto Begin = "Begin";
inline constexpr auto Term = "Term";
// "Doc"; the parameter is a value (non-zero: modified).
inline constexpr auto HasMods = "HasMods";
// "ErrorMsg": the event is the catalogue key, the parameter the box style.
inline constexpr auto WrongDocVersion = "WrongDocVersion";
} // namespace Event

// Delayed messages are looked at no more often than this.
inline constexpr int kDelayCheckIntervalMs = 50;

struct CNotifyMessage
{
    QString channel;
    QString event;
    // The object concerned (e.g. a CPhotoItem), or a small value, or null.
    // The bus never owns or touches it.
    void* parameter = nullptr;
    bool asynchronous = false;
    int delayMs = 0;

    // Some events carry a number (a flag, a message-box style) instead of an
    // object; these keep the casts in one place.
    static void* valueParameter(quintptr value) { return reinterpret_cast<void*>(value); }
    quintptr parameterValue() const { return reinterpret_cast<quintptr>(parameter); }
};

class CNotifyListener
{
public:
    virtual ~CNotifyListener() = default;
    // Always called on the user-interface thread. Returns whether the
    // listener acted on the message; every listener is called either way.
    virtual bool OnNotify(const CNotifyMessage& message) = 0;
};

class CNotificationBus : public QObject
{
    Q_OBJECT

public:
    // Monotonic milliseconds; tests pass their own clock.
    using TickSource = std::function<qint64()>;

    explicit CNotificationBus(TickSource ticks = {}, QObject* parent = nullptr);
    ~CNotificationBus() override;

    // Adds the listener to the channel (first empty slot, else at the end).
    // Returns true when the channel had never been registered before.
    // Registering the same listener twice on a channel has no effect.
    // Register and Unregister belong to the user-interface thread; both are
    // safe from inside OnNotify.
    bool Register(CNotifyListener* listener, const QString& channel);

    // Empties the listener's slot. When the channel is left without any
    // listener its delayed messages are discarded: nobody is there for them.
    void Unregister(CNotifyListener* listener, const QString& channel);

    // Any thread. Does nothing once the bus is closed. With a delay the
    // message waits in the delayed list for CheckDelayed. An asynchronous
    // message is queued for the user-interface thread and the call returns at
    // once. A synchronous one is delivered before the call returns: directly
    // on the user-interface thread, by a blocking hand-over from any other.
    // A blocked sender is released unserved when the bus closes.
    void Broadcast(const QString& channel, const QString& event, void* parameter = nullptr,
                   bool asynchronous = false, int delayMs = 0);
    void Broadcast(const CNotifyMessage& message);

    // Removes undelivered queued and delayed messages of the channel, only
    // those of the given event unless it is empty (names ignore case).
    void Withdraw(const QString& channel, const QString& event = {});
    // Removes the undelivered queued and delayed messages of the channel
    // that carry this parameter: its object is about to go.
    void WithdrawParameter(const QString& channel, const void* parameter);

    // User-interface thread, from idle processing. At most every
    // kDelayCheckIntervalMs it delivers and removes every delayed message
    // whose due tick has come, in the order they fell due.
    void CheckDelayed();

    // Drives CheckDelayed from a timer of kDelayCheckIntervalMs.
    void startIdleChecks();

    // Every later broadcast is dropped, queued and delayed messages are
    // discarded and blocked senders whose message has not started are let go.
    // Call it before waiting on any worker at shutdown.
    void Close();
    bool isClosed() const;

    // The user-interface thread must not simply block on a worker that may be
    // blocked on the bus. This waits for the thread to end while serving its
    // synchronous broadcasts. Returns whether it ended within the time (a
    // negative time waits without limit).
    bool waitForThread(QThread* thread, int timeoutMs);

    // Diagnostics: wake-ups posted to the user-interface thread so far.
    int postedWakeUps() const;

private:
    struct DelayedMessage
    {
        CNotifyMessage message;
        qint64 dueTick;
    };
    // A synchronous message from another thread, waiting to be delivered.
    struct HandOver
    {
        CNotifyMessage message;
        bool finished = false; // delivered, or dropped by Close
    };

    qint64 now() const;
    bool onUserInterfaceThread() const;
    void dispatch(const CNotifyMessage& message);
    void enqueue(const CNotifyMessage& message);
    void handOver(const CNotifyMessage& message);
    void drainQueue();
    void serveHandOvers();

    QThread* const m_uiThread;
    TickSource m_ticks;
    QElapsedTimer m_clock;
    QTimer m_idleTimer;

    // One lock for all of the state below. It is never held while a listener
    // runs, so listeners may call back into the bus freely. Standard
    // primitives rather than Qt's: a thread checker sees through these.
    mutable std::mutex m_lock;
    std::condition_variable m_handOverPosted;
    std::condition_variable m_handOverFinished;
    QHash<QString, QList<CNotifyListener*>> m_listeners; // key: lower-cased channel
    QList<CNotifyMessage> m_queue;
    bool m_wakeUpPosted = false;
    int m_wakeUpCount = 0;
    QList<DelayedMessage> m_delayed;
    std::optional<qint64> m_lastDelayCheck;
    QList<std::shared_ptr<HandOver>> m_handOvers;
    bool m_closed = false;
};
