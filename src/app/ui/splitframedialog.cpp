#include "splitframedialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>
#include <QVBoxLayout>

CSplitFrameDialog::CSplitFrameDialog(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QString::fromLatin1(kTitle));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QString::fromLatin1(kCountsLabel), this));
    auto* form = new QFormLayout;
    layout->addLayout(form);
    m_columns = addSlider(tr("Across:"), form);
    m_rows = addSlider(tr("Down:"), form);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

QSlider* CSplitFrameDialog::addSlider(const QString& caption, QFormLayout* form)
{
    auto* row = new QHBoxLayout;
    auto* slider = new QSlider(Qt::Horizontal, this);
    slider->setRange(CFrameCommands::kMinSplitCount, CFrameCommands::kMaxSplitCount);
    slider->setValue(CFrameCommands::kMinSplitCount);
    slider->setTickPosition(QSlider::TicksBelow);
    slider->setTickInterval(1);
    slider->setPageStep(1);
    auto* value = new QLabel(QString::number(slider->value()), this);
    value->setMinimumWidth(value->fontMetrics().horizontalAdvance(QStringLiteral("99")));
    connect(slider, &QSlider::valueChanged, value, [value](int v) { value->setText(QString::number(v)); });
    row->addWidget(slider);
    row->addWidget(value);
    form->addRow(caption, row);
    return slider;
}

CSplitCounts CSplitFrameDialog::counts() const
{
    return CSplitCounts{m_columns->value(), m_rows->value()};
}
