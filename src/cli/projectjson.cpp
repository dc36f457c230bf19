#include "projectjson.h"

#include "clisupport.h"
#include "imageexport.h"
#include "macro.h"
#include "macromanager.h"
#include "myphotos.h"
#include "photoitem.h"
#include "picdropper.h"
#include "picinfo.h"
#include "picinfomanager.h"
#include "printerchoice.h"
#include "undo.h"
#include "undoitem.h"

#include <QJsonArray>

#include <algorithm>
#include <ranges>
#include <vector>

namespace {

constexpr const char* kSummaryKeys[] = {"path",   "version", "flags",         "description", "canvas",
                                        "border", "shadow",  "visiblePlanes", "frames",      "photos"};

QJsonObject rectJson(const CCanvasRect& rect)
{
    return {{"x", double(rect.x)}, {"y", double(rect.y)}, {"width", double(rect.width)}, {"height", double(rect.height)}};
}

// "#AARRGGBB".
QString colourText(QRgb colour)
{
    return QStringLiteral("#%1").arg(colour, 8, 16, QLatin1Char('0')).toUpper();
}

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

// The photos the frames show, in the order of the frames that first show
// them, each with its file checked now.
QJsonArray photosJson(const CPicInfoManager& frames, CMyPhotos& collection)
{
    std::vector<CPhotoItem*> used;
    for (const auto& frame : frames.frames()) {
        CPhotoItem* photo = frame->photo();
        if (photo && std::find(used.begin(), used.end(), photo) == used.end())
            used.push_back(photo);
    }
    QJsonArray list;
    for (CPhotoItem* photo : used) {
        collection.CheckFile(*photo);
        list.append(QJsonObject{{"path", photo->path()},
                                {"width", double(photo->pixelWidth())},
                                {"height", double(photo->pixelHeight())},
                                {"quarterTurns", photo->quarterTurns()},
                                {"state", photo->stateText()}});
    }
    return list;
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

// Steps in the order they were made in, oldest first. The history holds
// each list with the step to replay next at its head: the newest made of
// the undo list, but the oldest made of the redo list.
template <class Steps>
QJsonArray stepsJson(const Steps& oldestFirst)
{
    QJsonArray list;
    for (const auto& step : oldestFirst)
        list.append(stepJson(*step));
    return list;
}

} // namespace

QJsonObject projectJson(CliSession& session)
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
                     {"unit", doc.exportCanvas().unit == CanvasUnit::Centimetre ? "cm" : "inch"},
                     {"colour", colourText(frames.canvasColour())}}},
        {"border",
         QJsonObject{{"enabled", frames.border().enabled},
                     {"width", double(frames.border().width)},
                     {"colour", colourText(frames.border().colour)}}},
        {"shadow", frames.shadow().enabled},
        {"visiblePlanes", double(frames.visiblePlanes())},
        {"preview", QJsonObject{{"width", frames.preview().width()}, {"height", frames.preview().height()}}},
        {"frames", frameList},
        {"photos", photosJson(frames, services.photos())},
        {"dropper", dropper},
        {"undo", stepsJson(std::views::reverse(undo.undoList()))},
        {"redo", stepsJson(undo.redoList())},
        {"macros", macros},
        {"printer",
         QJsonObject{{"devNamesBytes", double(services.printer().devNames().size())},
                     {"devModeBytes", double(services.printer().devMode().size())}}},
    };
}

QJsonObject projectSummaryJson(const QJsonObject& project)
{
    QJsonObject summary;
    for (const char* key : kSummaryKeys)
        summary.insert(QLatin1String(key), project.value(QLatin1String(key)));
    return summary;
}
