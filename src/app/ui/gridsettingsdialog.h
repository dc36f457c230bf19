#pragma once
// "Grid Settings": whether the snapping grid is on, whether its lines are
// drawn, and the spacing of its markers across and down (canvas units).

#include "documentdialogs.h"

#include <QDialog>

class QCheckBox;
class QDoubleSpinBox;

class CGridSettingsDialog : public QDialog
{
    Q_OBJECT

public:
    static constexpr const char* kTitle = "Grid Settings";
    // Spacing limits, canvas units: fine enough for centimetre work,
    // coarse enough to cover any canvas.
    static constexpr double kMinSpacing = 0.05;
    static constexpr double kMaxSpacing = 100.0;
    static constexpr int kSpacingDecimals = 2;

    explicit CGridSettingsDialog(const CGridChoice& current, QWidget* parent = nullptr);

    CGridChoice choice() const;
    QCheckBox* showGridBox() const { return m_showGrid; }
    QCheckBox* drawLinesBox() const { return m_drawLines; }
    QDoubleSpinBox* widthBox() const { return m_width; }
    QDoubleSpinBox* heightBox() const { return m_height; }

private:
    QDoubleSpinBox* spacingBox(float value);

    QCheckBox* m_showGrid = nullptr;
    QCheckBox* m_drawLines = nullptr;
    QDoubleSpinBox* m_width = nullptr;
    QDoubleSpinBox* m_height = nullptr;
};
