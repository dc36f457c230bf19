#include "commands.h"

#include "clisupport.h"
#include "doccommands.h"

#include <QFileInfo>
#include <QTextStream>

namespace {

const char* const kResaveUsage = "usage: collage-cli resave IN OUT [--template]\n";

// Answers Save As with the file named on the command line, as the user
// would in the project picker; the description stays the project's.
class CommandLinePicker : public CProjectPicker
{
public:
    CommandLinePicker(const QString& path, ProjectType type)
        : m_path(path)
        , m_type(type)
    {
    }
    std::optional<CSaveAsChoice> pickSaveTarget(const QString&, const QString& description, bool) override
    {
        return CSaveAsChoice{m_path, m_type, description};
    }

private:
    QString m_path;
    ProjectType m_type;
};

} // namespace

int runResaveCommand(const QStringList& args, QTextStream& out, QTextStream& err)
{
    const CliArguments parsed = parseCliArguments(args, {}, {"--template"});
    if (!parsed.problem.isEmpty() || parsed.words.size() != 2) {
        if (!parsed.problem.isEmpty())
            err << "collage-cli: " << parsed.problem << "\n";
        err << kResaveUsage;
        return kExitUsage;
    }
    const QString target = QFileInfo(parsed.words[1]).absoluteFilePath();
    CliSession session;
    if (!session.open(parsed.words[0], err))
        return kExitFailed;

    bool saved = false;
    if (parsed.flags.contains("--template")) {
        // The editor's Save As Template: the frames without their photos.
        CommandLinePicker picker(target, ProjectType::Template);
        saved = CDocCommands(session.doc, picker).saveAsTemplate();
    } else {
        saved = session.doc.saveDocument(target) == CCollageDoc::SaveResult::Saved;
    }
    if (!saved) {
        err << "collage-cli: cannot write " << parsed.words[1] << "\n";
        return kExitFailed;
    }
    out << parsed.words[1] << "\n";
    return kExitOk;
}
