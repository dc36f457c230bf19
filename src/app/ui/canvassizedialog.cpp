#include "canvassizedialog.h"

#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QVBoxLayout>

CCanvasSizeDialog::CCanvasSizeDialog(const QSizeF& current, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QString::fromLatin1(kTitle));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    m_width = sideBox(current.width());
    m_height = sideBox(current.height());
    form->addRow(tr("&Width:"), m_width);
    form->addRow(tr("&Height:"), m_height);
    layout->addLayout(form);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

QDoubleSpinBox* CCanvasSizeDialog::sideBox(double value)
{
    auto* box = new QDoubleSpinBox(this);
    box->setRange(kMinSide, kMaxSide);
    box->setDecimals(kDecimals);
    box->setSingleStep(0.5);
    box->setValue(value);
    return box;
}

QSizeF CCanvasSizeDialog::canvasSize() const { return QSizeF(m_width->value(), m_height->value()); }
