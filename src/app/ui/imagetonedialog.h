#pragma once
// "Adjust Image Attributes": the brightness, contrast, gamma and
// transparency of the selected pictures, as numbers the user can type or
// step, where the tone handle on a frame changes them by dragging.

#include "framecommands.h"

#include <QDialog>

class QDoubleSpinBox;

class CImageToneDialog : public QDialog
{
    Q_OBJECT

public:
    static constexpr const char* kTitle = "Adjust Image Attributes";
    // Ranges of the fields. Brightness is added to each channel (1 makes
    // white); contrast and gamma are factors; transparency is in percent.
    static constexpr double kMinBrightness = -1.0;
    static constexpr double kMaxBrightness = 1.0;
    static constexpr double kMaxContrast = 5.0;
    static constexpr double kMinGamma = 0.1;
    static constexpr double kMaxGamma = 5.0;
    static constexpr double kMaxTransparency = 100.0;

    explicit CImageToneDialog(const CImageTone& current, QWidget* parent = nullptr);

    CImageTone tone() const;
    QDoubleSpinBox* brightnessBox() const { return m_brightness; }
    QDoubleSpinBox* contrastBox() const { return m_contrast; }
    QDoubleSpinBox* gammaBox() const { return m_gamma; }
    QDoubleSpinBox* transparencyBox() const { return m_transparency; }

private:
    QDoubleSpinBox* field(double minimum, double maximum, double step, double value);
    void reset();

    QDoubleSpinBox* m_brightness = nullptr;
    QDoubleSpinBox* m_contrast = nullptr;
    QDoubleSpinBox* m_gamma = nullptr;
    QDoubleSpinBox* m_transparency = nullptr;
};
