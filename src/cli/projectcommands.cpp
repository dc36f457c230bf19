#include "projectcommands.h"

#include "clisupport.h"
#include "projectjson.h"

#include <QJsonDocument>
#include <QTextStream>

namespace {

const char* const kInfoUsage = "usage: collage-cli info PROJECT\n";
const char* const kResaveUsage = "usage: collage-cli resave IN OUT\n";

} // namespace

int runInfoCommand(const QStringList& args, QTextStream& out, QTextStream& err)
{
    if (args.size() != 1 || args[0].startsWith(QLatin1String("--"))) {
        err << kInfoUsage;
        return kExitUsage;
    }
    CliSession session;
    if (!session.open(args[0], err))
        return kExitFailed;
    out << QJsonDocument(projectJson(session)).toJson(QJsonDocument::Indented);
    return kExitOk;
}

int runResaveCommand(const QStringList& args, QTextStream& out, QTextStream& err)
{
    if (args.size() != 2 || args[0].startsWith(QLatin1String("--")) || args[1].startsWith(QLatin1String("--"))) {
        err << kResaveUsage;
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
