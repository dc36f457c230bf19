#pragma once
// The update check: one "IsUpdate" exchange with the update service. It
// sends the running build and the usage log, and learns whether a newer
// build exists and where its patch lies. The exchange itself touches no
// settings, so it can run on a worker thread; the caller hands in the
// log's bytes and takes them out of the log when they were delivered.

#include "soapclient.h"

#include <QByteArray>
#include <QString>

class CUsageLog;

struct UpdateInfo
{
    QString patchUrl;
    QString localName;
    QString patchParameters;
    QString message; // the service's own words, may be empty
    bool available = false;
};

struct UpdateCheckOutcome
{
    // The service answered: the usage log has been delivered.
    bool reached = false;
    CSoapClient::Error error = CSoapClient::Error::None;
    qint16 serverBuild = 0;
    bool forced = false; // the service's "fUpdate"
    QByteArray deliveredLog;
    // Empty strings and not available when the service was not reached.
    UpdateInfo info;
};

// The exchange: an update is available when the service knows a newer build
// than `runningBuild` or insists on one.
UpdateCheckOutcome exchangeUpdateInfo(CSoapClient& client, qint16 runningBuild, const QByteArray& usageLog);

// The exchange for the user-interface thread: the running build, the log
// sent and, once delivered, taken out of it.
UpdateCheckOutcome checkForUpdate(CSoapClient& client, CUsageLog& log);
