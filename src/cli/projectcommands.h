#pragma once
// collage-cli info PROJECT: the whole project as JSON.
// collage-cli resave IN OUT: reads a project and writes it in the current version.

#include <QStringList>

class QTextStream;

int runInfoCommand(const QStringList& args, QTextStream& out, QTextStream& err);
int runResaveCommand(const QStringList& args, QTextStream& out, QTextStream& err);
