#include "updatecheck.h"

#include "programversion.h"
#include "usagelog.h"

UpdateCheckOutcome exchangeUpdateInfo(CSoapClient& client, qint16 runningBuild, const QByteArray& usageLog)
{
    AppVersion record;
    record.shBuild = runningBuild;
    record.bBytes = usageLog;
    record.fUpdate = false;

    UpdateCheckOutcome outcome;
    outcome.reached = client.isUpdate(record);
    outcome.error = client.lastError();
    if (!outcome.reached)
        return outcome;
    outcome.deliveredLog = usageLog;
    outcome.serverBuild = record.shBuild;
    outcome.forced = record.fUpdate;
    outcome.info.available = record.shBuild > runningBuild || record.fUpdate;
    outcome.info.patchUrl = record.strPatchURL;
    outcome.info.localName = record.strLocalName;
    outcome.info.patchParameters = record.strPatchAppParams;
    outcome.info.message = record.strUpdateMsg;
    return outcome;
}

UpdateCheckOutcome checkForUpdate(CSoapClient& client, CUsageLog& log)
{
    const UpdateCheckOutcome outcome = exchangeUpdateInfo(client, programVersion().build, log.bytes());
    if (outcome.reached)
        log.forgetDelivered(outcome.deliveredLog);
    return outcome;
}
