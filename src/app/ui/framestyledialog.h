#pragma once
// "Border and Shadow": whether the collage's frames have a border, its
// width and colour, and whether they cast a shadow. The style is the whole
// collage's; a frame can still leave its own border or shadow out.

#include "framecommands.h"

#include <QDialog>

class QCheckBox;
class QDoubleSpinBox;
class QPushButton;

class CFrameStyleDialog : public QDialog
{
    Q_OBJECT

public:
    static constexpr const char* kTitle = "Border and Shadow";
    static constexpr double kMaxBorderWidth = 2.0; // canvas units
    static constexpr int kWidthDecimals = 3;

    explicit CFrameStyleDialog(const CFrameStyle& current, QWidget* parent = nullptr);

    CFrameStyle style() const;
    QCheckBox* borderBox() const { return m_border; }
    QDoubleSpinBox* widthBox() const { return m_width; }
    QCheckBox* shadowBox() const { return m_shadow; }
    // The colour button's colour; a click opens the colour dialog.
    void setBorderColour(QRgb colour);

private:
    void chooseColour();

    QCheckBox* m_border = nullptr;
    QDoubleSpinBox* m_width = nullptr;
    QPushButton* m_colourButton = nullptr;
    QCheckBox* m_shadow = nullptr;
    QRgb m_colour = 0xFFFFFFFF;
};
