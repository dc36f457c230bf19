#include "changecanvassizedialog.h"

#include <QDialogButtonBox>
#include <QVBoxLayout>

CChangeCanvasSizeDlg::CChangeCanvasSizeDlg(const CCanvasSizeChoice& current, CanvasUnit unit,
                                           const CCanvasSizeFields::Texts& texts, std::function<QSizeF(int)> presetSize,
                                           std::optional<QSizeF> printablePage, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QString::fromLatin1(kTitle));
    auto* layout = new QVBoxLayout(this);
    m_fields = new CCanvasSizeFields(current, unit, texts, std::move(presetSize), this);
    m_fields->setPrintablePage(printablePage);
    m_fields->setChoice(current);
    layout->addWidget(m_fields);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}
