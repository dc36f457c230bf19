#include "macrodialog.h"

#include "macromanager.h"
#include "messagecatalogue.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

CMacroDialog::CMacroDialog(CMacroManager& macros, CMessageCatalogue& catalogue, Mode mode, QWidget* parent)
    : QDialog(parent)
    , m_macros(macros)
    , m_catalogue(catalogue)
    , m_mode(mode)
{
    setWindowTitle(mode == Mode::Record ? tr("Record Macro") : tr("Open a Macro"));
    auto* hint = new QLabel(tr("Enter the name you would like to give to your macro. An example would be "
                               "\"Macro to demonstrate splitting\""),
                            this);
    hint->setWordWrap(true);
    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("macroName"));
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("myMacros"));

    m_remove = new QPushButton(tr("Remove"), this);
    m_rename = new QPushButton(tr("Rename"), this);
    auto* edit = new QPushButton(tr("Edit"), this);
    // A recording is kept as it was made; there is nothing to edit in it yet.
    edit->setEnabled(false);
    auto* side = new QVBoxLayout;
    side->addWidget(m_remove);
    side->addWidget(m_rename);
    side->addWidget(edit);
    side->addStretch();

    auto* listRow = new QHBoxLayout;
    listRow->addWidget(m_list, 1);
    listRow->addLayout(side);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(hint);
    layout->addWidget(m_name);
    layout->addWidget(new QLabel(tr("My Macros"), this));
    layout->addLayout(listRow, 1);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &CMacroDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CMacroDialog::reject);
    connect(m_remove, &QPushButton::clicked, this, &CMacroDialog::removeSelected);
    connect(m_rename, &QPushButton::clicked, this, &CMacroDialog::renameSelected);
    connect(m_list, &QListWidget::currentTextChanged, m_name, &QLineEdit::setText);
    connect(m_list, &QListWidget::itemDoubleClicked, this, &CMacroDialog::accept);
    fillList();
    m_name->setFocus();
}

void CMacroDialog::fillList()
{
    m_list->clear();
    for (const auto& macro : m_macros.macros())
        m_list->addItem(macro->name());
    const bool any = m_list->count() > 0;
    m_remove->setEnabled(any);
    m_rename->setEnabled(any);
}

QString CMacroDialog::typedName() const { return m_name->text().trimmed(); }

void CMacroDialog::accept()
{
    const QString name = typedName();
    if (name.isEmpty()) {
        m_catalogue.show(QStringLiteral("MacroNoName"), MsgStyle::WarningOk);
        return;
    }
    CMacro* existing = m_macros.FindMacro(name);
    if (m_mode == Mode::Open) {
        if (!existing) {
            m_catalogue.show(QStringLiteral("MacroNoExist"), MsgStyle::WarningOk);
            return;
        }
        m_macros.setCurrentMacro(existing);
        QDialog::accept();
        return;
    }
    if (existing) {
        if (m_catalogue.show(QStringLiteral("MacroNameExists"), MsgStyle::QuestionYesNo) != MsgButton::Yes)
            return;
        m_macros.RemoveMacro(existing);
    }
    m_macros.setCurrentMacro(m_macros.AddMacro(std::make_unique<CMacro>(name)));
    QDialog::accept();
}

void CMacroDialog::removeSelected()
{
    const QListWidgetItem* item = m_list->currentItem();
    CMacro* macro = item ? m_macros.FindMacro(item->text()) : nullptr;
    if (!macro)
        return;
    if (m_catalogue.show(QStringLiteral("MacroAskRemove"), MsgStyle::QuestionYesNo) != MsgButton::Yes)
        return;
    m_macros.RemoveMacro(macro);
    fillList();
    m_name->clear();
}

void CMacroDialog::renameSelected()
{
    const QListWidgetItem* item = m_list->currentItem();
    CMacro* macro = item ? m_macros.FindMacro(item->text()) : nullptr;
    const QString name = typedName();
    if (!macro || name == macro->name())
        return;
    if (name.isEmpty()) {
        m_catalogue.show(QStringLiteral("MacroNoName"), MsgStyle::WarningOk);
        return;
    }
    // Two macros of one name could not be told apart in this list.
    if (m_macros.FindMacro(name)) {
        m_catalogue.show(QStringLiteral("MacroRenameTaken"), MsgStyle::WarningOk);
        return;
    }
    macro->setName(name);
    fillList();
    m_name->setText(name);
}
