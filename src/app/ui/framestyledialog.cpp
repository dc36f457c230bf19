#include "framestyledialog.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int kSwatchPixels = 16;

} // namespace

CFrameStyleDialog::CFrameStyleDialog(const CFrameStyle& current, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QString::fromLatin1(kTitle));
    auto* layout = new QVBoxLayout(this);
    m_border = new QCheckBox(tr("Draw a &border around the frames"), this);
    m_border->setChecked(current.border);
    layout->addWidget(m_border);

    auto* form = new QFormLayout;
    m_width = new QDoubleSpinBox(this);
    m_width->setRange(0.0, kMaxBorderWidth);
    m_width->setDecimals(kWidthDecimals);
    m_width->setSingleStep(0.01);
    m_width->setValue(current.borderWidth);
    m_colourButton = new QPushButton(tr("C&hoose..."), this);
    form->addRow(tr("Border &width:"), m_width);
    form->addRow(tr("Border color:"), m_colourButton);
    layout->addLayout(form);
    setBorderColour(current.borderColour);
    connect(m_colourButton, &QPushButton::clicked, this, &CFrameStyleDialog::chooseColour);
    const auto follow = [this](bool on) {
        m_width->setEnabled(on);
        m_colourButton->setEnabled(on);
    };
    connect(m_border, &QCheckBox::toggled, this, follow);
    follow(current.border);

    m_shadow = new QCheckBox(tr("Frames cast a &shadow"), this);
    m_shadow->setChecked(current.shadow);
    layout->addWidget(m_shadow);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

void CFrameStyleDialog::setBorderColour(QRgb colour)
{
    m_colour = colour;
    QPixmap swatch(kSwatchPixels, kSwatchPixels);
    swatch.fill(QColor::fromRgba(colour));
    m_colourButton->setIcon(swatch);
}

void CFrameStyleDialog::chooseColour()
{
    const QColor chosen = QColorDialog::getColor(QColor::fromRgba(m_colour), this, tr("Border Color"),
                                                 QColorDialog::ShowAlphaChannel);
    if (chosen.isValid())
        setBorderColour(chosen.rgba());
}

CFrameStyle CFrameStyleDialog::style() const
{
    return CFrameStyle{m_border->isChecked(), float(m_width->value()), m_colour, m_shadow->isChecked()};
}
