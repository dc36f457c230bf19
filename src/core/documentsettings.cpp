#include "documentsettings.h"

#include "propmanager.h"

#include <limits>

namespace {

struct DocumentSetting
{
    const char* name;
    CPropValue defaultValue;
    const char* description;
    bool flagBit0;
};

constexpr qint32 kTimesRunDefault = 0;

// Registration order matters only to the order of the saved file, but it is
// kept stable so that file stays the same from build to build.
const DocumentSetting kDocumentSettings[] = {
    {"WheelRev", CPropValue::i16(0), "Reverse mouse wheel orientation", true},
    {"FrameID", CPropValue::boolean(true), "Frame IDs", true},
    {"MaxTipWidth", CPropValue::i32(300), "Maximum width of tooltip", true},
    {"HelpTipsOn", CPropValue::boolean(true), "Display helpful hints for first time users", true},
    {"HelpTipsCompat", CPropValue::boolean(false), "Turn off visual effects from Info-Tips", true},
    {"PrevCanvas", CPropValue::string(QString()), "", false},
    {"PrevTemplate", CPropValue::string(QString()), "", false},
    {"HighQuality", CPropValue::boolean(false), "High Quality Image Render", true},
    {"PreviewQuality", CPropValue::i32(1), "Canvas Preview Quality", true},
    {"HasBorder", CPropValue::boolean(true), "Display a border around each image frame", true},
    {"HasShadow", CPropValue::boolean(true), "Display a shadow around each image frame", true},
    {"BorderWidth", CPropValue::f32(0.05f), "Border diameter", true},
    {"BorderAlpha", CPropValue::byte(255), "Alpha value of Border color", true},
    {"BorderR", CPropValue::byte(255), "Red value of Border color", true},
    {"BorderG", CPropValue::byte(255), "Green value of Border color", true},
    {"BorderB", CPropValue::byte(255), "Blue value of Border color", true},
    {"DevNames", CPropValue::missing(), "Default printer DEVNAMES", false},
    {"DevMode", CPropValue::missing(), "Default printer DEVMODE", false},
    {"CanvasR", CPropValue::byte(234), "Red value of Canvas color", true},
    {"CanvasG", CPropValue::byte(232), "Green value of Canvas color", true},
    {"CanvasB", CPropValue::byte(216), "Blue value of Canvas color", true},
    {"SMTPQuality1", CPropValue::i32(60), "Default quality of Collage image", true},
    {"SMTPQualityCollage1", CPropValue::i32(65), "Default quality of Original photo attachments", true},
    {"PrevUpdate", CPropValue::i32(0), "Last day of year of update", false},
    {"CollageCX", CPropValue::i32(800), "Default width of collage image", true},
    {"CollageCY", CPropValue::i32(800), "Default height of collage image", true},
    {"OrigCX", CPropValue::i32(400), "Default width of original photo attachments", true},
    {"OrigCY", CPropValue::i32(400), "Default height of original photo attachments", true},
    {"SysDpiX", CPropValue::f32(96.0f), "Default dots-per-inch", true},
    {"RenderDpi", CPropValue::i32(96), "Default render dots-per-inch", true},
    {"DefEmailCX", CPropValue::f32(10.0f), "Default width of e-mail collage", true},
    {"DefEmailCY", CPropValue::f32(8.0f), "Default height of e-mail collage", true},
    {"CenterOnPage", CPropValue::boolean(true), "Center Collage on Printer Page", true},
    {"ColorToPrinter", CPropValue::boolean(true), "Print canvas color on printer", true},
    {"BaseSystemUnit", CPropValue::i32(4), "Unit of measure", true},
    {"BaseSystemScale", CPropValue::f32(1.0f), "System scaling factor", true},
    {"BlurEffect", CPropValue::boolean(true), "Blur the main frame window when modal dialogs appear", true},
    {"CollectionDB", CPropValue::string(QStringLiteral("Collection.DAT")), "Name of photo collection database file", true},
    {kTimesRunSetting, CPropValue::i32(kTimesRunDefault), "Number of times Tessary Ombravelle has been run on this computer", true},
    {"GridWidth", CPropValue::f32(1.0f), "Horizontal grid marker spacing", true},
    {"GridHeight", CPropValue::f32(1.0f), "Vertical grid marker spacing", true},
};

void registerSetting(CPropManager& store, const DocumentSetting& setting)
{
    store.registerProp(QString::fromLatin1(setting.name), QString::fromLatin1(setting.description),
                       setting.flagBit0, setting.defaultValue, /*persistent=*/true);
}

const DocumentSetting& timesRunSetting()
{
    for (const DocumentSetting& setting : kDocumentSettings) {
        if (qstrcmp(setting.name, kTimesRunSetting) == 0)
            return setting;
    }
    Q_UNREACHABLE();
}

} // namespace

int countProgramStart(CPropManager& store)
{
    registerSetting(store, timesRunSetting());
    const qint32 previous = store.getValue(kTimesRunSetting).value_or(CPropValue()).toInt();
    // A counter at its limit stays there rather than wrapping to negative.
    const qint32 count = previous < std::numeric_limits<qint32>::max() ? previous + 1 : previous;
    store.setValue(kTimesRunSetting, CPropValue::i32(count));
    return count;
}

void registerDocumentSettings(CPropManager& store, bool countThisStart)
{
    for (const DocumentSetting& setting : kDocumentSettings) {
        if (countThisStart && qstrcmp(setting.name, kTimesRunSetting) == 0)
            countProgramStart(store);
        else
            registerSetting(store, setting);
    }
}
