#include "commands.h"

#include "clisupport.h"

#include <QTextStream>

int runResaveCommand(const QStringList& args, QTextStream& out, QTextStream& err)
{
    if (args.size() != 2 || args[0].startsWith(QLatin1String("--")) || args[1].startsWith(QLatin1String("--"))) {
        err << "usage: collage-cli resave IN OUT\n";
        return kExitUsage;
    }
    CliSession session;
    if (!session.open(args[0], err))
        return kExitFailed;
    if (session.doc.saveDocument(args[1]) != CCollageDoc::SaveResult::Saved) {
        err << "collage-cli: cannot write " << args[1] << "\n";
        return kExitFailed;
    }
    out << args[1] << "\n";
    return kExitOk;
}
