#pragma once
// Checks on the e-mail addresses and header texts the user types, so that
// nothing malformed or able to inject header lines or SMTP commands ever
// reaches the wire.

#include <QString>
#include <QStringList>

namespace MailAddress {

// The longest address an SMTP command may carry.
inline constexpr int kMaxAddressLength = 254;

// A bare address "local@domain": a non-empty local part and a domain of
// non-empty dot-separated labels, no blanks, controls, brackets, quotes or
// other characters that would break a header or a command. Non-ASCII letters
// are allowed (international addresses).
bool isWellFormed(const QString& address);

// A text that may go into a header: no CR, LF or other control characters
// (TAB allowed).
bool isHeaderSafe(const QString& text);

// A typed list of addresses split at every ",", ";" and white space; empty
// pieces are dropped.
QStringList splitList(const QString& list);

} // namespace MailAddress
