#include "clisupport.h"

#include "datapaths.h"

#include <QTextStream>

CliSession::CliSession()
    : services(DataPaths::settingsFile())
{
}

bool CliSession::open(const QString& path, QTextStream& err)
{
    if (doc.openDocument(path) == CCollageDoc::OpenResult::Opened)
        return true;
    err << "collage-cli: cannot open the project " << path << "\n";
    return false;
}

CliArguments parseCliArguments(const QStringList& args, const QSet<QString>& withValue, const QSet<QString>& flags)
{
    CliArguments parsed;
    for (int i = 0; i < args.size(); ++i) {
        const QString& word = args[i];
        if (!word.startsWith(QLatin1String("--"))) {
            parsed.words << word;
        } else if (withValue.contains(word)) {
            if (i + 1 >= args.size()) {
                parsed.problem = word + " needs a value";
                break;
            }
            parsed.values.insert(word, args[++i]);
        } else if (flags.contains(word)) {
            parsed.flags.insert(word);
        } else {
            parsed.problem = "unknown option " + word;
            break;
        }
    }
    return parsed;
}

std::optional<int> positiveNumber(const QString& text)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok && value > 0 ? std::optional<int>(value) : std::nullopt;
}
