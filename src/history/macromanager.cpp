#include "macromanager.h"

#include <algorithm>

OMBRAVELLE_IMPLEMENT_SERIAL(CMacroManager, CMacroManager::kSchema)

CMacroManager::CMacroManager() = default;

CMacroManager::~CMacroManager() = default;

CMacro* CMacroManager::FindMacro(const QString& name) const
{
    const auto it = std::find_if(m_macros.begin(), m_macros.end(),
                                 [&name](const auto& macro) { return macro->name() == name; });
    return it == m_macros.end() ? nullptr : it->get();
}

CMacro* CMacroManager::AddMacro(std::unique_ptr<CMacro> macro)
{
    if (!macro)
        return nullptr;
    m_macros.push_back(std::move(macro));
    return m_macros.back().get();
}

void CMacroManager::RemoveMacro(CMacro* macro)
{
    const auto it = std::find_if(m_macros.begin(), m_macros.end(),
                                 [macro](const auto& owned) { return owned.get() == macro; });
    if (it == m_macros.end())
        return;
    if (m_current == macro)
        m_current = nullptr;
    m_macros.erase(it);
}

void CMacroManager::setCurrentMacro(CMacro* macro)
{
    const bool ours = std::any_of(m_macros.begin(), m_macros.end(),
                                  [macro](const auto& owned) { return owned.get() == macro; });
    m_current = ours ? macro : nullptr;
}

void CMacroManager::Clear()
{
    m_current = nullptr;
    m_macros.clear();
}

void CMacroManager::serialize(CArchive& ar)
{
    if (ar.isStoring()) {
        ar.writeObjectList(m_macros);
        return;
    }
    Clear();
    m_macros = ar.readObjectList<CMacro>();
}
