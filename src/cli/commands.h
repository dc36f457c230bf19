#pragma once
// The collage-cli commands: the editor's core from a script, through the
// same collection, settings, document, renderer and export as the editor.
//
// Each takes the words after its command name and returns the process exit
// code (kExitOk, kExitFailed, kExitUsage in clisupport.h).

#include <QStringList>

class QTextStream;

// photos refresh FOLDER... | list [--json] | moments [--json]
int runPhotosCommand(const QStringList& args, QTextStream& out, QTextStream& err);
// make PHOTO_OR_FOLDER... --out PROJECT [--canvas WxH] [--seed N] [--jumble] [--export OUT]
int runMakeCommand(const QStringList& args, QTextStream& out, QTextStream& err);
// export PROJECT OUT [--width N | --height N | --dpi N] [--quality Q] [--transparent]
int runExportCommand(const QStringList& args, QTextStream& out, QTextStream& err);
// info PROJECT: the whole project as JSON; dump PROJECT: a part of it.
int runInfoCommand(const QStringList& args, QTextStream& out, QTextStream& err);
int runDumpCommand(const QStringList& args, QTextStream& out, QTextStream& err);
// resave IN OUT [--template]: reads a project and writes it in the current
// version, or as a template the way Save As Template does.
int runResaveCommand(const QStringList& args, QTextStream& out, QTextStream& err);
// print PROJECT --pdf OUT.pdf [--pages auto|portrait|landscape] [--paper A4|Letter|...]
int runPrintCommand(const QStringList& args, QTextStream& out, QTextStream& err);
