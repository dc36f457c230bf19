#include "mailaccounts.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSettings>

#include <algorithm>

namespace {

// Thunderbird's "try_ssl": 2 STARTTLS, 3 TLS from the start.
constexpr int kTryStartTls = 2;
constexpr int kTryTls = 3;

QString unquote(const QString& value)
{
    if (!value.startsWith(QLatin1Char('"')) || value.size() < 2)
        return value;
    QString out;
    for (qsizetype i = 1; i + 1 < value.size(); ++i) {
        if (value[i] == QLatin1Char('\\') && i + 2 < value.size())
            ++i;
        out += value[i];
    }
    return out;
}

} // namespace

QString CMailAccount::serverText() const
{
    return port.isEmpty() || port == QLatin1String("25") ? server : server + QLatin1Char(':') + port;
}

namespace MailAccounts {

QHash<QString, QString> readPrefs(const QByteArray& prefsJs)
{
    static const QRegularExpression kPref(QStringLiteral("^\\s*user_pref\\(\\s*\"([^\"]+)\"\\s*,\\s*(.*)\\)\\s*;\\s*$"));
    QHash<QString, QString> prefs;
    for (const QByteArray& line : prefsJs.split('\n')) {
        const QRegularExpressionMatch match = kPref.match(QString::fromUtf8(line));
        if (match.hasMatch())
            prefs.insert(match.captured(1), unquote(match.captured(2).trimmed()));
    }
    return prefs;
}

std::vector<CMailAccount> accountsOf(const QHash<QString, QString>& prefs)
{
    std::vector<CMailAccount> accounts;
    const QString defaultAccount = prefs.value(QStringLiteral("mail.accountmanager.defaultaccount"));
    const QString defaultSmtp = prefs.value(QStringLiteral("mail.smtp.defaultserver"));
    const QStringList keys =
        prefs.value(QStringLiteral("mail.accountmanager.accounts")).split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (const QString& rawKey : keys) {
        const QString key = rawKey.trimmed();
        const QStringList identities = prefs.value(QStringLiteral("mail.account.%1.identities").arg(key))
                                           .split(QLatin1Char(','), Qt::SkipEmptyParts);
        if (identities.isEmpty())
            continue; // local folders
        const QString identity = identities.first().trimmed();
        QString smtp = prefs.value(QStringLiteral("mail.identity.%1.smtpServer").arg(identity));
        if (smtp.isEmpty())
            smtp = defaultSmtp;
        CMailAccount account;
        account.server = prefs.value(QStringLiteral("mail.smtpserver.%1.hostname").arg(smtp));
        if (smtp.isEmpty() || account.server.isEmpty())
            continue;
        const QString server = prefs.value(QStringLiteral("mail.account.%1.server").arg(key));
        account.name = prefs.value(QStringLiteral("mail.server.%1.name").arg(server), key);
        account.address = prefs.value(QStringLiteral("mail.identity.%1.useremail").arg(identity));
        account.displayName = prefs.value(QStringLiteral("mail.identity.%1.fullName").arg(identity));
        account.port = prefs.value(QStringLiteral("mail.smtpserver.%1.port").arg(smtp), QStringLiteral("25"));
        account.user = prefs.value(QStringLiteral("mail.smtpserver.%1.username").arg(smtp));
        const int trySsl = prefs.value(QStringLiteral("mail.smtpserver.%1.try_ssl").arg(smtp)).toInt();
        account.security = trySsl == kTryTls ? SmtpSecurity::Tls
                         : trySsl == kTryStartTls ? SmtpSecurity::StartTls
                                                  : SmtpSecurity::Automatic;
        account.isDefault = key == defaultAccount;
        accounts.push_back(account);
    }
    return accounts;
}

QStringList thunderbirdProfiles(const QString& home)
{
    QStringList profiles;
    for (const QString& base : {QStringLiteral(".thunderbird"), QStringLiteral(".var/app/org.mozilla.Thunderbird/.thunderbird"),
                                QStringLiteral("snap/thunderbird/common/.thunderbird")}) {
        const QDir root(QDir(home).filePath(base));
        if (!root.exists(QStringLiteral("profiles.ini")))
            continue;
        QSettings ini(root.filePath(QStringLiteral("profiles.ini")), QSettings::IniFormat);
        for (const QString& group : ini.childGroups()) {
            if (!group.startsWith(QLatin1String("Profile")))
                continue;
            ini.beginGroup(group);
            const QString path = ini.value(QStringLiteral("Path")).toString();
            const bool relative = ini.value(QStringLiteral("IsRelative"), 1).toInt() != 0;
            ini.endGroup();
            if (!path.isEmpty())
                profiles << (relative ? root.filePath(path) : path);
        }
    }
    return profiles;
}

std::vector<CMailAccount> discover(const QString& home)
{
    std::vector<CMailAccount> all;
    for (const QString& profile : thunderbirdProfiles(home)) {
        QFile prefs(QDir(profile).filePath(QStringLiteral("prefs.js")));
        if (!prefs.open(QIODevice::ReadOnly))
            continue;
        for (const CMailAccount& account : accountsOf(readPrefs(prefs.readAll())))
            all.push_back(account);
    }
    std::stable_partition(all.begin(), all.end(), [](const CMailAccount& a) { return a.isDefault; });
    return all;
}

} // namespace MailAccounts
