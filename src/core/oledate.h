#pragma once
// Dates as the archive stores them: a status word and an OLE automation day
// count (days since 30 December 1899 00:00, the fraction being the time of
// day, measured from midnight away from zero for days before the epoch).

#include <QDateTime>

struct COleDate
{
    enum Status : qint32 { Valid = 0, Invalid = 1, Null = 2 };

    qint32 status = Null;
    double days = 0.0;

    static COleDate fromDateTime(const QDateTime& dateTime);
    // Local wall-clock time, as the day count carries no zone.
    QDateTime toDateTime() const;
    bool isValid() const { return status == Valid; }

    friend bool operator==(const COleDate&, const COleDate&) = default;
};
