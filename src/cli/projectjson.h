#pragma once
// The project as collage-cli prints it: one JSON writer for "info", which
// prints all of it, and "dump", which prints a part.

#include <QJsonObject>

struct CliSession;

// The whole open project: document, canvas, frames, the photos they show
// (their files checked first), dropper, undo and redo steps, macros and
// printer choice.
QJsonObject projectJson(CliSession& session);

// The part of projectJson() "dump" prints: the document, the canvas with
// its border and shadow, the frames and their photos.
QJsonObject projectSummaryJson(const QJsonObject& project);
