#pragma once
// The usage log: a text in the settings store ("UsageLog") to which the
// sharing workflows append one entry per e-mail or publish, for the update
// check to deliver (and clear) with its next exchange.

#include <QDateTime>
#include <QString>

class CPropManager;

namespace UsageLog {

inline constexpr const char* kSetting = "UsageLog";
inline constexpr const char* kEmail = "e-mail";
inline constexpr const char* kDiskPublish = "DiskPublish";
inline constexpr const char* kWebPublish = "web_publish";

// "2026-12-8 14:5, 0.1.0, 0, "e-mail", "true, 2"": local date and time,
// the program's version, a 16-bit number (0), the event and its details.
QString entry(const QDateTime& when, const QString& event, const QString& details);
// Appends an entry; entries are separated by a carriage return.
void record(CPropManager& settings, const QString& event, const QString& details);
QString text(const CPropManager& settings);
void clear(CPropManager& settings);

} // namespace UsageLog
