#pragma once
// The question after the low-resolution warning: go on anyway ("Print
// Anyway", "Export Anyway") or cancel. Shows the catalogue's warning text
// in a warning box whose buttons say what they do.

#include <QString>

class QWidget;

// True when the user chose to go on.
bool askLowResolutionAnyway(QWidget* parent, const QString& warning, const QString& goOnText);
