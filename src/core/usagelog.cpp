#include "usagelog.h"

#include "documentsettings.h"
#include "programversion.h"
#include "propmanager.h"

#include <QDateTime>

#include <limits>

namespace {

constexpr QChar kEntrySeparator = QLatin1Char('\r');

} // namespace

CUsageLog::CUsageLog(CPropManager& store)
    : m_store(store)
{
    m_store.registerProp(QString::fromLatin1(kSetting), QStringLiteral("Usage events not yet delivered"), false,
                         CPropValue::string(QString()));
}

void CUsageLog::record(const QString& event, const QString& details)
{
    record(event, details, QDateTime::currentDateTime());
}

void CUsageLog::record(const QString& event, const QString& details, const QDateTime& when)
{
    const ProgramVersion version = programVersion();
    const qint32 starts = m_store.getValue(QString::fromLatin1(kTimesRunSetting)).value_or(CPropValue()).toInt();
    const int startsNumber = qBound(0, starts, int(std::numeric_limits<qint16>::max()));
    const QDate date = when.date();
    const QTime time = when.time();
    const QString entry = QStringLiteral("%1-%2-%3 %4:%5, %6.%7.%8, %9, \"%10\", \"%11\"")
                              .arg(date.year())
                              .arg(date.month())
                              .arg(date.day())
                              .arg(time.hour())
                              .arg(time.minute())
                              .arg(version.major)
                              .arg(version.minor)
                              .arg(version.build)
                              .arg(startsNumber)
                              .arg(event, details);
    const QString log = text();
    m_store.setValue(QString::fromLatin1(kSetting),
                     CPropValue::string(log.isEmpty() ? entry : log + kEntrySeparator + entry));
}

QString CUsageLog::text() const
{
    return m_store.getValue(QString::fromLatin1(kSetting)).value_or(CPropValue()).toString();
}

QByteArray CUsageLog::bytes() const
{
    return text().toUtf8();
}

void CUsageLog::forgetDelivered(const QByteArray& delivered)
{
    const QString sent = QString::fromUtf8(delivered);
    const QString log = text();
    if (sent.isEmpty() || !log.startsWith(sent))
        return;
    QString rest = log.mid(sent.size());
    if (rest.startsWith(kEntrySeparator))
        rest.remove(0, 1);
    m_store.setValue(QString::fromLatin1(kSetting), CPropValue::string(rest));
}
