#pragma once
// The mail accounts of the mail programs on this computer, for the e-mail
// settings import: Thunderbird's profiles (their prefs.js), read only.

#include "smtplink.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <vector>

struct CMailAccount
{
    QString name;        // the account's name in the mail program
    QString server;      // the SMTP host
    QString port = QStringLiteral("25");
    QString address;     // the identity's e-mail address
    QString displayName; // the identity's full name
    QString user;        // the SMTP login, when the server wants one
    SmtpSecurity security = SmtpSecurity::Automatic;
    bool isDefault = false;

    // "host" on port 25, else "host:port": what "SMTPServerOUT" holds.
    QString serverText() const;
};

namespace MailAccounts {

// The user_pref entries of a prefs.js text, values unquoted.
QHash<QString, QString> readPrefs(const QByteArray& prefsJs);
// The accounts of one profile's preferences; an account without an SMTP
// server is not listed.
std::vector<CMailAccount> accountsOf(const QHash<QString, QString>& prefs);
// The profile folders Thunderbird keeps under `home` (the classic folder,
// the Flatpak's and the Snap's), as profiles.ini lists them.
QStringList thunderbirdProfiles(const QString& home);
// Every account of every profile, the default ones first.
std::vector<CMailAccount> discover(const QString& home);

} // namespace MailAccounts
