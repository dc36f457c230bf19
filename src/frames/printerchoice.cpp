#include "printerchoice.h"

#include "archive.h"

#include <QLocale>
#include <QStringList>

#include <cmath>

namespace {

constexpr const char* kPaperKey = "paper";
constexpr const char* kSizeKey = "size";
constexpr const char* kMarginsKey = "margins";
constexpr const char* kResolutionKey = "resolution";
constexpr const char* kOutputKey = "output";
constexpr const char* kOutputPrinter = "printer";
constexpr const char* kOutputPdf = "pdf";
constexpr int kMarginCount = 4;
// Two set-ups whose sizes differ by less than this are the same paper.
constexpr qreal kMillimetreTolerance = 0.01;

QString number(qreal value) { return QString::number(value, 'g', 10); }

// A finite number at least `minimum`.
std::optional<qreal> parseNumber(const QString& text, qreal minimum)
{
    bool ok = false;
    const qreal value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value) || value < minimum)
        return std::nullopt;
    return value;
}

bool nearlyEqual(const QSizeF& a, const QSizeF& b)
{
    return std::abs(a.width() - b.width()) < kMillimetreTolerance
        && std::abs(a.height() - b.height()) < kMillimetreTolerance;
}

bool nearlyEqual(const QMarginsF& a, const QMarginsF& b)
{
    return std::abs(a.left() - b.left()) < kMillimetreTolerance && std::abs(a.top() - b.top()) < kMillimetreTolerance
        && std::abs(a.right() - b.right()) < kMillimetreTolerance
        && std::abs(a.bottom() - b.bottom()) < kMillimetreTolerance;
}

} // namespace

// ---------------------------------------------------------------------------
// CPrinterSetup

CPrinterSetup CPrinterSetup::systemDefault()
{
    CPrinterSetup setup;
    if (QLocale::system().measurementSystem() == QLocale::ImperialUSSystem)
        setup.paper = QPageSize(QPageSize::Letter);
    return setup;
}

std::optional<QPageSize> CPrinterSetup::paperNamed(const QString& name)
{
    for (int id = 0; id <= int(QPageSize::LastPageSize); ++id) {
        const auto pageId = QPageSize::PageSizeId(id);
        if (pageId != QPageSize::Custom && QPageSize::key(pageId).compare(name.trimmed(), Qt::CaseInsensitive) == 0)
            return QPageSize(pageId);
    }
    return std::nullopt;
}

QSizeF CPrinterSetup::paperMillimetres() const
{
    const QSizeF size = paper.size(QPageSize::Millimeter);
    // Upright: the shorter side across.
    return size.width() <= size.height() ? size : size.transposed();
}

QSizeF CPrinterSetup::printableMillimetres(bool landscape) const
{
    const QSizeF upright = paperMillimetres();
    const QSizeF printable(std::max(0.0, upright.width() - margins.left() - margins.right()),
                           std::max(0.0, upright.height() - margins.top() - margins.bottom()));
    return landscape ? printable.transposed() : printable;
}

QPageLayout CPrinterSetup::pageLayout(bool landscape) const
{
    // Turning the sheet a quarter turn to the left: its top edge becomes the
    // left one, and so on round.
    const QMarginsF turned = landscape
        ? QMarginsF(margins.top(), margins.right(), margins.bottom(), margins.left())
        : margins;
    const QPageSize upright(paperMillimetres(), QPageSize::Millimeter, paper.name());
    QPageLayout layout(paper.size(QPageSize::Millimeter).width() <= paper.size(QPageSize::Millimeter).height()
                           ? paper
                           : upright,
                       landscape ? QPageLayout::Landscape : QPageLayout::Portrait, turned, QPageLayout::Millimeter);
    layout.setMode(QPageLayout::StandardMode);
    return layout;
}

QByteArray CPrinterSetup::encodeNames() const
{
    return output == Output::Printer ? printerName.toUtf8() : QByteArray();
}

QByteArray CPrinterSetup::encodeMode() const
{
    const QSizeF size = paperMillimetres();
    QStringList lines;
    lines << QString::fromLatin1(kModeHeader);
    lines << QStringLiteral("%1=%2").arg(kPaperKey, paper.key());
    lines << QStringLiteral("%1=%2x%3").arg(kSizeKey, number(size.width()), number(size.height()));
    lines << QStringLiteral("%1=%2,%3,%4,%5")
                 .arg(kMarginsKey, number(margins.left()), number(margins.top()), number(margins.right()),
                      number(margins.bottom()));
    lines << QStringLiteral("%1=%2").arg(kResolutionKey).arg(resolution);
    lines << QStringLiteral("%1=%2").arg(kOutputKey, output == Output::PdfFile ? kOutputPdf : kOutputPrinter);
    return (lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
}

std::optional<CPrinterSetup> CPrinterSetup::decode(const QByteArray& names, const QByteArray& mode)
{
    const QStringList lines = QString::fromUtf8(mode).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    if (lines.isEmpty() || lines.first().trimmed() != QLatin1String(kModeHeader))
        return std::nullopt;

    CPrinterSetup setup;
    setup.printerName = QString::fromUtf8(names);
    QString paperKey;
    std::optional<QSizeF> size;
    for (const QString& line : lines.mid(1)) {
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals < 0)
            return std::nullopt;
        const QString key = line.left(equals).trimmed();
        const QString value = line.mid(equals + 1).trimmed();
        if (key == QLatin1String(kPaperKey)) {
            paperKey = value;
        } else if (key == QLatin1String(kSizeKey)) {
            const QStringList sides = value.split(QLatin1Char('x'));
            const auto width = sides.size() == 2 ? parseNumber(sides[0], 0.0) : std::nullopt;
            const auto height = sides.size() == 2 ? parseNumber(sides[1], 0.0) : std::nullopt;
            if (!width || !height || *width <= 0.0 || *height <= 0.0)
                return std::nullopt;
            size = QSizeF(*width, *height);
        } else if (key == QLatin1String(kMarginsKey)) {
            const QStringList parts = value.split(QLatin1Char(','));
            if (parts.size() != kMarginCount)
                return std::nullopt;
            qreal sides[kMarginCount];
            for (int i = 0; i < kMarginCount; ++i) {
                const auto side = parseNumber(parts[i], 0.0);
                if (!side)
                    return std::nullopt;
                sides[i] = *side;
            }
            setup.margins = QMarginsF(sides[0], sides[1], sides[2], sides[3]);
        } else if (key == QLatin1String(kResolutionKey)) {
            bool ok = false;
            const int dpi = value.toInt(&ok);
            if (!ok || dpi < kMinResolution || dpi > kMaxResolution)
                return std::nullopt;
            setup.resolution = dpi;
        } else if (key == QLatin1String(kOutputKey)) {
            if (value == QLatin1String(kOutputPdf))
                setup.output = Output::PdfFile;
            else if (value == QLatin1String(kOutputPrinter))
                setup.output = Output::Printer;
            else
                return std::nullopt;
        }
    }
    if (const std::optional<QPageSize> standard = paperNamed(paperKey))
        setup.paper = *standard;
    else if (size)
        setup.paper = QPageSize(*size, QPageSize::Millimeter, paperKey);
    else
        return std::nullopt;
    if (setup.output == Output::PdfFile)
        setup.printerName.clear();
    // Margins that leave no paper to print on are no set-up.
    if (setup.printableMillimetres(false).isEmpty())
        return std::nullopt;
    return setup;
}

bool CPrinterSetup::operator==(const CPrinterSetup& other) const
{
    return printerName == other.printerName && output == other.output && resolution == other.resolution
        && nearlyEqual(paperMillimetres(), other.paperMillimetres()) && nearlyEqual(margins, other.margins);
}

// ---------------------------------------------------------------------------
// CPrinterChoice

void CPrinterChoice::setPrinter(const QByteArray& devNames, const QByteArray& devMode)
{
    m_devNames = devNames;
    m_devMode = devMode;
}

void CPrinterChoice::clear() { setPrinter({}, {}); }

void CPrinterChoice::serialize(CArchive& ar)
{
    if (ar.isStoring()) {
        ar.writeBlob(m_devNames);
        ar.writeBlob(m_devMode);
        return;
    }
    const QByteArray devNames = ar.readBlob();
    const QByteArray devMode = ar.readBlob();
    setPrinter(devNames, devMode);
}
