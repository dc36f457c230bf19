#pragma once
// "Canvas Size": the width and height of the canvas in canvas units. The
// frames stay where they are; Resize Canvas to Fit Collage is the command
// that fits the canvas around them.

#include <QDialog>
#include <QSizeF>

class QDoubleSpinBox;

class CCanvasSizeDialog : public QDialog
{
    Q_OBJECT

public:
    static constexpr const char* kTitle = "Canvas Size";
    static constexpr double kMinSide = 0.5;
    static constexpr double kMaxSide = 1000.0;
    static constexpr int kDecimals = 2;

    explicit CCanvasSizeDialog(const QSizeF& current, QWidget* parent = nullptr);

    QSizeF canvasSize() const;
    QDoubleSpinBox* widthBox() const { return m_width; }
    QDoubleSpinBox* heightBox() const { return m_height; }

private:
    QDoubleSpinBox* sideBox(double value);

    QDoubleSpinBox* m_width = nullptr;
    QDoubleSpinBox* m_height = nullptr;
};
