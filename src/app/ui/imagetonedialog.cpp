#include "imagetonedialog.h"

#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int kDecimals = 2;
constexpr double kPercent = 100.0;

} // namespace

CImageToneDialog::CImageToneDialog(const CImageTone& current, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QString::fromLatin1(kTitle));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    m_brightness = field(kMinBrightness, kMaxBrightness, 0.05, current.brightness);
    m_contrast = field(0.0, kMaxContrast, 0.05, current.contrast);
    m_gamma = field(kMinGamma, kMaxGamma, 0.05, current.gamma);
    m_transparency = field(0.0, kMaxTransparency, 5.0, (1.0 - current.alpha) * kPercent);
    m_transparency->setSuffix(QStringLiteral(" %"));
    form->addRow(tr("&Brightness:"), m_brightness);
    form->addRow(tr("&Contrast:"), m_contrast);
    form->addRow(tr("&Gamma:"), m_gamma);
    form->addRow(tr("&Transparency:"), m_transparency);
    layout->addLayout(form);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel
                                             | QDialogButtonBox::RestoreDefaults,
                                         this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons->button(QDialogButtonBox::RestoreDefaults), &QPushButton::clicked, this,
            &CImageToneDialog::reset);
    layout->addWidget(buttons);
}

QDoubleSpinBox* CImageToneDialog::field(double minimum, double maximum, double step, double value)
{
    auto* box = new QDoubleSpinBox(this);
    box->setRange(minimum, maximum);
    box->setDecimals(kDecimals);
    box->setSingleStep(step);
    box->setValue(value);
    return box;
}

void CImageToneDialog::reset()
{
    const CImageTone neutral;
    m_brightness->setValue(neutral.brightness);
    m_contrast->setValue(neutral.contrast);
    m_gamma->setValue(neutral.gamma);
    m_transparency->setValue((1.0 - neutral.alpha) * kPercent);
}

CImageTone CImageToneDialog::tone() const
{
    CImageTone tone;
    tone.brightness = float(m_brightness->value());
    tone.contrast = float(m_contrast->value());
    tone.gamma = float(m_gamma->value());
    tone.alpha = float(1.0 - m_transparency->value() / kPercent);
    return tone;
}
