#include "usagelog.h"

#include "propmanager.h"

#include <QVersionNumber>

namespace UsageLog {

QString entry(const QDateTime& when, const QString& event, const QString& details)
{
    const QVersionNumber version = QVersionNumber::fromString(QStringLiteral(OMBRAVELLE_VERSION));
    const QDate date = when.date();
    const QTime time = when.time();
    return QStringLiteral("%1-%2-%3 %4:%5, %6.%7.%8, %9, \"%10\", \"%11\"")
        .arg(date.year())
        .arg(date.month())
        .arg(date.day())
        .arg(time.hour())
        .arg(time.minute())
        .arg(version.majorVersion())
        .arg(version.minorVersion())
        .arg(version.microVersion())
        .arg(0)
        .arg(event, details);
}

QString text(const CPropManager& settings)
{
    const std::optional<CPropValue> value = settings.getValue(QString::fromLatin1(kSetting));
    return value ? value->toString() : QString();
}

void record(CPropManager& settings, const QString& event, const QString& details)
{
    QString log = text(settings);
    if (!log.isEmpty())
        log += QLatin1Char('\r');
    log += entry(QDateTime::currentDateTime(), event, details);
    settings.setValue(QString::fromLatin1(kSetting), CPropValue::string(log));
}

void clear(CPropManager& settings)
{
    settings.setValue(QString::fromLatin1(kSetting), CPropValue::string(QString()));
}

} // namespace UsageLog
