#pragma once
// The usage log: what the user did with the program that the vendor hears
// about at the next update check. Kept as one string setting, "UsageLog",
// in the settings store; an event appends one entry
//   year-month-day hour:minute, major.minor.build, starts, "event", "details"
// (starts: the program's start count, "TimesRun", capped to 16 bits), and
// entries are separated by a carriage return. The update check sends the
// text and takes it out once the service has it. User-interface thread
// only, like the store.

#include <QByteArray>
#include <QString>

class CPropManager;
class QDateTime;

class CUsageLog
{
public:
    static constexpr const char* kSetting = "UsageLog";

    // Registers the setting in `store` (not owned) if it is not there yet.
    explicit CUsageLog(CPropManager& store);

    void record(const QString& event, const QString& details);
    // The same at a given local time, for tests.
    void record(const QString& event, const QString& details, const QDateTime& when);

    QString text() const;
    // The text as it travels to the update service (UTF-8).
    QByteArray bytes() const;
    // Takes out the entries of `delivered` (bytes() as it was sent), keeping
    // any recorded since.
    void forgetDelivered(const QByteArray& delivered);

private:
    CPropManager& m_store;
};
