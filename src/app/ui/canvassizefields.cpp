#include "canvassizefields.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>
#include <QStandardItemModel>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kCentimetresPerInch = 2.54;
constexpr int kPlaceholderPreset = 0;

} // namespace

CCanvasSizeFields::CCanvasSizeFields(const CCanvasSizeChoice& initial, CanvasUnit unit, const Texts& texts,
                                     std::function<QSizeF(int)> presetSize, QWidget* parent)
    : QWidget(parent)
    , m_unit(unit)
    , m_presetSize(std::move(presetSize))
{
    auto* form = new QFormLayout(this);
    form->setContentsMargins(0, 0, 0, 0);

    m_mode = new QComboBox(this);
    m_mode->addItem(unit == CanvasUnit::Centimetre ? tr("Size in centimetres") : tr("Size in inches"),
                    quint32(CCanvasSizeChoice::Units));
    m_mode->addItem(tr("Printer page"), quint32(CCanvasSizeChoice::PrinterPage));
    m_mode->addItem(tr("Pixels"), quint32(CCanvasSizeChoice::Pixels));
    form->addRow(tr("Canvas size:"), m_mode);

    m_width = new QDoubleSpinBox(this);
    m_height = new QDoubleSpinBox(this);
    form->addRow(tr("Width:"), m_width);
    form->addRow(tr("Height:"), m_height);

    m_resolution = new QSpinBox(this);
    m_resolution->setRange(kMinResolution, kMaxResolution);
    m_resolution->setSuffix(tr(" dpi"));
    m_resolution->setValue(int(std::clamp<quint32>(initial.resolution, kMinResolution, kMaxResolution)));
    form->addRow(tr("Resolution:"), m_resolution);

    auto* presetRow = new QWidget(this);
    auto* presetLayout = new QHBoxLayout(presetRow);
    presetLayout->setContentsMargins(0, 0, 0, 0);
    m_presets = new QComboBox(presetRow);
    m_presets->setToolTip(texts.presetsTip);
    m_presets->addItem(tr("Preset sizes"), kPlaceholderPreset);
    for (const CanvasPresets::CPreset& preset : CanvasPresets::kPaperPresets)
        m_presets->addItem(QString::fromUtf8(preset.text), preset.id);
    m_presets->insertSeparator(m_presets->count());
    m_presets->addItem(QString::fromLatin1(CanvasPresets::kEmailPresetText), CanvasPresets::kEmailPresetId);
    presetLayout->addWidget(m_presets);
    auto* info = new QLabel(texts.presetsInfo, presetRow);
    info->setWordWrap(true);
    info->setEnabled(false);
    presetLayout->addWidget(info, 1);
    form->addRow(tr("Presets:"), presetRow);

    m_page = new QLabel(this);
    form->addRow(tr("Printer page:"), m_page);

    m_shownMode = CCanvasSizeChoice::Units;
    setPrintablePage(std::nullopt);
    setChoice(initial);

    connect(m_mode, &QComboBox::currentIndexChanged, this, &CCanvasSizeFields::modeChanged);
    connect(m_presets, &QComboBox::activated, this, [this](int index) {
        choosePreset(m_presets->itemData(index).toInt());
        m_presets->setCurrentIndex(0);
    });
    // In pixels the resolution decides the size; the pixels stay as typed.
    connect(m_resolution, &QSpinBox::valueChanged, this, [this] {
        if (m_shownMode == CCanvasSizeChoice::Pixels) {
            m_width->setRange(std::ceil(kMinSide / unitsPerValue(m_shownMode)), kMaxSide / unitsPerValue(m_shownMode));
            m_height->setRange(std::ceil(kMinSide / unitsPerValue(m_shownMode)), kMaxSide / unitsPerValue(m_shownMode));
        }
    });
}

double CCanvasSizeFields::unitsPerValue(quint32 mode) const
{
    if (mode != CCanvasSizeChoice::Pixels)
        return 1.0;
    const double perInch = m_unit == CanvasUnit::Centimetre ? kCentimetresPerInch : 1.0;
    return perInch / std::max(1, m_resolution->value());
}

CCanvasSizeChoice CCanvasSizeFields::choice() const
{
    CCanvasSizeChoice chosen;
    chosen.mode = m_shownMode;
    chosen.resolution = quint32(m_resolution->value());
    const double perValue = unitsPerValue(m_shownMode);
    chosen.width = float(m_width->value() * perValue);
    chosen.height = float(m_height->value() * perValue);
    return chosen;
}

void CCanvasSizeFields::setChoice(const CCanvasSizeChoice& choice)
{
    m_resolution->setValue(int(std::clamp<quint32>(choice.resolution, kMinResolution, kMaxResolution)));
    int index = m_mode->findData(choice.mode);
    if (index < 0 || !(m_mode->model()->flags(m_mode->model()->index(index, 0)) & Qt::ItemIsEnabled))
        index = 0;
    const QSignalBlocker quiet(m_mode);
    m_mode->setCurrentIndex(index);
    m_shownMode = m_mode->currentData().toUInt();
    modeChanged();
    if (m_shownMode != CCanvasSizeChoice::PrinterPage)
        showSize(QSizeF(choice.width, choice.height));
}

void CCanvasSizeFields::showSize(QSizeF units)
{
    const double perValue = unitsPerValue(m_shownMode);
    const bool pixels = m_shownMode == CCanvasSizeChoice::Pixels;
    for (QDoubleSpinBox* box : {m_width, m_height}) {
        const QSignalBlocker quiet(box);
        box->setDecimals(pixels ? 0 : kSideDecimals);
        box->setRange(pixels ? std::ceil(kMinSide / perValue) : kMinSide, kMaxSide / perValue);
        box->setSuffix(pixels ? tr(" px") : QString());
    }
    m_width->setValue(units.width() / perValue);
    m_height->setValue(units.height() / perValue);
}

void CCanvasSizeFields::modeChanged()
{
    // The size as it stood, kept across the change of mode.
    const double before = unitsPerValue(m_shownMode);
    QSizeF units(m_width->value() * before, m_height->value() * before);
    m_shownMode = m_mode->currentData().toUInt();
    if (m_shownMode == CCanvasSizeChoice::PrinterPage && m_printable) {
        // The page turned the way the canvas lies.
        const bool wide = units.width() >= units.height();
        units = wide == (m_printable->width() >= m_printable->height()) ? *m_printable : m_printable->transposed();
    }
    const bool typed = m_shownMode != CCanvasSizeChoice::PrinterPage;
    m_width->setEnabled(typed);
    m_height->setEnabled(typed);
    m_resolution->setEnabled(m_shownMode == CCanvasSizeChoice::Pixels);
    if (!units.isEmpty())
        showSize(units);
}

void CCanvasSizeFields::setPrintablePage(std::optional<QSizeF> page)
{
    m_printable = page && !page->isEmpty() ? page : std::nullopt;
    m_page->setText(pageSizeText());
    // The printer-page mode needs a printer.
    if (auto* model = qobject_cast<QStandardItemModel*>(m_mode->model())) {
        if (QStandardItem* item = model->item(m_mode->findData(quint32(CCanvasSizeChoice::PrinterPage))))
            item->setEnabled(m_printable.has_value());
    }
    if (m_shownMode == CCanvasSizeChoice::PrinterPage) {
        if (!m_printable)
            m_mode->setCurrentIndex(0);
        else
            modeChanged();
    }
}

QString CCanvasSizeFields::pageSizeText() const
{
    if (!m_printable)
        return tr(kNoPrinterText);
    return QString::asprintf(kPageSizeFormat, m_printable->width(), m_printable->height());
}

void CCanvasSizeFields::choosePreset(int id)
{
    if (id == kPlaceholderPreset || !m_presetSize)
        return;
    const QSizeF size = m_presetSize(id);
    if (size.isEmpty())
        return;
    if (m_shownMode == CCanvasSizeChoice::PrinterPage)
        m_mode->setCurrentIndex(m_mode->findData(quint32(CCanvasSizeChoice::Units)));
    showSize(size);
}
