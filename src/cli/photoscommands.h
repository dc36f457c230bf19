#pragma once
// "collage-cli photos ...": the user's photo collection from a script, the
// same collection (same files, same rules) the editor sees.

#include <QStringList>

class QTextStream;

// `args` are the words after "photos". Returns the process exit code.
int runPhotosCommand(const QStringList& args, QTextStream& out, QTextStream& err);
