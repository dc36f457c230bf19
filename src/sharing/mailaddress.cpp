#include "mailaddress.h"

#include <QRegularExpression>

namespace MailAddress {

namespace {

bool isForbidden(QChar c)
{
    static const QString kForbidden = QStringLiteral("<>()[]\\,;:\"");
    return c.unicode() < 0x20 || c.unicode() == 0x7F || c.isSpace() || kForbidden.contains(c);
}

} // namespace

bool isWellFormed(const QString& address)
{
    if (address.isEmpty() || address.size() > kMaxAddressLength)
        return false;
    for (const QChar c : address) {
        if (isForbidden(c))
            return false;
    }
    const qsizetype at = address.lastIndexOf(QLatin1Char('@'));
    if (at <= 0 || at == address.size() - 1 || address.indexOf(QLatin1Char('@')) != at)
        return false;
    const QString local = address.left(at);
    if (local.startsWith(QLatin1Char('.')) || local.endsWith(QLatin1Char('.')) || local.contains(QLatin1String("..")))
        return false;
    const QStringList labels = address.mid(at + 1).split(QLatin1Char('.'));
    for (const QString& label : labels) {
        if (label.isEmpty() || label.startsWith(QLatin1Char('-')) || label.endsWith(QLatin1Char('-')))
            return false;
    }
    return true;
}

bool isHeaderSafe(const QString& text)
{
    for (const QChar c : text) {
        if ((c.unicode() < 0x20 && c != QLatin1Char('\t')) || c.unicode() == 0x7F)
            return false;
    }
    return true;
}

QStringList splitList(const QString& list)
{
    static const QRegularExpression kSeparators(QStringLiteral("[,;\\s]+"));
    return list.split(kSeparators, Qt::SkipEmptyParts);
}

} // namespace MailAddress
