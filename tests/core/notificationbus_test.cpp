#include "notificationbus.h"

#include <QCoreApplication>
#include <QSemaphore>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>

namespace {

constexpr int kEventualMs = 5000; // generous: only a failing test waits this long

struct Received
{
    QString channel;
    QString event;
    void* parameter = nullptr;
    QThread* thread = nullptr;
};

// Records what it is told; an optional reaction runs inside OnNotify.
class RecordingListener : public CNotifyListener
{
public:
    bool OnNotify(const CNotifyMessage& message) override
    {
        m_received.append({message.channel, message.event, message.parameter, QThread::currentThread()});
        if (m_reaction)
            m_reaction(message);
        return true;
    }

    QStringList events() const
    {
        QStringList names;
        for (const Received& r : m_received)
            names << r.event;
        return names;
    }
    int count() const { return m_received.size(); }
    Received last() const { return m_received.isEmpty() ? Received{} : m_received.last(); }

    std::function<void(const CNotifyMessage&)> m_reaction;

private:
    QList<Received> m_received;
};

// Appends its name to a shared log, so tests can see the calling order.
class NamedListener : public CNotifyListener
{
public:
    NamedListener(QString name, QStringList& log) : m_name(std::move(name)), m_log(log) {}
    bool OnNotify(const CNotifyMessage&) override
    {
        m_log << m_name;
        return true;
    }

private:
    QString m_name;
    QStringList& m_log;
};

void processPostedEvents()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

// Ends a worker when the test is done with it. A worker still stuck in the
// bus after a failed expectation is let go by closing the bus, so a failing
// test reports instead of hanging.
struct WorkerStopper
{
    CNotificationBus* bus;
    void operator()(QThread* thread) const
    {
        if (!thread->wait(kEventualMs)) {
            bus->Close();
            if (!thread->wait(kEventualMs)) {
                thread->terminate();
                thread->wait();
            }
        }
        delete thread;
    }
};
using Worker = std::unique_ptr<QThread, WorkerStopper>;

// A bus whose clock the test moves by hand.
class NotificationBusTest : public ::testing::Test
{
protected:
    std::shared_ptr<std::atomic<qint64>> m_now = std::make_shared<std::atomic<qint64>>(1000);
    CNotificationBus m_bus{[now = m_now] { return now->load(); }};
    RecordingListener m_listener;

    void advanceTo(qint64 tick) { m_now->store(tick); }

    Worker startWorker(std::function<void()> work)
    {
        Worker thread(QThread::create(std::move(work)), WorkerStopper{&m_bus});
        thread->start();
        return thread;
    }
};

} // namespace

// --- Registration and synchronous delivery ---------------------------------

TEST_F(NotificationBusTest, ListenerRegisteredInOtherLetterCaseReceivesTheChannel)
{
    m_bus.Register(&m_listener, "myphotos");
    int photo = 0;

    m_bus.Broadcast(Channel::MyPhotos, Event::RenderComplete, &photo);

    ASSERT_EQ(m_listener.count(), 1);
    EXPECT_EQ(m_listener.last().channel, "MyPhotos");
    EXPECT_EQ(m_listener.last().event, "RenderComplete");
    EXPECT_EQ(m_listener.last().parameter, &photo);
    EXPECT_EQ(m_listener.last().thread, QThread::currentThread());
}

TEST_F(NotificationBusTest, RegisterTellsWhetherTheChannelIsNewIgnoringCase)
{
    RecordingListener other;
    EXPECT_TRUE(m_bus.Register(&m_listener, "Dropper"));
    EXPECT_FALSE(m_bus.Register(&other, "DROPPER"));
    m_bus.Unregister(&m_listener, "Dropper");
    m_bus.Unregister(&other, "Dropper");
    EXPECT_FALSE(m_bus.Register(&m_listener, "dropper")) << "the channel's slots outlive its listeners";
}

TEST_F(NotificationBusTest, OnlyListenersOfTheChannelAreCalled)
{
    RecordingListener undoListener;
    m_bus.Register(&m_listener, Channel::Dropper);
    m_bus.Register(&undoListener, Channel::Undo);

    m_bus.Broadcast(Channel::Undo, Event::Begin);
    m_bus.Broadcast("NoSuchChannel", "Anything");

    EXPECT_EQ(m_listener.count(), 0);
    EXPECT_EQ(undoListener.events(), QStringList{"Begin"});
}

TEST_F(NotificationBusTest, RemovedListenerLeavesASlotTheNextRegistrationReuses)
{
    QStringList log;
    NamedListener a("a", log), b("b", log), c("c", log), d("d", log);
    m_bus.Register(&a, Channel::MyPhotos);
    m_bus.Register(&b, Channel::MyPhotos);
    m_bus.Register(&c, Channel::MyPhotos);

    m_bus.Unregister(&b, Channel::MyPhotos);
    m_bus.Broadcast(Channel::MyPhotos, Event::FlipPhoto);
    EXPECT_EQ(log, QStringList({"a", "c"}));

    log.clear();
    m_bus.Register(&d, Channel::MyPhotos);
    m_bus.Broadcast(Channel::MyPhotos, Event::FlipPhoto);
    EXPECT_EQ(log, QStringList({"a", "d", "c"}));
}

TEST_F(NotificationBusTest, RegisteringTwiceDeliversOnceAndOneUnregisterRemovesIt)
{
    m_bus.Register(&m_listener, Channel::Doc);
    m_bus.Register(&m_listener, "doc");
    m_bus.Broadcast(Channel::Doc, Event::HasMods, CNotifyMessage::valueParameter(1));
    ASSERT_EQ(m_listener.count(), 1);

    m_bus.Unregister(&m_listener, Channel::Doc);
    m_bus.Broadcast(Channel::Doc, Event::HasMods, CNotifyMessage::valueParameter(1));
    EXPECT_EQ(m_listener.count(), 1);
}

// --- Changing the listeners while they are being called --------------------

TEST_F(NotificationBusTest, ListenersUnregisteredDuringDispatchAreSkippedAndLaterOnesStillRun)
{
    RecordingListener later;
    m_listener.m_reaction = [&](const CNotifyMessage&) { m_bus.Unregister(&m_listener, Channel::Undo); };
    m_bus.Register(&m_listener, Channel::Undo);
    m_bus.Register(&later, Channel::Undo);
    m_bus.Broadcast(Channel::Undo, Event::Begin);
    m_bus.Broadcast(Channel::Undo, Event::Term);
    EXPECT_EQ(m_listener.events(), QStringList{"Begin"});
    EXPECT_EQ(later.events(), QStringList({"Begin", "Term"}));

    // A slot emptied by an earlier listener of the same dispatch is skipped.
    RecordingListener first, removed;
    first.m_reaction = [&](const CNotifyMessage&) { m_bus.Unregister(&removed, Channel::Doc); };
    m_bus.Register(&first, Channel::Doc);
    m_bus.Register(&removed, Channel::Doc);
    m_bus.Broadcast(Channel::Doc, Event::Begin);
    EXPECT_EQ(first.count(), 1);
    EXPECT_EQ(removed.count(), 0);
}

TEST_F(NotificationBusTest, ListenersRegisteredDuringDispatchDoNotUpsetIt)
{
    // Enough new registrations to make the slot array reallocate under the
    // running dispatch.
    std::vector<std::unique_ptr<RecordingListener>> added;
    m_listener.m_reaction = [&](const CNotifyMessage&) {
        for (int i = 0; i < 64; ++i) {
            added.push_back(std::make_unique<RecordingListener>());
            m_bus.Register(added.back().get(), Channel::Application);
        }
    };
    m_bus.Register(&m_listener, Channel::Application);

    m_bus.Broadcast(Channel::Application, Event::CancelMode);
    m_listener.m_reaction = nullptr;
    m_bus.Broadcast(Channel::Application, Event::Closing);

    EXPECT_EQ(m_listener.count(), 2);
    for (const auto& listener : added)
        EXPECT_EQ(listener->last().event, "Closing");
}

// --- Delayed messages -------------------------------------------------------

TEST_F(NotificationBusTest, DelayedMessageWaitsForItsDueTickAndArrivesAtTheNextCheck)
{
    m_bus.Register(&m_listener, Channel::Tip);
    m_bus.Broadcast(Channel::Tip, "Tip::Splitter", nullptr, false, 1000); // due at 2000

    m_bus.CheckDelayed();
    EXPECT_EQ(m_listener.count(), 0) << "no delayed message is delivered at once";

    advanceTo(1999);
    m_bus.CheckDelayed();
    EXPECT_EQ(m_listener.count(), 0);

    advanceTo(2049);
    m_bus.CheckDelayed();
    EXPECT_EQ(m_listener.events(), QStringList{"Tip::Splitter"});
    EXPECT_EQ(m_listener.last().thread, QThread::currentThread());

    advanceTo(3000);
    m_bus.CheckDelayed();
    EXPECT_EQ(m_listener.count(), 1) << "delivered messages leave the delayed list";
}

TEST_F(NotificationBusTest, CheckDelayedLooksAtMostEveryFiftyMilliseconds)
{
    m_bus.Register(&m_listener, Channel::Tip);
    m_bus.Broadcast(Channel::Tip, "Tip::A", nullptr, false, 30); // due at 1030

    m_bus.CheckDelayed(); // scans at 1000
    advanceTo(1030 + 19);
    m_bus.CheckDelayed();
    EXPECT_EQ(m_listener.count(), 0) << "49 ms after the last scan";

    advanceTo(1000 + kDelayCheckIntervalMs);
    m_bus.CheckDelayed();
    EXPECT_EQ(m_listener.count(), 1);
}

TEST_F(NotificationBusTest, DueMessagesArriveInTheOrderTheyFellDueAndOthersKeepWaiting)
{
    m_bus.Register(&m_listener, Channel::Tip);
    m_bus.Broadcast(Channel::Tip, "Tip::Late", nullptr, false, 4000);
    m_bus.Broadcast(Channel::Tip, "Tip::Second", nullptr, false, 300);
    m_bus.Broadcast(Channel::Tip, "Tip::First", nullptr, false, 100);

    advanceTo(1500);
    m_bus.CheckDelayed();
    EXPECT_EQ(m_listener.events(), QStringList({"Tip::First", "Tip::Second"}));

    advanceTo(5000);
    m_bus.CheckDelayed();
    EXPECT_EQ(m_listener.events(), QStringList({"Tip::First", "Tip::Second", "Tip::Late"}));
}

TEST_F(NotificationBusTest, OnlyTheLastListenerLeavingDiscardsTheChannelsDelayedMessages)
{
    RecordingListener docListener, leaving, staying;
    m_bus.Register(&m_listener, Channel::Tip);
    m_bus.Register(&docListener, Channel::Doc);
    m_bus.Register(&leaving, Channel::MyPhotos);
    m_bus.Register(&staying, Channel::MyPhotos);
    m_bus.Broadcast(Channel::Tip, "Tip::A", nullptr, false, 100);
    m_bus.Broadcast(Channel::Doc, Event::HasMods, nullptr, false, 100);
    m_bus.Broadcast(Channel::MyPhotos, Event::RenderComplete, nullptr, false, 100);

    m_bus.Unregister(&m_listener, "TIP");
    m_bus.Register(&m_listener, Channel::Tip);
    m_bus.Unregister(&leaving, Channel::MyPhotos);
    advanceTo(2000);
    m_bus.CheckDelayed();

    EXPECT_EQ(m_listener.count(), 0);
    EXPECT_EQ(docListener.events(), QStringList{"HasMods"}) << "other channels keep theirs";
    EXPECT_EQ(staying.events(), QStringList{"RenderComplete"}) << "a channel with a listener keeps its own";
    EXPECT_EQ(leaving.count(), 0);
}

TEST(NotificationBusIdleChecks, TimerDeliversDelayedMessagesWithoutBeingAsked)
{
    CNotificationBus bus; // real clock
    RecordingListener listener;
    bus.Register(&listener, Channel::Tip);
    bus.startIdleChecks();

    bus.Broadcast(Channel::Tip, "Tip::Timer", nullptr, false, 20);

    EXPECT_TRUE(QTest::qWaitFor([&] { return listener.count() == 1; }, kEventualMs));
}

// --- Asynchronous messages --------------------------------------------------

TEST_F(NotificationBusTest, TwoAsyncBroadcastsPostOneWakeUpAndArriveInOrder)
{
    m_bus.Register(&m_listener, Channel::Dropper);
    const int before = m_bus.postedWakeUps();

    m_bus.Broadcast(Channel::Dropper, Event::NewPhoto, nullptr, true);
    m_bus.Broadcast(Channel::Dropper, Event::FocusPhoto, nullptr, true);

    EXPECT_EQ(m_listener.count(), 0) << "asynchronous means not now";
    EXPECT_EQ(m_bus.postedWakeUps(), before + 1);
    processPostedEvents();
    EXPECT_EQ(m_listener.events(), QStringList({"NewPhoto", "FocusPhoto"}));

    m_bus.Broadcast(Channel::Dropper, Event::RemovePhoto, nullptr, true);
    EXPECT_EQ(m_bus.postedWakeUps(), before + 2) << "a drained queue needs a new wake-up";
    processPostedEvents();
    EXPECT_EQ(m_listener.events(), QStringList({"NewPhoto", "FocusPhoto", "RemovePhoto"}));
}

TEST_F(NotificationBusTest, AsyncBroadcastFromAListenerIsDeliveredAfterTheCurrentOnes)
{
    m_listener.m_reaction = [&](const CNotifyMessage& m) {
        if (m.event == Event::BeginPopulate)
            m_bus.Broadcast(Channel::Dropper, Event::EndPopulate, nullptr, true);
    };
    m_bus.Register(&m_listener, Channel::Dropper);

    m_bus.Broadcast(Channel::Dropper, Event::BeginPopulate, nullptr, true);
    m_bus.Broadcast(Channel::Dropper, Event::NewPhoto, nullptr, true);

    EXPECT_TRUE(QTest::qWaitFor([&] { return m_listener.count() == 3; }, kEventualMs));
    EXPECT_EQ(m_listener.events(), QStringList({"BeginPopulate", "NewPhoto", "EndPopulate"}));
}

TEST_F(NotificationBusTest, WithdrawRemovesQueuedAndDelayedMessagesOfOneEventOrAWholeChannel)
{
    RecordingListener dropperListener, tipListener;
    m_bus.Register(&m_listener, Channel::MyPhotos);
    m_bus.Register(&dropperListener, Channel::Dropper);
    m_bus.Register(&tipListener, Channel::Tip);
    m_bus.Broadcast(Channel::MyPhotos, Event::RenderComplete, nullptr, true);
    m_bus.Broadcast(Channel::MyPhotos, Event::SaveThumb, nullptr, true);
    m_bus.Broadcast(Channel::Dropper, Event::RenderComplete, nullptr, true);
    m_bus.Broadcast(Channel::Tip, "Tip::A", nullptr, false, 1000);
    m_bus.Broadcast(Channel::Tip, "Tip::B", nullptr, false, 1000);

    m_bus.Withdraw("myphotos", Event::RenderComplete);
    m_bus.Withdraw(Channel::Tip, "tip::a");
    processPostedEvents();
    advanceTo(5000);
    m_bus.CheckDelayed();
    EXPECT_EQ(m_listener.events(), QStringList{"SaveThumb"});
    EXPECT_EQ(dropperListener.events(), QStringList{"RenderComplete"}) << "other channels untouched";
    EXPECT_EQ(tipListener.events(), QStringList{"Tip::B"});

    // Without an event the whole channel's queue goes.
    m_bus.Broadcast(Channel::MyPhotos, Event::RenderComplete, nullptr, true);
    m_bus.Broadcast(Channel::Dropper, Event::NewPhoto, nullptr, true);
    m_bus.Broadcast(Channel::MyPhotos, Event::ImageError, nullptr, true);
    m_bus.Withdraw(Channel::MyPhotos);
    processPostedEvents();
    EXPECT_EQ(m_listener.events(), QStringList{"SaveThumb"});
    EXPECT_EQ(dropperListener.events(), QStringList({"RenderComplete", "NewPhoto"}));
}

// --- Closing ----------------------------------------------------------------

TEST_F(NotificationBusTest, ClosedBusDropsWhatWaitsAndEveryLaterBroadcast)
{
    m_bus.Register(&m_listener, Channel::Application);
    m_bus.Broadcast(Channel::Application, Event::CancelMode, nullptr, true);
    m_bus.Broadcast(Channel::Application, Event::CancelMode, nullptr, false, 10);

    m_bus.Close();
    m_bus.Broadcast(Channel::Application, Event::Closing);
    m_bus.Broadcast(Channel::Application, Event::Closing, nullptr, true);
    m_bus.Broadcast(Channel::Application, Event::Closing, nullptr, false, 10);
    advanceTo(5000);
    m_bus.CheckDelayed();
    processPostedEvents();

    EXPECT_TRUE(m_bus.isClosed());
    EXPECT_EQ(m_listener.count(), 0);
}

TEST_F(NotificationBusTest, ListenerThatClosesTheBusStopsTheRestOfTheQueue)
{
    m_listener.m_reaction = [&](const CNotifyMessage&) { m_bus.Close(); };
    m_bus.Register(&m_listener, Channel::Application);

    m_bus.Broadcast(Channel::Application, Event::Closing, nullptr, true);
    m_bus.Broadcast(Channel::Application, Event::CancelMode, nullptr, true);
    processPostedEvents();

    EXPECT_EQ(m_listener.events(), QStringList{"Closing"});
}

// --- Other threads ----------------------------------------------------------

TEST_F(NotificationBusTest, SyncBroadcastFromWorkerWaitsUntilTheListenerRanOnTheUiThread)
{
    std::atomic<bool> listenerRan = false;
    std::atomic<bool> ranBeforeReturn = false;
    m_listener.m_reaction = [&](const CNotifyMessage&) { listenerRan = true; };
    m_bus.Register(&m_listener, Channel::MyPhotos);
    int photo = 0;

    auto worker = startWorker([&] {
        m_bus.Broadcast(Channel::MyPhotos, Event::RenderComplete, &photo);
        ranBeforeReturn = listenerRan.load();
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return worker->isFinished(); }, kEventualMs));
    worker->wait();

    EXPECT_TRUE(ranBeforeReturn);
    ASSERT_EQ(m_listener.count(), 1);
    EXPECT_EQ(m_listener.last().thread, QThread::currentThread());
    EXPECT_EQ(m_listener.last().parameter, &photo);
}

TEST_F(NotificationBusTest, AsyncBroadcastFromWorkerArrivesOnTheUiThread)
{
    m_bus.Register(&m_listener, Channel::MyPhotos);

    auto worker = startWorker([&] {
        m_bus.Broadcast(Channel::MyPhotos, Event::SaveThumb, nullptr, true);
        m_bus.Broadcast(Channel::MyPhotos, Event::ImageError, nullptr, true);
    });
    ASSERT_TRUE(worker->wait(kEventualMs)) << "asynchronous senders never wait for the UI thread";

    EXPECT_TRUE(QTest::qWaitFor([&] { return m_listener.count() == 2; }, kEventualMs));
    EXPECT_EQ(m_listener.events(), QStringList({"SaveThumb", "ImageError"}));
    EXPECT_EQ(m_listener.last().thread, QThread::currentThread());
}

TEST_F(NotificationBusTest, DelayedBroadcastFromWorkerIsDeliveredByTheUiThreadsCheck)
{
    m_bus.Register(&m_listener, Channel::Tip);

    auto worker = startWorker([&] { m_bus.Broadcast(Channel::Tip, "Tip::Worker", nullptr, false, 100); });
    ASSERT_TRUE(worker->wait(kEventualMs));
    advanceTo(2000);
    m_bus.CheckDelayed();

    ASSERT_EQ(m_listener.count(), 1);
    EXPECT_EQ(m_listener.last().thread, QThread::currentThread());
}

TEST_F(NotificationBusTest, SyncBroadcastFromWorkerAfterCloseReturnsAtOnce)
{
    m_bus.Register(&m_listener, Channel::MyPhotos);
    m_bus.Close();

    // The UI thread runs no event loop here: a sender that waited for it
    // would never return.
    auto worker = startWorker([&] { m_bus.Broadcast(Channel::MyPhotos, Event::RenderComplete); });

    EXPECT_TRUE(worker->wait(kEventualMs));
    processPostedEvents();
    EXPECT_EQ(m_listener.count(), 0);
}

TEST_F(NotificationBusTest, CloseReleasesAWorkerBlockedInASyncBroadcast)
{
    m_bus.Register(&m_listener, Channel::MyPhotos);
    QSemaphore aboutToBroadcast;

    auto worker = startWorker([&] {
        aboutToBroadcast.release();
        m_bus.Broadcast(Channel::MyPhotos, Event::RenderComplete);
    });
    aboutToBroadcast.acquire();
    QThread::msleep(20); // most likely blocked by now; either way it must end
    EXPECT_FALSE(worker->isFinished()) << "the sender waits while the UI thread is busy";

    m_bus.Close();

    EXPECT_TRUE(worker->wait(kEventualMs));
    processPostedEvents();
    EXPECT_EQ(m_listener.count(), 0);
}

TEST_F(NotificationBusTest, WaitForThreadServesAWorkerBlockedInASyncBroadcast)
{
    m_bus.Register(&m_listener, Channel::MyPhotos);
    std::atomic<bool> listenerRanFirst = false;

    auto worker = startWorker([&] {
        m_bus.Broadcast(Channel::MyPhotos, Event::RenderComplete);
        listenerRanFirst = m_listener.count() == 1;
    });

    // No event loop: only the wait itself can serve the worker.
    EXPECT_TRUE(m_bus.waitForThread(worker.get(), kEventualMs));
    EXPECT_TRUE(listenerRanFirst);
    ASSERT_EQ(m_listener.count(), 1);
    EXPECT_EQ(m_listener.last().thread, QThread::currentThread());
}

TEST_F(NotificationBusTest, WaitForThreadGivesUpAfterItsTime)
{
    QSemaphore release;
    auto worker = startWorker([&] { release.acquire(); });

    EXPECT_FALSE(m_bus.waitForThread(worker.get(), 30));

    release.release();
    EXPECT_TRUE(m_bus.waitForThread(worker.get(), kEventualMs));
}

TEST_F(NotificationBusTest, ManyWorkersBroadcastingAtOnceLoseNothing)
{
    constexpr int kWorkers = 4;
    constexpr int kEach = 200;
    m_bus.Register(&m_listener, Channel::MyPhotos);

    std::vector<Worker> workers;
    for (int w = 0; w < kWorkers; ++w) {
        workers.push_back(startWorker([&, w] {
            for (int i = 0; i < kEach; ++i)
                m_bus.Broadcast(Channel::MyPhotos, Event::RenderComplete, nullptr, (i + w) % 2 == 0);
        }));
    }
    for (const auto& worker : workers)
        ASSERT_TRUE(m_bus.waitForThread(worker.get(), kEventualMs));
    processPostedEvents();

    EXPECT_EQ(m_listener.count(), kWorkers * kEach);
}
