#include "printerchoice.h"

#include "archive.h"

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
