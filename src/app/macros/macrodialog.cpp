#include "macrodialog.h"

#include "journalcodes.h"
#include "macromanager.h"
#include "messagecatalogue.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QString buttonName(Qt::MouseButton button)
{
    switch (button) {
    case Qt::LeftButton: return QStringLiteral("Left button");
    case Qt::RightButton: return QStringLiteral("Right button");
    case Qt::MiddleButton: return QStringLiteral("Middle button");
    default: return QStringLiteral("Button");
    }
}

} // namespace

CMacroDialog::CMacroDialog(CMacroManager& macros, CMessageCatalogue& catalogue, CPropManager& settings, Mode mode,
                           QWidget* parent)
    : QDialog(parent)
    , m_macros(macros)
    , m_catalogue(catalogue)
    , m_mode(mode)
    , m_listTop(settings, QStringLiteral("MacroListTop"), {}, 0)
    , m_listPosition(settings, QStringLiteral("MacroListPosS"), {}, 0)
    , m_wide(settings, QStringLiteral("MacroDlgBig"), {}, false)
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
    m_edit = new QPushButton(tr("Edit"), this);
    m_edit->setCheckable(true);
    auto* side = new QVBoxLayout;
    side->addWidget(m_remove);
    side->addWidget(m_rename);
    side->addWidget(m_edit);
    side->addStretch();

    m_editor = new QWidget(this);
    m_events = new QListWidget(m_editor);
    m_events->setObjectName(QStringLiteral("macroEvents"));
    m_events->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_cutEvents = new QPushButton(tr("Cut Events"), m_editor);
    auto* editorLayout = new QVBoxLayout(m_editor);
    editorLayout->setContentsMargins(0, 0, 0, 0);
    editorLayout->addWidget(new QLabel(tr("Recorded events"), m_editor));
    editorLayout->addWidget(m_events, 1);
    editorLayout->addWidget(m_cutEvents, 0, Qt::AlignLeft);

    auto* listRow = new QHBoxLayout;
    listRow->addWidget(m_list, 1);
    listRow->addLayout(side);
    listRow->addWidget(m_editor, 2);

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
    connect(m_edit, &QPushButton::toggled, this, &CMacroDialog::setWide);
    connect(m_cutEvents, &QPushButton::clicked, this, &CMacroDialog::cutSelectedEvents);
    connect(m_list, &QListWidget::currentTextChanged, m_name, &QLineEdit::setText);
    connect(m_list, &QListWidget::currentRowChanged, this, &CMacroDialog::fillEvents);
    connect(m_list, &QListWidget::itemDoubleClicked, this, &CMacroDialog::accept);
    fillList();

    // As the dialog was left last time. A new recording starts from an
    // empty name, not from the macro selected then.
    if (m_list->count() > 0)
        m_list->setCurrentRow(std::clamp(m_listPosition.get(), 0, m_list->count() - 1));
    if (m_mode == Mode::Record)
        m_name->clear();
    m_edit->setChecked(m_wide.get());
    setWide(m_wide.get());
    m_name->setFocus();
}

// The list is laid out by now, so its first row can be scrolled to the top.
void CMacroDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (QListWidgetItem* top = m_list->item(m_listTop.get()))
        m_list->scrollToItem(top, QAbstractItemView::PositionAtTop);
}

void CMacroDialog::done(int result)
{
    const QModelIndex top = m_list->indexAt(QPoint(1, 1));
    m_listTop.set(top.isValid() ? top.row() : 0);
    if (m_list->currentRow() >= 0)
        m_listPosition.set(m_list->currentRow());
    m_wide.set(m_edit->isChecked());
    QDialog::done(result);
}

void CMacroDialog::setWide(bool wide)
{
    m_editor->setVisible(wide);
    if (wide)
        fillEvents();
    adjustSize();
}

CMacro* CMacroDialog::selectedMacro() const
{
    const QListWidgetItem* item = m_list->currentItem();
    return item ? m_macros.FindMacro(item->text()) : nullptr;
}

QString CMacroDialog::describe(const CMacro& macro, std::size_t index)
{
    const auto& events = macro.events();
    const CJournalEvent& event = events[index]->event();
    const quint32 pause = index == 0 ? 0 : JournalCodes::gapBetween(events[index - 1]->event(), event);
    const auto input = JournalCodes::inputOf(event);
    QString what = QStringLiteral("Message 0x%1").arg(event.message, 4, 16, QLatin1Char('0'));
    if (input) {
        const QString at = QStringLiteral("(%1, %2)").arg(input->screen.x()).arg(input->screen.y());
        const QString key = QKeySequence(JournalCodes::qtKey(input->virtualKey, false)).toString();
        switch (input->type) {
        case QEvent::KeyPress: what = QStringLiteral("Key down %1").arg(key); break;
        case QEvent::KeyRelease: what = QStringLiteral("Key up %1").arg(key); break;
        case QEvent::MouseMove: what = QStringLiteral("Mouse to %1").arg(at); break;
        case QEvent::MouseButtonPress: what = QStringLiteral("%1 down at %2").arg(buttonName(input->button), at); break;
        case QEvent::MouseButtonRelease: what = QStringLiteral("%1 up at %2").arg(buttonName(input->button), at); break;
        default: break;
        }
    }
    return QStringLiteral("+%1 ms\t%2").arg(pause).arg(what);
}

void CMacroDialog::fillEvents()
{
    m_events->clear();
    const CMacro* macro = m_editor->isHidden() ? nullptr : selectedMacro();
    if (macro) {
        for (std::size_t i = 0; i < macro->events().size(); ++i)
            m_events->addItem(describe(*macro, i));
    }
    m_cutEvents->setEnabled(m_events->count() > 0);
}

void CMacroDialog::cutSelectedEvents()
{
    CMacro* macro = selectedMacro();
    if (!macro)
        return;
    QList<int> rows;
    for (const QListWidgetItem* item : m_events->selectedItems())
        rows << m_events->row(item);
    // From the back, so the rows still to go keep their places.
    std::sort(rows.rbegin(), rows.rend());
    for (int row : rows)
        m_changed = macro->removeEvent(std::size_t(row)) || m_changed;
    fillEvents();
}

void CMacroDialog::fillList()
{
    const QSignalBlocker quiet(m_list);
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
    CMacro* macro = selectedMacro();
    if (!macro)
        return;
    if (m_catalogue.show(QStringLiteral("MacroAskRemove"), MsgStyle::QuestionYesNo) != MsgButton::Yes)
        return;
    m_macros.RemoveMacro(macro);
    m_changed = true;
    fillList();
    fillEvents();
    m_name->clear();
}

void CMacroDialog::renameSelected()
{
    CMacro* macro = selectedMacro();
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
    const int row = m_list->currentRow();
    macro->setName(name);
    m_changed = true;
    fillList();
    m_list->setCurrentRow(row);
    m_name->setText(name);
}
