#include "commands.h"

#include "clisupport.h"
#include "projectjson.h"

#include <QJsonDocument>
#include <QTextStream>

namespace {

// Opens the one project the words name and prints its JSON as `view` shows it.
int printProject(const QStringList& args, const char* usage, QTextStream& out, QTextStream& err,
                 QJsonObject (*view)(const QJsonObject&))
{
    if (args.size() != 1 || args[0].startsWith(QLatin1String("--"))) {
        err << usage;
        return kExitUsage;
    }
    CliSession session;
    if (!session.open(args[0], err))
        return kExitFailed;
    out << QJsonDocument(view(projectJson(session))).toJson(QJsonDocument::Indented);
    return kExitOk;
}

} // namespace

int runInfoCommand(const QStringList& args, QTextStream& out, QTextStream& err)
{
    const auto whole = [](const QJsonObject& project) { return project; };
    return printProject(args, "usage: collage-cli info PROJECT\n", out, err, whole);
}

int runDumpCommand(const QStringList& args, QTextStream& out, QTextStream& err)
{
    return printProject(args, "usage: collage-cli dump PROJECT\n", out, err, projectSummaryJson);
}
