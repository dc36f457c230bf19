#pragma once
// The sharing settings in the settings store: image sizes and qualities, the
// e-mail's remembered subject and message, the mail server and the user, the
// places published to. Creating the bindings registers the settings with
// their defaults. Lists are kept as one string, an entry a line.

#include "propbinding.h"

#include <QString>
#include <QStringList>

class CMessageCatalogue;
class CPropManager;

class CShareSettings
{
public:
    static constexpr int kDefaultCollageSide = 800;
    static constexpr int kDefaultOriginalSide = 400;
    static constexpr int kDefaultCollageQuality = 65;
    static constexpr int kDefaultOriginalQuality = 60;

    CShareSettings(CPropManager& store, CMessageCatalogue& catalogue);

    CIntProp collageWidth;     // "CollageCX"
    CIntProp collageHeight;    // "CollageCY"
    CIntProp originalWidth;    // "OrigCX"
    CIntProp originalHeight;   // "OrigCY"
    CIntProp collageQuality;   // "SMTPQualityCollage1"
    CIntProp originalQuality;  // "SMTPQuality1"
    CBoolProp includeOriginals; // "SMTPShareLargePhotos"
    CStringProp subject;       // "MsgSubject"
    CStringProp message;       // "MsgMessage"
    CStringProp server;        // "SMTPServerOUT": host or host:port
    CStringProp userAddress;   // "SMTPUserID"
    CStringProp userName;      // "SMTPUserName"
    CBoolProp accountConfirmed; // "SMTPDone1"
    CIntProp security;         // "SMTPSecurity": SmtpSecurity as a number
    CStringProp login;         // "SMTPLogin": the user the server authenticates
    CStringProp diskFolder;    // "SMTPDiskDir"
    CStringProp diskFolders;   // "SMTPDiskBook"
    CStringProp webServer;     // "SMTPWebServer"
    CStringProp webFolder;     // "SMTPWebDir"
    CStringProp webLogin;      // "SMTPLoginID"
    CStringProp published;     // "SMTPPublished"

    static QStringList listOf(const CStringProp& list);
    // Appends `entry` when the list does not hold it yet.
    static void addTo(CStringProp& list, const QString& entry);
    static void removeFrom(CStringProp& list, const QString& entry);
};
