#include "newcollagedialog.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

using Kind = CNewCollageChoice::Kind;

struct KindText
{
    Kind kind;
    const char* title;
    const char* hint;
};

constexpr KindText kKindTexts[] = {
    {Kind::Template, "Template", "Start from a saved arrangement of empty frames."},
    {Kind::ExistingProject, "Existing Project", "Open a collage you saved before."},
    {Kind::FreeForm, "Free-Form Collage", "An empty canvas: drop photos anywhere."},
    {Kind::Grid, "Grid Collage", "One frame covering the canvas, ready to be split."},
    {Kind::ZadeDudaziz, "ZadeDudaziz", "Let the program arrange a set of photos for you."},
};

} // namespace

CNewCollageDialog::CNewCollageDialog(float width, float height, bool layoutAvailable, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QString::fromLatin1(kTitle));
    auto* layout = new QVBoxLayout(this);
    m_kinds = new QButtonGroup(this);
    for (const KindText& text : kKindTexts) {
        auto* radio = new QRadioButton(QString::fromLatin1(text.title), this);
        radio->setToolTip(QString::fromLatin1(text.hint));
        m_kinds->addButton(radio, int(text.kind));
        layout->addWidget(radio);
        auto* hint = new QLabel(QString::fromLatin1(text.hint), this);
        hint->setIndent(radio->sizeHint().height());
        hint->setEnabled(false);
        layout->addWidget(hint);
    }
    button(Kind::ZadeDudaziz)->setEnabled(layoutAvailable);

    auto* sizeBox = new QGroupBox(tr("Canvas size"), this);
    auto* form = new QFormLayout(sizeBox);
    auto makeSide = [this](float value) {
        auto* box = new QDoubleSpinBox(this);
        box->setRange(kMinSide, kMaxSide);
        box->setDecimals(kSideDecimals);
        box->setValue(value);
        return box;
    };
    m_width = makeSide(width);
    m_height = makeSide(height);
    form->addRow(tr("Width:"), m_width);
    form->addRow(tr("Height:"), m_height);
    layout->addWidget(sizeBox);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    connect(m_kinds, &QButtonGroup::idToggled, this, &CNewCollageDialog::kindChanged);
    setKind(Kind::FreeForm);
}

QRadioButton* CNewCollageDialog::button(Kind kind) const
{
    return qobject_cast<QRadioButton*>(m_kinds->button(int(kind)));
}

Kind CNewCollageDialog::kind() const
{
    return Kind(m_kinds->checkedId());
}

void CNewCollageDialog::setKind(Kind kind)
{
    if (QRadioButton* radio = button(kind); radio && radio->isEnabled())
        radio->setChecked(true);
    kindChanged();
}

// The size belongs to the blank canvases only.
void CNewCollageDialog::kindChanged()
{
    const bool blank = kind() == Kind::FreeForm || kind() == Kind::Grid;
    m_width->setEnabled(blank);
    m_height->setEnabled(blank);
}

CNewCollageChoice CNewCollageDialog::choice() const
{
    CNewCollageChoice result;
    result.kind = kind();
    result.width = float(m_width->value());
    result.height = float(m_height->value());
    return result;
}
