#pragma once
// The settings the document registers at start-up, and the start counter.

class CPropManager;

inline constexpr const char* kTimesRunSetting = "TimesRun";

// Registers the document's settings in their fixed order (all persistent).
// Registering "TimesRun" counts this start at once.
void registerDocumentSettings(CPropManager& store);

// Adds this start to "TimesRun" (registering it if needed) and returns the
// new count; the first start stores 1.
int countProgramStart(CPropManager& store);
