#pragma once
// The printer chosen for the project: the printer-names block and the
// device-mode block, kept as the opaque bytes the project file carries (the
// layouts are the Windows DEVNAMES and DEVMODE structures; this platform
// stores and returns them unread). No blocks means no chosen printer: the
// system default is used.
//
// One instance for the process, held by the application; the document
// streams it in the "Printer" section.

#include <QByteArray>

class CArchive;

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

    // The names block, then the mode block, each as a u32 byte count and
    // that many bytes (0 = none). Loading replaces the pair only once both
    // blocks were read whole.
    void serialize(CArchive& ar);

private:
    QByteArray m_devNames;
    QByteArray m_devMode;
};
