#pragma once
// ZiraRadaru: every photo frame of the collage gets a small random tilt;
// the first jumble after a layout also enlarges the frames a little so the
// tilted photos overlap instead of leaving gaps. One undo step.
//
// The tilts come from the program's own copy of the classic runtime
// generator (seed x 214013 + 2531011, result bits 16-30), one for the
// process, which the application seeds from the tick count at start-up: the
// same seed gives the same jumble on every platform, whatever the C
// library's rand() does. Made where it is needed; keeps no state (the
// jumbled flag lives in the frame collection). User-interface thread.

#include <QtGlobal>

class CCollageDoc;
class CLayoutRandom;

class CZiraRadaru
{
public:
    // Canvas units added on every side by the first jumble after a layout.
    static constexpr float kEnlargement = 0.1f;
    // Tilts are next() % kTiltRange - kTiltOffset degrees: -25 ... 24.
    static constexpr int kTiltRange = 50;
    static constexpr int kTiltOffset = 25;

    // The process's generator, and its seeding at start-up.
    static CLayoutRandom& sharedRandom();
    static void seedRandom(quint32 seed);

    explicit CZiraRadaru(CCollageDoc& doc);
    CZiraRadaru(CCollageDoc& doc, CLayoutRandom& random);

    // Returns whether any frame changed (and so one step was left).
    bool run();

private:
    CCollageDoc& m_doc;
    CLayoutRandom& m_random;
};
