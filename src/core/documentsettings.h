#pragma once
// The settings the document registers at start-up, and the start counter.

class CPropManager;

inline constexpr const char* kTimesRunSetting = "TimesRun";

// Registers the document's settings in their fixed order (all persistent).
// Registering "TimesRun" counts this start at once, unless `countThisStart`
// is false: the services register the settings early, before anything else
// takes one of them out of that order, and leave the count to the document.
void registerDocumentSettings(CPropManager& store, bool countThisStart = true);

// Adds this start to "TimesRun" (registering it if needed) and returns the
// new count; the first start stores 1.
int countProgramStart(CPropManager& store);
