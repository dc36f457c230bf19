#pragma once
// The numbers a macro's events are stored in: the Windows message numbers of
// key and mouse input and the Windows virtual-key codes, so that a macro
// recorded here plays the same on any platform. Translation both ways
// between them and Qt's keys and event kinds, without a window.

#include "macroframe.h"

#include <QEvent>
#include <QPoint>
#include <QString>

#include <optional>

namespace JournalCodes {

inline constexpr quint32 KeyDown = 0x0100;
inline constexpr quint32 KeyUp = 0x0101;
inline constexpr quint32 SysKeyDown = 0x0104; // with Alt held
inline constexpr quint32 SysKeyUp = 0x0105;
inline constexpr quint32 MouseMove = 0x0200;
inline constexpr quint32 LeftDown = 0x0201;
inline constexpr quint32 LeftUp = 0x0202;
inline constexpr quint32 RightDown = 0x0204;
inline constexpr quint32 RightUp = 0x0205;
inline constexpr quint32 MiddleDown = 0x0207;
inline constexpr quint32 MiddleUp = 0x0208;

inline constexpr quint32 VkShift = 0x10;
inline constexpr quint32 VkControl = 0x11;
inline constexpr quint32 VkMenu = 0x12; // Alt
inline constexpr quint32 VkEscape = 0x1B;
inline constexpr quint32 VkLeftWin = 0x5B;

// The virtual-key code of a Qt key (shifted punctuation maps to its key's
// code: '+' and '=' are one key); nothing for a key without one.
std::optional<quint32> virtualKey(int qtKey, bool keypad = false);
// The Qt key a virtual-key code gives with or without Shift; 0 for an
// unknown code.
int qtKey(quint32 virtualKey, bool shifted);
// The text the key types, as the event carrying it needs it; empty for keys
// that type nothing (and for anything with Ctrl or Alt held).
QString keyText(quint32 virtualKey, Qt::KeyboardModifiers modifiers);
bool isModifierKey(quint32 virtualKey);

// The journal record of a key press or release. Nothing for a key without
// a virtual-key code.
std::optional<CJournalEvent> keyEvent(bool press, int qtKey, bool keypad, bool altHeld, quint32 scanCode,
                                      quint32 time);
// The journal record of a mouse press, release or move at a screen
// position; nothing for buttons the journal has no message for.
std::optional<CJournalEvent> mouseEvent(QEvent::Type type, Qt::MouseButton button, const QPoint& screen,
                                        quint32 time);

// What a record means for Qt, the other way round.
struct CInput
{
    QEvent::Type type = QEvent::None;
    quint32 virtualKey = 0;           // key events
    Qt::MouseButton button = Qt::NoButton; // mouse presses and releases
    QPoint screen;                    // mouse events
};
// Nothing for a record that is no key or mouse message.
std::optional<CInput> inputOf(const CJournalEvent& event);

// Milliseconds between two recorded events: the difference of their time
// stamps as a signed 32-bit number (so a tick count that wrapped still
// gives the short gap), 0 when negative.
quint32 gapBetween(const CJournalEvent& earlier, const CJournalEvent& later);

} // namespace JournalCodes

// Which keys and buttons the played events hold down, so every event played
// carries the modifiers and buttons the user held at that moment.
class CInputState
{
public:
    void apply(const JournalCodes::CInput& input);
    Qt::KeyboardModifiers modifiers() const;
    Qt::MouseButtons buttons() const { return m_buttons; }

private:
    bool m_shift = false;
    bool m_control = false;
    bool m_alt = false;
    bool m_meta = false;
    Qt::MouseButtons m_buttons;
};
