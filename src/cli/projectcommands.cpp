#include "projectcommands.h"

#include "collagedoc.h"
#include "datapaths.h"
#include "macro.h"
#include "macromanager.h"
#include "picdropper.h"
#include "picinfo.h"
#include "picinfomanager.h"
#include "printerchoice.h"
#include "projectjson.h"
#include "services.h"
#include "undo.h"
#include "undoitem.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

const char* const kInfoUsage = "usage: collage-cli info PROJECT\n";
const char* const kResaveUsage = "usage: collage-cli resave IN OUT\n";

// The document over the user's own services, as the editor holds it; its
// messages reach standard error through the headless catalogue.
struct Session
{
    CServices services{DataPaths::settingsFile()};
    CCollageDoc doc{services.docServices()};

    bool open(const QString& path, QTextStream& err)
    {
        if (doc.openDocument(path) == CCollageDoc::OpenResult::Opened)
            return true;
        err << "collage-cli: cannot open the project " << path << "\n";
        return false;
    }
};

QString dateText(const COleDate& date)
{
    const QDateTime time = date.toDateTime();
    return time.isValid() ? time.toString(Qt::ISODate) : QString();
}

QJsonObject attributesJson(const CPicInfoAttr& attr)
{
    return {{"image", rectJson(attr.imageRect())},
            {"alpha", double(attr.alpha())},
            {"brightness", double(attr.brightness())},
            {"contrast", double(attr.contrast())},
            {"gamma", double(attr.gamma())},
            {"description", attr.description()},
            {"link", attr.link()}};
}

QJsonObject frameJson(const CPicInfo& frame)
{
    QJsonObject entry = attributesJson(frame.attributes());
    entry.insert("id", double(frame.id()));
    entry.insert("rect", rectJson(frame.frameRect()));
    entry.insert("rotation", double(frame.rotation()));
    entry.insert("flags", double(frame.flags()));
    entry.insert("shown", frame.isShown());
    entry.insert("border", frame.drawsBorder());
    entry.insert("shadow", frame.drawsShadow());
    entry.insert("permissions", double(frame.permissions()));
    entry.insert("planes", double(frame.planes()));
    entry.insert("photo", frame.recordedPhotoPath());
    return entry;
}

// A step with the steps grouped under it, so the group structure shows.
QJsonObject stepJson(const CUndoItem& step)
{
    QJsonObject entry{{"name", step.displayName()}, {"kind", step.kind()}};
    if (step.isWrapper())
        entry.insert("wrapper", true);
    if (!step.subItems().empty()) {
        QJsonArray inner;
        for (const auto& sub : step.subItems())
            inner.append(stepJson(*sub));
        entry.insert("steps", inner);
    }
    return entry;
}

// Oldest first: the order the steps were made in.
QJsonArray stepsJson(const CUndo::StepList& steps)
{
    QJsonArray list;
    for (const auto& step : steps)
        list.append(stepJson(*step));
    return list;
}

QJsonObject projectJson(const Session& session)
{
    const CCollageDoc& doc = session.doc;
    const CServices& services = session.services;
    const CPicInfoManager& frames = services.frames();

    QJsonArray frameList;
    for (const auto& frame : frames.frames())
        frameList.append(frameJson(*frame));

    QJsonArray dropper;
    for (const CDropperEntry& entry : services.dropper().entries()) {
        QJsonObject item = attributesJson(entry.attributes);
        item.insert("path", entry.path);
        dropper.append(item);
    }

    QJsonArray macros;
    for (const auto& macro : services.macros().macros())
        macros.append(QJsonObject{{"name", macro->name()}, {"events", double(macro->events().size())}});

    const CUndo& undo = services.undo();
    return {
        {"path", doc.path()},
        {"version", doc.fileVersion()},
        {"flags",
         QJsonObject{{"value", doc.flags()},
                     {"template", doc.isTemplate()},
                     {"quickStart", doc.isQuickStart()},
                     {"hasMacros", (doc.flags() & CCollageDoc::HasMacrosFlag) != 0},
                     {"specialSave", (doc.flags() & CCollageDoc::SpecialSaveFlag) != 0}}},
        {"description", doc.description()},
        {"created", dateText(doc.created())},
        {"lastSaved", dateText(doc.lastSaved())},
        {"canvas",
         QJsonObject{{"left", double(doc.canvasLeft())},
                     {"top", double(doc.canvasTop())},
                     {"width", double(doc.canvasWidth())},
                     {"height", double(doc.canvasHeight())},
                     {"colour", colourText(frames.canvasColour())}}},
        {"border",
         QJsonObject{{"enabled", frames.border().enabled},
                     {"width", double(frames.border().width)},
                     {"colour", colourText(frames.border().colour)}}},
        {"shadow", frames.shadow().enabled},
        {"visiblePlanes", double(frames.visiblePlanes())},
        {"preview", QJsonObject{{"width", frames.preview().width()}, {"height", frames.preview().height()}}},
        {"frames", frameList},
        {"dropper", dropper},
        {"undo", stepsJson(undo.undoList())},
        {"redo", stepsJson(undo.redoList())},
        {"macros", macros},
        {"printer",
         QJsonObject{{"devNamesBytes", double(services.printer().devNames().size())},
                     {"devModeBytes", double(services.printer().devMode().size())}}},
    };
}

} // namespace

int runInfoCommand(const QStringList& args, QTextStream& out, QTextStream& err)
{
    if (args.size() != 1 || args[0].startsWith(QLatin1String("--"))) {
        err << kInfoUsage;
        return kExitUsage;
    }
    Session session;
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
    Session session;
    if (!session.open(args[0], err))
        return kExitFailed;
    if (session.doc.saveDocument(args[1]) != CCollageDoc::SaveResult::Saved) {
        err << "collage-cli: cannot write " << args[1] << "\n";
        return kExitFailed;
    }
    out << args[1] << "\n";
    return kExitOk;
}
