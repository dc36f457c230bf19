#pragma once
// The ZadeDudaziz command ("ZadeDudaziz", Alt+Q): lays the photos of the
// canvas and of the dropper out anew with the layout engine, as one undo
// step; the dropper's photos get frames of their own first. Pressing it
// again gives another arrangement, since each run is seeded from the clock.
//
// Made where it is needed (the main window's command handler, collage-cli);
// keeps no state between runs. User-interface thread only.

#include "layoutengine.h"

#include <functional>

class CCollageDoc;

class CQuickCollage
{
public:
    // Message keys.
    static constexpr const char* kOnePhotoKey = "QuickCollageInfo";
    static constexpr const char* kNoLayoutKey = "QuickCollageError";
    static constexpr const char* kNoPhotosKey = "QuickCollageNoPhotos";
    static constexpr const char* kProgressText = "Generating Collage";
    // The progress bar's step limit; one step per frame.
    static constexpr int kProgressSteps = 500;

    enum class Result {
        Done,
        NoPhotos,     // nothing on the canvas or in the dropper to arrange
        Cancelled,    // the wizard that was to pick photos was cancelled
        OnePhoto,     // a single photo is no collage
        NoLayout,     // the canvas is too narrow for these photos; nothing changed
    };

    struct Hooks
    {
        // Shown once the search has taken a second; the window's wait cursor.
        std::function<void()> showWaitCursor;
        // Runs the ZadeDudaziz wizard when there is nothing to arrange;
        // true when it ended with Finish (its photos are in the dropper).
        std::function<bool()> runWizard;
    };

    explicit CQuickCollage(CCollageDoc& doc, Hooks hooks = {});

    // The command: seeded from the tick count, showing the catalogue
    // message for a result other than Done.
    Result run();
    // The same with a given seed and clock (the wall clock when empty), and
    // no message shown: for scripts and tests.
    Result run(quint32 seed, const CLayoutEngine::Clock& clock = {});

    // The seed the command uses: the milliseconds since the system started.
    static quint32 tickCount();

private:
    void showMessage(Result result);

    CCollageDoc& m_doc;
    Hooks m_hooks;
};
