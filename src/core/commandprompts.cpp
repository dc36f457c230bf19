// The status-bar sentence of every command, kept apart from the table of
// texts and keys so that each reads as a list of its own.

#include "commandtable.h"

#include "commandids.h"

#include <QHash>

using namespace CommandId;

namespace {

QHash<int, const char*> buildPrompts()
{
    QHash<int, const char*> prompts = {
        // File
        {New, "Start a new collage: blank, a grid of frames, a template or laid out for you"},
        {Open, "Open a collage project you saved before"},
        {Close, "Close the collage project and start an empty canvas"},
        {Save, "Save the collage project"},
        {SaveAs, "Save the collage project under a new name or in another folder"},
        {SaveAsTemplate, "Save the arrangement of frames, without the photos, as a template for new collages"},
        {ExportImage, "Save the collage as an image file (JPEG, PNG and others)"},
        {ShareCollage, "E-mail the collage as a web page, or publish it as a small web site"},
        {Print, "Print the collage"},
        {PrintPreview, "Show the collage as it will be printed"},
        {PrintSetup, "Choose the printer, the paper and its margins"},
        {AddPictures, "Add photos to the collage; they fill the selected empty frames first"},
        {ReloadImages, "Read the collage's photos again from their files"},
        {PhotoOrganizer, "Browse your photo collection by date and pick photos for the collage"},
        {RefreshPhotos, "Look for new photos in your photo folders"},
        // Macros
        {MacroRecord, "Record what you do with the keyboard and mouse as a macro, or stop recording"},
        {MacroPlayback, "Play the loaded macro back, from the state the collage had when it was recorded"},
        {MacroOpen, "Choose one of the project's macros to play back"},
        {MacroSave, "The macros are saved with the collage project"},
        {Exit, "Quit the program; you are asked to save your changes first"},
        // Edit
        {Undo, "Take back the last change"},
        {Redo, "Make the change you took back again"},
        {RemoveSelected, "Remove the selected frames from the collage"},
        {SelectAll, "Select every frame of the collage"},
        {SelectNext, "Select the next frame"},
        {SelectPrevious, "Select the previous frame"},
        {SelectFirst, "Select the first frame"},
        {SelectLast, "Select the last frame"},
        // Mouse tools
        {ModeMove, "Drag frames to move them (or hold P)"},
        {ModeResizeBoth, "Drag a frame's edge or corner to resize the frame and its picture together (or hold S)"},
        {ModeResizeImage, "Drag to make the picture larger or smaller inside its frame (or hold I)"},
        {ModePanImage, "Drag to move the picture inside its frame (or hold O)"},
        {ModeMoveFrameOnly, "Drag to move a frame while its picture stays where it is (or hold M)"},
        {ModeCrop, "Drag a frame's edge or corner to crop its picture (or hold J)"},
        {ModeRotate, "Drag around a frame to rotate it (or hold R)"},
        {ModeDrawFrame, "Drag on the canvas to draw a new empty frame (or hold F)"},
        {ModeRubberBand, "Drag a band around frames to select them (or hold B)"},
        {ModePanCanvas, "Drag to move the whole canvas in the window (or hold W)"},
        {ModeZoomDrag, "Drag right to zoom in and left to zoom out (or hold E)"},
        // View
        {ZoomIn, "Show the canvas larger"},
        {ZoomOut, "Show the canvas smaller"},
        {ResetZoom, "Fit the whole canvas into the window"},
        {CenterView, "Move the canvas to the middle of the window"},
        {QualityVeryHigh, "Draw the pictures from their full images: the best quality, and the slowest"},
        {QualityGood, "Draw the pictures smoothly from their working copies"},
        {QualityFast, "Draw the pictures quickly, with rougher detail"},
        {HighQualityImages, "Show the pictures at their full resolution"},
        {ShowPageSegments, "Show or hide the printer pages over the canvas"},
        {ReverseWheel, "Zoom in by rolling the mouse wheel away from you instead of toward you"},
        {FullScreen, "Display the application in full screen, taking up the entire computer desktop"},
        {BlurEffects, "When a dialog box appears, the main frame window is blured, allowing for beter focus on the "
                      "active task"},
        {MagneticFrames, "Snap frames to other frames while dragging"},
        {SoundEffects, "Make a pop sound when frames snap into each other"},
        {GridSettings, "Set up the snapping grid and its lines"},
        // Toolbars
        {ToolbarMain, "Show or hide the Main toolbar"},
        {ToolbarZoom, "Show or hide the Zoom toolbar"},
        {ToolbarPrinting, "Show or hide the Printing toolbar"},
        {ToolbarFrame, "Show or hide the Frame toolbar"},
        {ToolbarView, "Show or hide the toolbar of mouse tools"},
        {ToolbarAddPictures, "Show or hide the Add Pictures toolbar"},
        {ToolbarOutput, "Show or hide the Output toolbar"},
        {ToolbarImagePalette, "Show or hide the Pix Dropper"},
        {ShowAllToolbars, "Show every toolbar"},
        {HideAllToolbars, "Hide every toolbar"},
        // Frame and Canvas
        {SplitFrame, "Split the selected frames into smaller frames"},
        {MergeFrames, "Merge the selected frames into one frame"},
        {SwapDimensions, "Exchange the width and height of the selected frames"},
        {SnapUpright, "Turn the selected frames upright"},
        // The step is 45 degrees, whatever older texts said.
        {SpinRight, "Rotate the selected frames 45 degrees to the right"},
        {SpinLeft, "Rotate the selected frames 45 degrees to the left"},
        {SnapFrameToImage, "Make each selected frame exactly the size of its whole picture"},
        {SnapImageToFrame, "Fit the picture of each selected frame to its frame"},
        {DuplicateSelected, "Copy the selected frames"},
        {ResizeCanvasToFit, "Move the collage to the canvas's corner and shrink the canvas around it"},
        {AdjustImage, "Change the brightness, contrast, gamma and transparency of the selected pictures"},
        {LockFrames, "Lock the frames in place, or unlock them so they can be moved, resized and rotated"},
        {BorderAndShadow, "Choose the border and the shadow of the collage's frames"},
        {CanvasColour, "Choose the color of the canvas"},
        {CanvasSize, "Change the width and height of the canvas"},
        {ZadeDudaziz, "Create a collage based on the images in the dropping area or re-arrange the images already "
                      "on your canvas"},
        {ZiraRadaru, "Give every frame a small random tilt, for a casual, scattered look"},
        // Help
        {ShowInfoTips, "Show helpful hints for first time users"},
        {InfoTipsPlainLook, "Show info-tips without fading them in and out"},
        {ResetInfoTips, "Show every info-tip again, also those you switched off"},
        {QuickTour, "Open the sample collage that shows what the program can do"},
        {CheckForUpdates, "Ask whether a newer version of the program is available"},
    };
    for (int i = 0; i < RecentFileCount; ++i)
        prompts.insert(RecentFileFirst + i, "Open this collage project");
    return prompts;
}

} // namespace

QString CommandTable::prompt(int id)
{
    static const QHash<int, const char*> prompts = buildPrompts();
    return QString::fromLatin1(prompts.value(id, ""));
}
