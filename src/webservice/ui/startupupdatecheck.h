#pragma once
// The editor's own update check at start-up: the rule of StartupUpdateRule
// on "PrevUpdate" and "TimesRun", the question "UpdateCheckAsk" when off
// line, the worker check behind the waiting window, the day stored and the
// settings saved; an update found opens the update dialog, which asks
// "NewVersion".

#include "updateenvironment.h"

#include <QDate>

// Whether the computer reports a working network (QNetworkInformation's
// reachability where a backend exists; without one, not on line).
bool isOnLine();

// `online` and `today` are given so tests can choose them. True when an
// update was downloaded and the editor is closing for the updater.
bool runStartupUpdateCheck(const CUpdateEnvironment& environment, int timesRun, const QDate& today, bool online);
