#include "gridsettingsdialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QVBoxLayout>

CGridSettingsDialog::CGridSettingsDialog(const CGridChoice& current, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QString::fromLatin1(kTitle));
    auto* layout = new QVBoxLayout(this);
    m_showGrid = new QCheckBox(tr("Enable the snapping grid"), this);
    m_showGrid->setChecked(current.showGrid);
    m_drawLines = new QCheckBox(tr("Draw lines at each grid marker"), this);
    m_drawLines->setChecked(current.drawGridLines);
    layout->addWidget(m_showGrid);
    layout->addWidget(m_drawLines);

    auto* form = new QFormLayout;
    m_width = spacingBox(current.width);
    m_height = spacingBox(current.height);
    form->addRow(tr("Horizontal grid marker spacing:"), m_width);
    form->addRow(tr("Vertical grid marker spacing:"), m_height);
    layout->addLayout(form);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

QDoubleSpinBox* CGridSettingsDialog::spacingBox(float value)
{
    auto* box = new QDoubleSpinBox(this);
    box->setRange(kMinSpacing, kMaxSpacing);
    box->setDecimals(kSpacingDecimals);
    box->setSingleStep(0.25);
    box->setValue(value);
    return box;
}

CGridChoice CGridSettingsDialog::choice() const
{
    return CGridChoice{m_showGrid->isChecked(), m_drawLines->isChecked(), float(m_width->value()),
                       float(m_height->value())};
}
