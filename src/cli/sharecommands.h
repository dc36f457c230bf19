#pragma once
// "collage-cli mail", "publish" and "preview": the share sheet's workflows
// without a window, through the same code, so a script sends and writes the
// same bytes as the editor.

#include <QStringList>

#include <optional>

class QTextStream;

// Runs the command when args[0] is one of the three and returns its exit
// code (0 done, 1 failed, 2 bad arguments); nothing for another command.
std::optional<int> runShareCommand(const QStringList& args, QTextStream& out, QTextStream& err);
