#pragma once
// The canvas-size dialog: the canvas's width and height in canvas units,
// the printer's page, pixels at a resolution, or a preset; the new size
// applies when the dialog is closed with OK.

#include "canvassizefields.h"

#include <QDialog>

class CChangeCanvasSizeDlg : public QDialog
{
    Q_OBJECT

public:
    static constexpr const char* kTitle = "Canvas Size";

    CChangeCanvasSizeDlg(const CCanvasSizeChoice& current, CanvasUnit unit, const CCanvasSizeFields::Texts& texts,
                         std::function<QSizeF(int)> presetSize, std::optional<QSizeF> printablePage,
                         QWidget* parent = nullptr);

    CCanvasSizeChoice choice() const { return m_fields->choice(); }
    CCanvasSizeFields* fields() const { return m_fields; }

private:
    CCanvasSizeFields* m_fields = nullptr;
};
