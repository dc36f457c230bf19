#pragma once
// The record the "IsUpdate" method of the update service takes and gives
// back ("out_vi"): the caller's build and usage log going out, the newest
// build and where to fetch it coming back.

#include <QByteArray>
#include <QString>

struct AppVersion
{
    qint16 shBuild = 0;      // build number
    QByteArray bBytes;       // usage log, Base64 on the wire
    bool fUpdate = false;    // the service insists on an update
    // A null string travels as nil (xsi:nil), an empty one as an empty
    // element; a nil string that comes back reads as empty.
    QString strPatchURL;
    QString strLocalName;
    QString strPatchAppParams;
    QString strUpdateMsg;

    friend bool operator==(const AppVersion&, const AppVersion&) = default;
};
