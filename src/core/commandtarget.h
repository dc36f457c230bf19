#pragma once
// Command routing between the main window and the windows inside it. Every
// menu item and toolbar button carries its numeric command id; the main
// window offers each command first to the canvas view, then to the document
// commands, and asks the same targets whether an item is enabled or checked
// when its menu opens or its button is drawn.

#include <optional>

struct CCommandState
{
    bool enabled = true;
    bool checked = false;
};

class CCommandTarget
{
public:
    virtual ~CCommandTarget() = default;
    // Returns whether this target handled the command.
    virtual bool onCommand(int id) = 0;
    // The state of a command this target handles; nothing for the others.
    virtual std::optional<CCommandState> commandState(int id) const = 0;
};
