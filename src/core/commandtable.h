#pragma once
// What the window knows of every command: its menu text (the part after a
// tab is the key as the menu shows it), the keys the window itself binds,
// the toolbar image and whether the item carries a check mark. Keys the
// canvas view reads itself (its hold keys, + and -, Tab, Home, End, Delete)
// are shown in the text but not bound, so they reach the view.

#include <QKeySequence>
#include <QList>

struct CCommandSpec
{
    int id = 0;
    const char* text = "";
    // Portable key texts separated by ';' ("Ctrl+Z;Alt+Backspace"); empty
    // when the window binds no key.
    const char* keys = "";
    // The toolbar image's resource name, or null for a menu-only command.
    const char* icon = nullptr;
    bool checkable = false;
};

namespace CommandTable {

// Every command of the menus and toolbars; ids are unique.
const QList<CCommandSpec>& all();
// Null for an id the table does not hold.
const CCommandSpec* find(int id);
QList<QKeySequence> shortcutsOf(const CCommandSpec& spec);
// The text without its key and without '&', for tooltips and lists.
QString plainText(const CCommandSpec& spec);
// What the command does, in a sentence: the status-bar text of its menu
// item and button. Empty for an id without one.
QString prompt(int id);

} // namespace CommandTable

// The toolbars of View > Toolbar: id of the toggle, name (also the object
// name the saved layout refers to) and the commands on the bar, 0 for a
// separator.
struct CToolbarSpec
{
    int toggleId = 0;
    const char* name = "";
    QList<int> commands;
};

namespace ToolbarTable {
const QList<CToolbarSpec>& all();
} // namespace ToolbarTable
