#pragma once
// Where the passwords of the mail and FTP servers are kept: the desktop's
// keyring (the Secret Service, through libsecret) when there is one, else
// the settings store, which the settings page then warns about.

#include <QString>

class CPropManager;

namespace Passwords {

inline constexpr const char* kSmtpSetting = "SMTPPassword";
inline constexpr const char* kFtpSetting = "SMTPLoginPW";

// A keyring answers on the session bus.
bool keyringAvailable();
// Keeps the password for `service` ("smtp", "ftp") and `account` (server
// and user). Returns whether it went into the keyring; otherwise it is in
// the setting. An empty password forgets it in both.
bool save(CPropManager& settings, const QString& setting, const QString& service, const QString& account,
          const QString& password);
QString load(const CPropManager& settings, const QString& setting, const QString& service, const QString& account);

} // namespace Passwords
