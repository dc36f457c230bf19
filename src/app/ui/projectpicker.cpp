#include "projectpicker.h"

#include "collagedoc.h"
#include "datapaths.h"
#include "messagecatalogue.h"
#include "projectpeek.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr const char* kProjectTypeText = "Collage Project";
constexpr const char* kTemplateTypeText = "Collage Template";
constexpr const char* kQuickStartTypeText = "Quick-Start Collage";
constexpr int kListMinimumHeight = 160;

QString extension()
{
    return QString::fromLatin1(CCollageDoc::kExtension);
}

} // namespace

CProjectPickerDialog::CProjectPickerDialog(Mode mode, CMessageCatalogue& catalogue, QWidget* parent)
    : QDialog(parent)
    , m_mode(mode)
    , m_catalogue(catalogue)
{
    setWindowTitle(QString::fromLatin1(mode == Mode::Open ? kOpenTitle : kSaveTitle));
    auto* layout = new QVBoxLayout(this);

    auto* folderRow = new QHBoxLayout;
    m_folder = new QLineEdit(this);
    m_browse = new QPushButton(tr("Browse..."), this);
    folderRow->addWidget(m_folder);
    folderRow->addWidget(m_browse);

    m_files = new QListWidget(this);
    m_files->setMinimumHeight(kListMinimumHeight);
    m_name = new QLineEdit(this);
    m_type = new QComboBox(this);
    m_type->addItem(QString::fromLatin1(kProjectTypeText), int(ProjectType::Project));
    m_type->addItem(QString::fromLatin1(kTemplateTypeText), int(ProjectType::Template));
    if (mode == Mode::Save)
        m_type->addItem(QString::fromLatin1(kQuickStartTypeText), int(ProjectType::QuickStart));
    m_description = new QPlainTextEdit(this);
    m_description->setReadOnly(mode == Mode::Open);

    auto* form = new QFormLayout;
    form->addRow(tr("Folder:"), folderRow);
    form->addRow(m_files);
    form->addRow(tr("File name:"), m_name);
    form->addRow(tr("Type:"), m_type);
    form->addRow(tr("Description:"), m_description);
    layout->addLayout(form);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(mode == Mode::Open ? tr("Open") : tr("Save"));
    connect(buttons, &QDialogButtonBox::accepted, this, &CProjectPickerDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    connect(m_folder, &QLineEdit::editingFinished, this, &CProjectPickerDialog::refreshList);
    connect(m_browse, &QPushButton::clicked, this, &CProjectPickerDialog::browse);
    connect(m_type, &QComboBox::currentIndexChanged, this, &CProjectPickerDialog::refreshList);
    connect(m_files, &QListWidget::currentTextChanged, this, &CProjectPickerDialog::fileChosen);
    connect(m_files, &QListWidget::itemDoubleClicked, this, &CProjectPickerDialog::accept);

    setFolder(DataPaths::documentsFolder());
}

void CProjectPickerDialog::setFolder(const QString& folder)
{
    m_folder->setText(QDir::toNativeSeparators(folder));
    refreshList();
}

QString CProjectPickerDialog::folder() const
{
    return QDir::fromNativeSeparators(m_folder->text().trimmed());
}

void CProjectPickerDialog::setFileName(const QString& name)
{
    m_name->setText(name);
}

void CProjectPickerDialog::setType(ProjectType type)
{
    const int index = m_type->findData(int(type));
    if (index >= 0)
        m_type->setCurrentIndex(index);
}

ProjectType CProjectPickerDialog::type() const
{
    return ProjectType(m_type->currentData().toInt());
}

void CProjectPickerDialog::setDescription(const QString& text)
{
    m_description->setPlainText(text);
}

QString CProjectPickerDialog::description() const
{
    return m_description->toPlainText();
}

QString CProjectPickerDialog::chosenPath() const
{
    QString name = m_name->text().trimmed();
    if (name.isEmpty())
        return {};
    if (!name.endsWith(extension(), Qt::CaseInsensitive))
        name += extension();
    // A name may carry its own folder; otherwise it lies in the chosen one.
    if (QFileInfo(name).isAbsolute())
        return name;
    return QDir(folder()).filePath(name);
}

QString CProjectPickerDialog::check()
{
    const QString path = chosenPath();
    if (path.isEmpty()) {
        m_catalogue.show(QStringLiteral("SaveNoName"), MsgStyle::InfoOk);
        m_name->setFocus();
        return QStringLiteral("SaveNoName");
    }
    if (m_mode == Mode::Open) {
        if (!QFileInfo(path).isFile()) {
            m_catalogue.show(QStringLiteral("SaveNotFound"), MsgStyle::InfoOk);
            return QStringLiteral("SaveNotFound");
        }
        return {};
    }
    // A folder that is not there is told apart from a failed write.
    const QString target = QFileInfo(path).absolutePath();
    if (!QFileInfo(target).isDir()) {
        m_catalogue.showText(m_catalogue.text(QStringLiteral("SaveNoFolder")).arg(QDir::toNativeSeparators(target)),
                             MsgStyle::InfoOk);
        m_folder->setFocus();
        return QStringLiteral("SaveNoFolder");
    }
    if (QFileInfo::exists(path)
        && m_catalogue.show(QStringLiteral("SaveOverwrite"), MsgStyle::QuestionYesNo) != MsgButton::Yes)
        return QStringLiteral("SaveOverwrite");
    return {};
}

void CProjectPickerDialog::accept()
{
    if (check().isEmpty())
        QDialog::accept();
}

// Lists the collages of the folder that match the type: templates under
// the template type, the others under the project types.
void CProjectPickerDialog::refreshList()
{
    m_files->clear();
    const QDir dir(folder());
    if (folder().isEmpty() || !dir.exists())
        return;
    const bool wantTemplates = type() == ProjectType::Template;
    const QStringList names = dir.entryList({QStringLiteral("*") + extension()}, QDir::Files, QDir::Name);
    for (const QString& name : names) {
        const std::optional<CProjectSummary> summary = ProjectPeek::read(dir.filePath(name));
        const bool isTemplate = summary && (summary->flags & CCollageDoc::TemplateFlag);
        if (isTemplate == wantTemplates)
            m_files->addItem(name);
    }
}

void CProjectPickerDialog::fileChosen()
{
    const QString name = m_files->currentItem() ? m_files->currentItem()->text() : QString();
    if (name.isEmpty())
        return;
    m_name->setText(QFileInfo(name).completeBaseName());
    // Saving keeps the description the user is typing; opening shows the file's.
    if (m_mode == Mode::Open) {
        const std::optional<CProjectSummary> summary = ProjectPeek::read(QDir(folder()).filePath(name));
        m_description->setPlainText(summary ? summary->description : QString());
    }
}

void CProjectPickerDialog::browse()
{
    const QString chosen = QFileDialog::getExistingDirectory(this, tr("Select a Folder:"), folder());
    if (!chosen.isEmpty())
        setFolder(chosen);
}
