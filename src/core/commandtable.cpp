#include "commandtable.h"

#include "commandids.h"

#include <QHash>

using namespace CommandId;

namespace {

QList<CCommandSpec> buildCommands()
{
    QList<CCommandSpec> table = {
        // File
        {New, "&New...\tCtrl+N", "Ctrl+N", "IDR_TB_NEW"},
        {Open, "&Open...\tCtrl+O", "Ctrl+O", "IDR_TB_OPEN"},
        {Close, "&Close", ""},
        {Save, "&Save\tCtrl+S", "Ctrl+S", "IDR_TB_SAVE"},
        {SaveAs, "Save &As...", ""},
        {SaveAsTemplate, "Save As &Template...", ""},
        {ExportImage, "&Export to Image File...", "", "IDR_TB_EXPORT"},
        {ShareCollage, "S&hare Your Collage via E-Mail...", ""},
        {Print, "&Print...\tCtrl+P", "Ctrl+P", "IDR_TB_PRINT"},
        {PrintPreview, "Print Pre&view", "", "IDR_TB_PREVIEW", true},
        {PrintSetup, "P&rint Setup...", ""},
        {AddPictures, "Add &Pictures...", "", "IDR_TB_ADDPICTURES"},
        {ReloadImages, "&Reload Images", "", "IDR_TB_RELOAD"},
        {Exit, "E&xit", ""},
        // Edit
        {Undo, "&Undo\tCtrl+Z", "Ctrl+Z;Alt+Backspace", "IDR_TB_UNDO"},
        {Redo, "&Redo\tCtrl+Y", "Ctrl+Y", "IDR_TB_REDO"},
        {RemoveSelected, "Remove Selected\tDel", ""},
        {SelectAll, "Select All\tCtrl+A", "Ctrl+A"},
        {SelectNext, "Next\tTab", ""},
        {SelectPrevious, "Previous\tShift+Tab", ""},
        {SelectFirst, "First\tHome", ""},
        {SelectLast, "Last\tEnd", ""},
        // Mouse modes: the view reads the hold keys itself.
        {ModeMove, "Move Frames\tP", "", "IDR_TB_MOVE", true},
        {ModeResizeBoth, "Resize Frame and Image\tS", "", "IDR_TB_RESIZE", true},
        {ModeResizeImage, "Resize Image\tI", "", "IDR_TB_RESIZEIMAGE", true},
        {ModePanImage, "Pan Image\tO", "", "IDR_TB_PANIMAGE", true},
        {ModeMoveFrameOnly, "Move Frame Only\tM", "", "IDR_TB_MOVEFRAME", true},
        {ModeCrop, "Crop Frame\tJ", "", "IDR_TB_CROP", true},
        {ModeRotate, "Rotate Images\tR", "", "IDR_TB_ROTATE", true},
        {ModeDrawFrame, "Draw New Frame\tF", "", "IDR_TB_DRAWFRAME", true},
        {ModeRubberBand, "Rubber Band Selection\tB", "", "IDR_TB_RUBBERBAND", true},
        {ModePanCanvas, "Pan Canvas\tW", "", "IDR_TB_PANCANVAS", true},
        {ModeZoomDrag, "Zoom Tool\tE", "", "IDR_TB_ZOOMDRAG", true},
        // View
        {ZoomIn, "Zoom In\t+ (Plus)", "", "IDR_TB_ZOOMIN"},
        {ZoomOut, "Zoom Out\t- (Minus)", "", "IDR_TB_ZOOMOUT"},
        {ResetZoom, "Reset Zoom\tAlt+A", "Alt+A", "IDR_TB_ZOOMFIT"},
        {CenterView, "Center View\tAlt+C", "Alt+C", "IDR_TB_CENTER"},
        {QualityVeryHigh, "Very High", "", nullptr, true},
        {QualityGood, "Good", "", nullptr, true},
        {QualityFast, "Fast", "", nullptr, true},
        {HighQualityImages, "High Quality Images", "", "IDR_TB_FULLRES", true},
        {ReverseWheel, "Reverse Mouse &Wheel", "", nullptr, true},
        {FullScreen, "Full Screen\tCtrl+Shift+S", "Ctrl+Shift+S", "IDR_TB_FULLSCREEN", true},
        {BlurEffects, "Blur Effects", "", nullptr, true},
        {MagneticFrames, "Magnetic Frames", "", "IDR_TB_MAGNET", true},
        {SoundEffects, "Sound Effects", "", nullptr, true},
        {GridSettings, "Grid Settings...", "", "IDR_TB_GRID"},
        // Toolbar toggles
        {ToolbarMain, "Main", "", nullptr, true},
        {ToolbarZoom, "Zoom", "", nullptr, true},
        {ToolbarPrinting, "Printing", "", nullptr, true},
        {ToolbarFrame, "Frame", "", nullptr, true},
        {ToolbarView, "View", "", nullptr, true},
        {ToolbarAddPictures, "Add Pictures", "", nullptr, true},
        {ToolbarOutput, "Output", "", nullptr, true},
        {ToolbarImagePalette, "Image Palette", "", nullptr, true},
        {ShowAllToolbars, "Show All Toolbars", ""},
        {HideAllToolbars, "Hide All Toolbars", ""},
        // Frame and Canvas
        {SplitFrame, "Split Frame...\tT", "T;Alt+T", "IDR_TB_SPLIT"},
        {MergeFrames, "Merge Frames\tAlt+M", "Alt+M", "IDR_TB_MERGE"},
        {SwapDimensions, "Swap Width and Height\tCtrl+Shift+D", "Ctrl+Shift+D", "IDR_TB_SWAP"},
        {SnapUpright, "Snap Upright\tCtrl+Up", "Ctrl+Up", "IDR_TB_UPRIGHT"},
        {SpinRight, "Spin Right\t. (Period)", ".", "IDR_TB_SPINRIGHT"},
        {SpinLeft, "Spin Left\t, (Comma)", ",", "IDR_TB_SPINLEFT"},
        {SnapFrameToImage, "Snap Frame to Image\tCtrl+F", "Ctrl+F", "IDR_TB_FRAMETOIMAGE"},
        {SnapImageToFrame, "Snap Image to Frame\tCtrl+I", "Ctrl+I", "IDR_TB_IMAGETOFRAME"},
        {DuplicateSelected, "Duplicate Selected\tCtrl+D", "Ctrl+D", "IDR_TB_DUPLICATE"},
        {ResizeCanvasToFit, "Resize Canvas to Fit Collage", ""},
        {AdjustImage, "&Adjust Image Attributes...", "", "IDR_TB_ADJUST"},
        {LockFrames, "&Lock Frames", "", "IDR_TB_LOCK", true},
        {BorderAndShadow, "&Border and Shadow...", "", "IDR_TB_BORDER"},
        {CanvasColour, "Canvas &Color...", "", "IDR_TB_CANVASCOLOR"},
        {CanvasSize, "Canvas &Size...", "", "IDR_TB_CANVASSIZE"},
        {ShowPageSegments, "Show/Hide Page Segments", "", "IDR_TB_PAGESEGMENTS", true},
        {ZadeDudaziz, "&ZadeDudaziz\tAlt+Q", "Alt+Q"},
        {ZiraRadaru, "Zira&Radaru", ""},
        // Macros
        {MacroRecord, "&Record...\tCtrl+Shift+R", "Ctrl+Shift+R"},
        {MacroPlayback, "Playback loaded macro\tCtrl+Shift+P", "Ctrl+Shift+P"},
        {MacroOpen, "Open a macro...", ""},
        {MacroSave, "Save loaded macro", ""},
        // Photos
        {PhotoOrganizer, "Photo &Organizer...\tCtrl+Shift+O", "Ctrl+Shift+O"},
        {RefreshPhotos, "&Refresh Photo Collection...", ""},
        // Help
        {ShowInfoTips, "Show Info-Tips for First Time User", "", nullptr, true},
        {InfoTipsPlainLook, "My Info-Tips Look Funny", "", nullptr, true},
        {ResetInfoTips, "Reset All Info-Tips", ""},
        {QuickTour, "Open Quick Tour", ""},
        {CheckForUpdates, "Check for &Updates...", ""},
    };
    for (int i = 0; i < RecentFileCount; ++i)
        table.append({RecentFileFirst + i, "", ""});
    return table;
}

QList<CToolbarSpec> buildToolbars()
{
    return {
        {ToolbarMain, "Main", {New, Open, Save, 0, Undo, Redo}},
        {ToolbarZoom, "Zoom", {ZoomIn, ZoomOut, ResetZoom, CenterView}},
        {ToolbarPrinting, "Printing", {Print, PrintPreview, ShowPageSegments}},
        {ToolbarFrame, "Frame",
         {SplitFrame, MergeFrames, 0, SpinLeft, SpinRight, SnapUpright, SwapDimensions, 0, SnapFrameToImage,
          SnapImageToFrame, DuplicateSelected, 0, AdjustImage, BorderAndShadow, 0, LockFrames}},
        {ToolbarView, "View",
         {ModeMove, ModeResizeBoth, ModeResizeImage, ModeCrop, ModeMoveFrameOnly, ModePanImage, ModeRotate, 0,
          ModeDrawFrame, ModeRubberBand, ModePanCanvas, ModeZoomDrag, 0, HighQualityImages, MagneticFrames,
          GridSettings, FullScreen}},
        {ToolbarAddPictures, "Add Pictures", {AddPictures, ReloadImages}},
        {ToolbarOutput, "Output", {ExportImage}},
    };
}

} // namespace

const QList<CCommandSpec>& CommandTable::all()
{
    static const QList<CCommandSpec> table = buildCommands();
    return table;
}

const CCommandSpec* CommandTable::find(int id)
{
    static const QHash<int, int> index = [] {
        QHash<int, int> byId;
        const QList<CCommandSpec>& table = all();
        for (int i = 0; i < table.size(); ++i)
            byId.insert(table[i].id, i);
        return byId;
    }();
    const auto found = index.constFind(id);
    return found == index.constEnd() ? nullptr : &all()[*found];
}

QList<QKeySequence> CommandTable::shortcutsOf(const CCommandSpec& spec)
{
    QList<QKeySequence> keys;
    const QString text = QString::fromLatin1(spec.keys);
    for (const QString& key : text.split(QLatin1Char(';'), Qt::SkipEmptyParts))
        keys << QKeySequence(key, QKeySequence::PortableText);
    return keys;
}

QString CommandTable::plainText(const CCommandSpec& spec)
{
    QString text = QString::fromLatin1(spec.text).section(QLatin1Char('\t'), 0, 0);
    text.remove(QLatin1Char('&'));
    if (text.endsWith(QLatin1String("...")))
        text.chop(3);
    return text;
}

const QList<CToolbarSpec>& ToolbarTable::all()
{
    static const QList<CToolbarSpec> bars = buildToolbars();
    return bars;
}
