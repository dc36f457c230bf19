#pragma once
// "New Collage": how a new collage starts. From a template, from an
// existing project, as an empty free-form canvas, as a grid collage (one
// locked frame to split), or laid out automatically by ZadeDudaziz. The
// two blank canvases take the width and height given here. Choosing a
// template or project is finished by the project picker afterwards.

#include "documentdialogs.h"

#include <QDialog>

class QButtonGroup;
class QDoubleSpinBox;
class QRadioButton;

class CNewCollageDialog : public QDialog
{
    Q_OBJECT

public:
    static constexpr const char* kTitle = "New Collage";
    // Canvas size limits, canvas units.
    static constexpr double kMinSide = 0.5;
    static constexpr double kMaxSide = 200.0;
    static constexpr int kSideDecimals = 2;

    CNewCollageDialog(float width, float height, bool layoutAvailable, QWidget* parent = nullptr);

    CNewCollageChoice::Kind kind() const;
    void setKind(CNewCollageChoice::Kind kind);
    // The kind and the canvas size; the path is the picker's to fill.
    CNewCollageChoice choice() const;

    QRadioButton* button(CNewCollageChoice::Kind kind) const;
    QDoubleSpinBox* widthBox() const { return m_width; }
    QDoubleSpinBox* heightBox() const { return m_height; }

private:
    void kindChanged();

    QButtonGroup* m_kinds = nullptr;
    QDoubleSpinBox* m_width = nullptr;
    QDoubleSpinBox* m_height = nullptr;
};
