#pragma once
// The main window's "Check for Updates..." command: opens the update dialog.

#include "commandtarget.h"
#include "updateenvironment.h"

class CUpdateCommandTarget : public CCommandTarget
{
public:
    explicit CUpdateCommandTarget(CUpdateEnvironment environment);

    bool onCommand(int id) override;
    std::optional<CCommandState> commandState(int id) const override;

private:
    CUpdateEnvironment m_env;
};
