#include "sharetarget.h"

#include "collagedoc.h"
#include "commandids.h"
#include "picinfomanager.h"
#include "sharesheet.h"

#include <QWidget>

CShareTarget::CShareTarget(CCollageDoc& doc, QWidget* window)
    : QObject(window)
    , m_doc(doc)
    , m_window(window)
{
}

bool CShareTarget::onCommand(int id)
{
    if (id != CommandId::ShareCollage)
        return false;
    CShareSheet sheet(m_doc, m_window);
    sheet.exec();
    return true;
}

std::optional<CCommandState> CShareTarget::commandState(int id) const
{
    if (id != CommandId::ShareCollage)
        return std::nullopt;
    return CCommandState{m_doc.services().frames.frameCount() > 0, false};
}
