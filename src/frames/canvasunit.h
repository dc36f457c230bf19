#pragma once
// The unit a canvas is measured in. The project file stores it; the view, the
// renderer's surfaces and the export size all convert through it, so it lives
// with the frames model below all of them.

enum class CanvasUnit { Inch, Centimetre };
