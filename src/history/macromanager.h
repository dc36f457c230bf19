#pragma once
// The macro store: the project's macros in creation order and the current
// one (chosen last in the macro dialog). Saved with the project in the
// "Macro" section; the document sets its "holds macros" flag from
// macroCount() before it writes.
//
// One instance for the process, owned by the services; emptied when the
// document resets its contents. User-interface thread only.

#include "archive.h"
#include "macro.h"

#include <QString>

#include <memory>
#include <vector>

class CMacroManager : public CSerializable
{
    OMBRAVELLE_DECLARE_SERIAL(CMacroManager)

public:
    static constexpr quint16 kSchema = 1;

    CMacroManager();
    ~CMacroManager() override;
    CMacroManager(const CMacroManager&) = delete;
    CMacroManager& operator=(const CMacroManager&) = delete;

    int macroCount() const { return static_cast<int>(m_macros.size()); }
    const std::vector<std::unique_ptr<CMacro>>& macros() const { return m_macros; }

    // The macro of exactly that name, or null.
    CMacro* FindMacro(const QString& name) const;
    // Appends the macro and returns it. The caller keeps names unique (the
    // macro dialog asks before it replaces one).
    CMacro* AddMacro(std::unique_ptr<CMacro> macro);
    // Deletes the macro; when it was the current one there is none after.
    void RemoveMacro(CMacro* macro);

    CMacro* currentMacro() const { return m_current; }
    // Must be one of this store's macros, or null.
    void setCurrentMacro(CMacro* macro);

    // Deletes every macro; there is no current macro after.
    void Clear();

    // The macros as an object list. Loading empties the store first and
    // leaves no current macro; a store that fails to load stays empty.
    void serialize(CArchive& ar) override;

private:
    std::vector<std::unique_ptr<CMacro>> m_macros;
    CMacro* m_current = nullptr;
};
