#pragma once
// The printer chosen for the project: the printer-names block and the
// device-mode block, kept as the bytes the project file carries. On Windows
// they were the DEVNAMES and DEVMODE structures; on this platform the names
// block is the printer's name and the mode block a page set-up in a short
// text form of our own (CPrinterSetup::encode). Blocks this platform did not
// write are kept as they are and stand for the system default printer, so a
// project that comes from elsewhere saves them back unchanged. No blocks
// means no chosen printer: the system default is used.
//
// One instance for the process, held by the application; the document
// streams it in the "Printer" section.

#include <QByteArray>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QSizeF>
#include <QString>

#include <optional>

class CArchive;

// Where and on what paper the collage is printed.
struct CPrinterSetup
{
    // The header line of the mode block; a block without it is not ours.
    static constexpr const char* kModeHeader = "Ombravelle page set-up 1";
    // What a printer without its own set-up gets.
    static constexpr qreal kDefaultMarginMillimetres = 6.35; // a quarter inch
    static constexpr int kDefaultResolution = 300;
    static constexpr int kMinResolution = 36;
    static constexpr int kMaxResolution = 2400;

    enum class Output { Printer, PdfFile };

    // Empty: the system's default printer.
    QString printerName;
    Output output = Output::Printer;
    QPageSize paper = QPageSize(QPageSize::A4);
    // Of the page turned upright (portrait), millimetres.
    QMarginsF margins{kDefaultMarginMillimetres, kDefaultMarginMillimetres, kDefaultMarginMillimetres,
                      kDefaultMarginMillimetres};
    // Dots per inch the pages are rendered at.
    int resolution = kDefaultResolution;

    // A4, or US Letter where the locale measures in inches, with the
    // default margins and resolution, on the default printer.
    static CPrinterSetup systemDefault();
    // The standard paper whose key ("A4", "Letter", "Legal", ...) is
    // `name`, letter case aside.
    static std::optional<QPageSize> paperNamed(const QString& name);

    // The paper upright in millimetres, and the part inside the margins.
    QSizeF paperMillimetres() const;
    QSizeF printableMillimetres(bool landscape) const;
    // The page as the paint devices take it: the paper in the orientation,
    // with the margins turned along with it.
    QPageLayout pageLayout(bool landscape) const;

    // Names block: the printer's name, UTF-8 (empty for the default printer
    // and for a PDF file).
    QByteArray encodeNames() const;
    // Mode block: UTF-8 lines, the header first, then "key=value" lines:
    // paper (the page size's key, "A4", "Letter", ...), size (the upright
    // paper, "WIDTHxHEIGHT" millimetres; it decides when the key is not
    // one Qt knows), margins ("LEFT,TOP,RIGHT,BOTTOM" millimetres of the
    // upright page), resolution (dots per inch) and output ("printer" or
    // "pdf"). Unknown keys are ignored, so later additions stay readable.
    QByteArray encodeMode() const;
    // The set-up the two blocks hold; nothing when the mode block is not
    // ours or does not parse.
    static std::optional<CPrinterSetup> decode(const QByteArray& names, const QByteArray& mode);

    bool operator==(const CPrinterSetup& other) const;
    bool operator!=(const CPrinterSetup& other) const { return !(*this == other); }
};

class CPrinterChoice
{
public:
    static constexpr auto kSectionName = "Printer";
    // Version 1 sections of older files had another layout and are skipped.
    static constexpr quint32 kSectionVersion = 2;

    bool hasPrinter() const { return !m_devNames.isEmpty() || !m_devMode.isEmpty(); }
    const QByteArray& devNames() const { return m_devNames; }
    const QByteArray& devMode() const { return m_devMode; }
    // Replaces the pair; the previous blocks are released.
    void setPrinter(const QByteArray& devNames, const QByteArray& devMode);
    void clear();

    // The chosen set-up, when one of ours is chosen.
    std::optional<CPrinterSetup> setup() const { return CPrinterSetup::decode(m_devNames, m_devMode); }
    void setSetup(const CPrinterSetup& setup) { setPrinter(setup.encodeNames(), setup.encodeMode()); }
    // The chosen set-up, or the system default one.
    CPrinterSetup effectiveSetup() const { return setup().value_or(CPrinterSetup::systemDefault()); }

    // The names block, then the mode block, each as a u32 byte count and
    // that many bytes (0 = none). Loading replaces the pair only once both
    // blocks were read whole.
    void serialize(CArchive& ar);

private:
    QByteArray m_devNames;
    QByteArray m_devMode;
};
