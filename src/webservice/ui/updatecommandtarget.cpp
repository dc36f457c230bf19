#include "updatecommandtarget.h"

#include "commandids.h"
#include "updatedialog.h"

CUpdateCommandTarget::CUpdateCommandTarget(CUpdateEnvironment environment)
    : m_env(std::move(environment))
{
}

bool CUpdateCommandTarget::onCommand(int id)
{
    if (id != CommandId::CheckForUpdates)
        return false;
    CUpdateDialog dialog(m_env);
    dialog.exec();
    return true;
}

std::optional<CCommandState> CUpdateCommandTarget::commandState(int id) const
{
    if (id != CommandId::CheckForUpdates)
        return std::nullopt;
    return CCommandState{};
}
