#pragma once
// "collage-cli make", "export" and "dump": projects made, rendered and
// read from a script, through the same document, renderer and export as
// the editor.

#include <QStringList>

class QTextStream;

// Each takes the words after its command name and returns the exit code:
// 0 done, 1 failed (missing file, unreadable project, failed export),
// 2 bad arguments.
int runMakeCommand(const QStringList& args, QTextStream& out, QTextStream& err);
int runExportCommand(const QStringList& args, QTextStream& out, QTextStream& err);
int runDumpCommand(const QStringList& args, QTextStream& out, QTextStream& err);
