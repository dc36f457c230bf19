#include "sharesettings.h"

#include "messagecatalogue.h"

CShareSettings::CShareSettings(CPropManager& store, CMessageCatalogue& catalogue)
    : collageWidth(store, "CollageCX", "Default width of collage image", kDefaultCollageSide)
    , collageHeight(store, "CollageCY", "Default height of collage image", kDefaultCollageSide)
    , originalWidth(store, "OrigCX", "Default width of original photo attachments", kDefaultOriginalSide)
    , originalHeight(store, "OrigCY", "Default height of original photo attachments", kDefaultOriginalSide)
    , collageQuality(store, "SMTPQualityCollage1", "Quality of the collage image", kDefaultCollageQuality)
    , originalQuality(store, "SMTPQuality1", "Quality of the scaled-down originals", kDefaultOriginalQuality)
    , includeOriginals(store, "SMTPShareLargePhotos", "Include scaled-down originals", false)
    , subject(store, "MsgSubject", "Subject of the collage e-mail", catalogue.text(QStringLiteral("ExportSubject")))
    , message(store, "MsgMessage", "Message of the collage e-mail", QString())
    , server(store, "SMTPServerOUT", "Outgoing mail server", QString())
    , userAddress(store, "SMTPUserID", "Your e-mail address", QString())
    , userName(store, "SMTPUserName", "Your full name", QString())
    , accountConfirmed(store, "SMTPDone1", "Mail settings confirmed", false)
    , security(store, "SMTPSecurity", "Secure connection to the mail server", 0)
    , login(store, "SMTPLogin", "User name at the mail server", QString())
    , diskFolder(store, "SMTPDiskDir", "Last folder published to", QString())
    , diskFolders(store, "SMTPDiskBook", "Folders published to", QString())
    , webServer(store, "SMTPWebServer", "FTP server published to", QString())
    , webFolder(store, "SMTPWebDir", "Folder on the FTP server", QString())
    , webLogin(store, "SMTPLoginID", "Login name at the FTP server", QString())
    , published(store, "SMTPPublished", "Web addresses published to", QString())
{
}

QStringList CShareSettings::listOf(const CStringProp& list)
{
    return list.get().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

void CShareSettings::addTo(CStringProp& list, const QString& entry)
{
    QStringList entries = listOf(list);
    if (entries.contains(entry))
        return;
    entries << entry;
    list.set(entries.join(QLatin1Char('\n')));
}

void CShareSettings::removeFrom(CStringProp& list, const QString& entry)
{
    QStringList entries = listOf(list);
    if (entries.removeAll(entry) > 0)
        list.set(entries.join(QLatin1Char('\n')));
}
