#pragma once
// The worker that runs one update check while the user-interface thread
// shows a modal window waiting for it. It touches only its own members;
// when it is done it posts the command OK (1) to its owner when an update
// is available, Cancel (2) otherwise, by queuing a call to the owner's
// slot done(int) (a QDialog's), after which the owner's thread reads the
// outcome.

#include "updatecheck.h"

#include <QPointer>
#include <QThread>

#include <atomic>

class CSwUpdateThread : public QThread
{
    Q_OBJECT

public:
    static constexpr int kCommandOk = 1;
    static constexpr int kCommandCancel = 2;

    // `client` must outlive the thread and is used by it alone meanwhile.
    CSwUpdateThread(CSoapClient& client, qint16 runningBuild, QByteArray usageLog, QObject* owner);
    ~CSwUpdateThread() override;

    // Set once the check was attempted.
    bool ran() const { return m_ran; }
    // Valid after the thread has finished.
    const UpdateCheckOutcome& outcome() const { return m_outcome; }

protected:
    void run() override;

private:
    CSoapClient& m_client;
    const qint16 m_runningBuild;
    const QByteArray m_usageLog;
    QPointer<QObject> m_owner;
    std::atomic<bool> m_ran = false;
    UpdateCheckOutcome m_outcome;
};
