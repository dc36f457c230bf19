#pragma once
// collage-cli update: the editor's update check and patch download without
// a window.
//   update check [--server URL]           the exchange; its outcome as JSON
//   update download --server URL --to FILE the exchange, then the patch to FILE
// --server replaces the service's endpoint (as "Tessary_server" does).

#include <QStringList>

class QTextStream;

int runUpdateCommand(const QStringList& args, QTextStream& out, QTextStream& err);
