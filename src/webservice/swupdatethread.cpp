#include "swupdatethread.h"

CSwUpdateThread::CSwUpdateThread(CSoapClient& client, qint16 runningBuild, QByteArray usageLog, QObject* owner)
    : m_client(client)
    , m_runningBuild(runningBuild)
    , m_usageLog(std::move(usageLog))
    , m_owner(owner)
{
}

CSwUpdateThread::~CSwUpdateThread()
{
    // The exchange has its own time limits; waiting for it is bounded.
    wait();
}

void CSwUpdateThread::run()
{
    m_ran = true;
    m_outcome = exchangeUpdateInfo(m_client, m_runningBuild, m_usageLog);
    // The connection belongs to this thread, which ends now.
    m_client.releaseConnection();
    const int command = m_outcome.info.available ? kCommandOk : kCommandCancel;
    if (QObject* owner = m_owner.data())
        QMetaObject::invokeMethod(owner, "done", Qt::QueuedConnection, Q_ARG(int, command));
}
