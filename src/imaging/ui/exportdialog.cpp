#include "exportdialog.h"

#include "collagerenderer.h"
#include "lowresolutionquestion.h"
#include "messagecatalogue.h"
#include "printresolution.h"
#include "prop.h"
#include "propmanager.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QUrl>
#include <QVBoxLayout>

namespace {

// Index 0 of the type list is "All Image Types"; encoder i is at i + 1.
constexpr int kAllTypesIndex = 0;
constexpr int kQualityPageStep = 10;

int fieldValue(const QLineEdit* field) { return field->text().toInt(); }

} // namespace

CExportDialog::CExportDialog(CCollageRenderer& renderer, const CExportCanvas& canvas, CPropManager& settings,
                             CMessageCatalogue& catalogue, CProgress* progress, QWidget* parent)
    : QDialog(parent)
    , m_renderer(renderer)
    , m_canvas(canvas)
    , m_store(settings)
    , m_settings(settings)
    , m_catalogue(catalogue)
    , m_progress(progress)
    , m_size(canvas.width, canvas.height, canvas.unit)
    , m_opener([](const QString& path) { return QDesktopServices::openUrl(QUrl::fromLocalFile(path)); })
{
    setWindowTitle(QString::fromLatin1(kTitle));
    buildLayout();
    loadSettings();
}

void CExportDialog::buildLayout()
{
    m_folder = new QLineEdit(this);
    m_browse = new QPushButton(tr("Browse..."), this);
    m_name = new QLineEdit(this);
    m_type = new QComboBox(this);
    m_type->addItem(QString::fromLatin1(ImageEncoders::kAllImageTypes));
    for (const CImageEncoder& encoder : ImageEncoders::ListEncoders())
        m_type->addItem(QStringLiteral("%1 (*.%2)").arg(encoder.description, encoder.extensions.join(QStringLiteral(", *."))));

    m_qualitySlider = new QSlider(Qt::Horizontal, this);
    m_qualitySlider->setRange(ExportRules::kMinQuality, ExportRules::kMaxQuality);
    m_qualitySlider->setPageStep(kQualityPageStep);
    m_qualityBox = new QSpinBox(this);
    m_qualityBox->setRange(ExportRules::kMinQuality, ExportRules::kMaxQuality); // out-of-range values cannot be typed
    m_qualityLabel = new QLabel(this);

    const auto numberField = [this](int top) {
        auto* field = new QLineEdit(this);
        field->setValidator(new QIntValidator(0, top, field));
        return field;
    };
    // The fields take somewhat more than the limits so that the range check
    // of OK, not the field, tells the user about them.
    m_width = numberField(CExportSize::kMaxPixels * 10);
    m_height = numberField(CExportSize::kMaxPixels * 10);
    m_resolution = numberField(CExportSize::kMaxResolution * 10);
    m_unit = new QComboBox(this);
    m_unit->addItems({tr("per inch"), tr("per cm")});
    m_resolutionLabel = new QLabel(this);
    m_autoView = new QCheckBox(tr("Open the image when it is saved"), this);
    m_transparent = new QCheckBox(tr("Transparent canvas (PNG only)"), this);

    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(m_folder, 1);
    folderRow->addWidget(m_browse);
    auto* qualityRow = new QHBoxLayout;
    qualityRow->addWidget(m_qualitySlider, 1);
    qualityRow->addWidget(m_qualityBox);
    auto* resolutionRow = new QHBoxLayout;
    resolutionRow->addWidget(m_resolution, 1);
    resolutionRow->addWidget(m_unit);

    auto* form = new QFormLayout;
    form->addRow(tr("Folder:"), folderRow);
    form->addRow(tr("File name:"), m_name);
    form->addRow(tr("File type:"), m_type);
    form->addRow(tr("Quality:"), qualityRow);
    form->addRow(QString(), m_qualityLabel);
    form->addRow(tr("Width (pixels):"), m_width);
    form->addRow(tr("Height (pixels):"), m_height);
    form->addRow(m_resolutionLabel, resolutionRow);
    form->addRow(QString(), m_transparent);
    form->addRow(QString(), m_autoView);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &CExportDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CExportDialog::reject);
    connect(m_browse, &QPushButton::clicked, this, &CExportDialog::browse);
    connect(m_qualitySlider, &QSlider::valueChanged, m_qualityBox, &QSpinBox::setValue);
    connect(m_qualityBox, &QSpinBox::valueChanged, m_qualitySlider, &QSlider::setValue);
    connect(m_qualityBox, &QSpinBox::valueChanged, this, &CExportDialog::qualityChanged);
    connect(m_width, &QLineEdit::editingFinished, this, &CExportDialog::commitWidth);
    connect(m_height, &QLineEdit::editingFinished, this, &CExportDialog::commitHeight);
    connect(m_resolution, &QLineEdit::editingFinished, this, &CExportDialog::commitResolution);
    connect(m_unit, &QComboBox::currentIndexChanged, this, [this](int index) {
        m_size.setResolutionUnit(ResolutionUnit(index));
        showSize();
    });
    connect(m_type, &QComboBox::currentIndexChanged, this, &CExportDialog::typeChanged);
    connect(m_name, &QLineEdit::textChanged, this, &CExportDialog::typeChanged);
}

void CExportDialog::loadSettings()
{
    m_folder->setText(m_settings.folder.get());
    m_name->setText(tr("Collage"));
    m_type->setCurrentIndex(std::clamp(m_settings.filterIndex.get(), 0, m_type->count() - 1));
    m_qualityBox->setValue(std::clamp(m_settings.quality.get(), ExportRules::kMinQuality, ExportRules::kMaxQuality));
    qualityChanged(m_qualityBox->value());
    m_autoView->setChecked(m_settings.autoView.get());
    m_transparent->setChecked(m_settings.transparentCanvas.get());
    const std::optional<CPropValue> dpi = m_store.getValue(QStringLiteral("RenderDpi"));
    const int resolution = dpi && dpi->toInt() > 0 ? dpi->toInt() : kDefaultResolution;
    m_size.setResolution(float(resolution));
    // The next export is as wide as the last one, whatever the resolution.
    if (m_settings.width.get() > 0)
        m_size.setWidthPixels(float(m_settings.width.get()));
    showSize();
    typeChanged();
}

void CExportDialog::showSize()
{
    m_width->setText(QString::number(m_size.widthField()));
    m_height->setText(QString::number(m_size.heightField()));
    m_resolution->setText(QString::number(m_size.resolutionField()));
    m_resolutionLabel->setText(m_size.resolutionLabel());
}

void CExportDialog::commitWidth()
{
    m_size.setWidthPixels(float(fieldValue(m_width)));
    showSize();
}

void CExportDialog::commitHeight()
{
    m_size.setHeightPixels(float(fieldValue(m_height)));
    showSize();
}

void CExportDialog::commitResolution()
{
    m_size.setResolution(float(fieldValue(m_resolution)));
    showSize();
}

void CExportDialog::commitFocusedField()
{
    QWidget* focused = focusWidget();
    if (focused == m_width)
        commitWidth();
    else if (focused == m_height)
        commitHeight();
    else if (focused == m_resolution)
        commitResolution();
}

void CExportDialog::qualityChanged(int quality) { m_qualityLabel->setText(ExportRules::qualityLabel(quality)); }

std::optional<CImageEncoder> CExportDialog::chosenEncoder() const
{
    const int index = m_type->currentIndex();
    const std::vector<CImageEncoder>& encoders = ImageEncoders::ListEncoders();
    if (index > kAllTypesIndex && index - 1 < int(encoders.size()))
        return encoders[std::size_t(index - 1)];
    if (const std::optional<CImageEncoder> named = ImageEncoders::EncoderForFileName(m_name->text().trimmed()))
        return named;
    return ImageEncoders::FindEncoder(m_settings.type.get());
}

void CExportDialog::typeChanged()
{
    const std::optional<CImageEncoder> encoder = chosenEncoder();
    m_transparent->setEnabled(encoder && encoder->format == "png");
}

void CExportDialog::browse()
{
    const QString folder = QFileDialog::getExistingDirectory(this, QString::fromLatin1(kBrowseCaption), m_folder->text());
    if (!folder.isEmpty())
        m_folder->setText(QDir::toNativeSeparators(folder));
}

QString CExportDialog::refuse(const QString& key, QWidget* field)
{
    m_catalogue.show(key, MsgStyle::WarningOk);
    if (field)
        field->setFocus();
    return key;
}

QString CExportDialog::tryExport()
{
    m_exportedPath.clear();
    commitFocusedField();
    const QString folder = m_folder->text().trimmed();
    QString name = m_name->text().trimmed();
    CExportSettings::makeDefaultFolder(folder);
    const QString problem = ExportRules::validate(folder, name, m_size);
    if (!problem.isEmpty()) {
        QWidget* field = problem == "ExportMissingDir" || problem == "ExportNoDir" ? m_folder
            : problem == "ExportBadValues"                                          ? m_width
                                                                                    : m_name;
        return refuse(problem, field);
    }
    const std::optional<CImageEncoder> encoder = chosenEncoder();
    if (!encoder)
        return refuse(QStringLiteral("NoFileEncoder"), m_type);
    name = ExportRules::withTypeExtension(name, encoder->extensions);
    const QString path = QDir(folder).filePath(name);
    if (QFileInfo::exists(path) && m_catalogue.show(QStringLiteral("ExportSameName"), MsgStyle::QuestionYesNo) != MsgButton::Yes) {
        m_name->setFocus();
        return QStringLiteral("ExportSameName");
    }

    // Photos the picture would enlarge past what it asks for, or below what
    // a print of it needs.
    const double minimumDpi = std::min(PrintResolution::kMinimumDpi, double(m_size.dotsPerInch()));
    const std::vector<CLowResolutionFrame> low = PrintResolution::findLowResolutionFrames(
        m_renderer.frames(), {{QRectF(0, 0, m_canvas.width, m_canvas.height), 1.0}}, m_canvas.unit, minimumDpi);
    if (!low.empty()) {
        const QString warning = PrintResolution::warningText(m_catalogue, low, minimumDpi);
        const bool goOn = m_askLowResolution ? m_askLowResolution(warning)
                                             : askLowResolutionAnyway(this, warning, tr("Export Anyway"));
        if (!goOn)
            return QString::fromLatin1(PrintResolution::kWarningKey);
    }

    m_settings.folder.set(folder);
    m_settings.quality.set(m_qualityBox->value());
    m_settings.autoView.set(m_autoView->isChecked());
    m_settings.type.set(encoder->extensions.first());
    m_settings.filterIndex.set(m_type->currentIndex());
    m_settings.transparentCanvas.set(m_transparent->isChecked());

    CExportRequest request;
    request.path = path;
    request.type = encoder->extensions.first();
    request.quality = m_qualityBox->value();
    request.width = m_size.widthField();
    request.height = m_size.heightField();
    request.dotsPerInch = m_size.dotsPerInch();
    request.transparentCanvas = m_transparent->isChecked();
    const CExportResult result = ExportImage(m_renderer, m_canvas, request, m_progress);
    if (!result.messageKey.isEmpty())
        return refuse(result.messageKey, nullptr);
    if (result.cancelled)
        return {};
    m_exportedPath = path;
    m_settings.width.set(m_size.widthField());
    if (m_autoView->isChecked() && m_opener && !m_opener(path)) {
        // Said once: the option goes off, so the next export does not fail
        // the same way unseen.
        m_autoView->setChecked(false);
        m_settings.autoView.set(false);
        m_catalogue.showText(m_catalogue.text(QStringLiteral("ExportNoViewer")).arg(QDir::toNativeSeparators(path)),
                             MsgStyle::InfoOk);
    }
    return {};
}

void CExportDialog::accept()
{
    const QString problem = tryExport();
    if (problem.isEmpty() && !m_exportedPath.isEmpty())
        QDialog::accept();
}
