#pragma once
// ZiraRadaru: every photo frame of the collage gets a small random tilt;
// the first jumble after a layout also enlarges the frames a little so the
// tilted photos overlap instead of leaving gaps. One undo step.
//
// The tilts come from the runtime's rand(), which the application seeds
// from the tick count at start-up. Made where it is needed; keeps no state
// (the jumbled flag lives in the frame collection). User-interface thread.

class CCollageDoc;

class CZiraRadaru
{
public:
    // Canvas units added on every side by the first jumble after a layout.
    static constexpr float kEnlargement = 0.1f;
    // Tilts are rand() % kTiltRange - kTiltOffset degrees: -25 ... 24.
    static constexpr int kTiltRange = 50;
    static constexpr int kTiltOffset = 25;

    explicit CZiraRadaru(CCollageDoc& doc);

    // Returns whether any frame changed (and so one step was left).
    bool run();

private:
    CCollageDoc& m_doc;
};
