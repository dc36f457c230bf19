#include "journalcodes.h"

#include <array>

namespace JournalCodes {

namespace {

struct KeyPair
{
    quint32 vk;
    int key;
    int shiftedKey; // 0: the same key with Shift
};

// Keys whose code is not their character: the digits' and punctuation's
// shifted characters belong to the same key, as on a US keyboard.
constexpr std::array kKeys{
    KeyPair{0x08, Qt::Key_Backspace, 0},    KeyPair{0x09, Qt::Key_Tab, Qt::Key_Backtab},
    KeyPair{0x0D, Qt::Key_Return, 0},       KeyPair{VkShift, Qt::Key_Shift, 0},
    KeyPair{VkControl, Qt::Key_Control, 0}, KeyPair{VkMenu, Qt::Key_Alt, 0},
    KeyPair{0x13, Qt::Key_Pause, 0},        KeyPair{0x14, Qt::Key_CapsLock, 0},
    KeyPair{VkEscape, Qt::Key_Escape, 0},   KeyPair{0x20, Qt::Key_Space, 0},
    KeyPair{0x21, Qt::Key_PageUp, 0},       KeyPair{0x22, Qt::Key_PageDown, 0},
    KeyPair{0x23, Qt::Key_End, 0},          KeyPair{0x24, Qt::Key_Home, 0},
    KeyPair{0x25, Qt::Key_Left, 0},         KeyPair{0x26, Qt::Key_Up, 0},
    KeyPair{0x27, Qt::Key_Right, 0},        KeyPair{0x28, Qt::Key_Down, 0},
    KeyPair{0x2D, Qt::Key_Insert, 0},       KeyPair{0x2E, Qt::Key_Delete, 0},
    KeyPair{0x30, Qt::Key_0, Qt::Key_ParenRight},   KeyPair{0x31, Qt::Key_1, Qt::Key_Exclam},
    KeyPair{0x32, Qt::Key_2, Qt::Key_At},           KeyPair{0x33, Qt::Key_3, Qt::Key_NumberSign},
    KeyPair{0x34, Qt::Key_4, Qt::Key_Dollar},       KeyPair{0x35, Qt::Key_5, Qt::Key_Percent},
    KeyPair{0x36, Qt::Key_6, Qt::Key_AsciiCircum},  KeyPair{0x37, Qt::Key_7, Qt::Key_Ampersand},
    KeyPair{0x38, Qt::Key_8, Qt::Key_Asterisk},     KeyPair{0x39, Qt::Key_9, Qt::Key_ParenLeft},
    KeyPair{VkLeftWin, Qt::Key_Meta, 0},    KeyPair{0x5D, Qt::Key_Menu, 0},
    KeyPair{0xBA, Qt::Key_Semicolon, Qt::Key_Colon},    KeyPair{0xBB, Qt::Key_Equal, Qt::Key_Plus},
    KeyPair{0xBC, Qt::Key_Comma, Qt::Key_Less},         KeyPair{0xBD, Qt::Key_Minus, Qt::Key_Underscore},
    KeyPair{0xBE, Qt::Key_Period, Qt::Key_Greater},     KeyPair{0xBF, Qt::Key_Slash, Qt::Key_Question},
    KeyPair{0xC0, Qt::Key_QuoteLeft, Qt::Key_AsciiTilde}, KeyPair{0xDB, Qt::Key_BracketLeft, Qt::Key_BraceLeft},
    KeyPair{0xDC, Qt::Key_Backslash, Qt::Key_Bar},      KeyPair{0xDD, Qt::Key_BracketRight, Qt::Key_BraceRight},
    KeyPair{0xDE, Qt::Key_Apostrophe, Qt::Key_QuoteDbl},
};

// The number pad's operators have codes of their own.
constexpr std::array kKeypadKeys{
    KeyPair{0x6A, Qt::Key_Asterisk, 0}, KeyPair{0x6B, Qt::Key_Plus, 0}, KeyPair{0x6D, Qt::Key_Minus, 0},
    KeyPair{0x6E, Qt::Key_Period, 0},   KeyPair{0x6F, Qt::Key_Slash, 0},
};

constexpr quint32 kVkF1 = 0x70;
constexpr int kFunctionKeys = 24;
// Left and right variants of Shift, Ctrl and Alt a journal may hold.
constexpr quint32 kVkLeftShift = 0xA0;
constexpr quint32 kVkRightMenu = 0xA5;
constexpr quint32 kVkRightWin = 0x5C;

quint32 genericModifier(quint32 vk)
{
    if (vk >= kVkLeftShift && vk <= kVkRightMenu)
        return VkShift + (vk - kVkLeftShift) / 2;
    return vk == kVkRightWin ? VkLeftWin : vk;
}

} // namespace

std::optional<quint32> virtualKey(int qtKey, bool keypad)
{
    if (keypad) {
        for (const KeyPair& pair : kKeypadKeys) {
            if (pair.key == qtKey)
                return pair.vk;
        }
    }
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
        return static_cast<quint32>(qtKey); // the letters share their codes
    if (qtKey >= Qt::Key_F1 && qtKey < Qt::Key_F1 + kFunctionKeys)
        return kVkF1 + static_cast<quint32>(qtKey - Qt::Key_F1);
    for (const KeyPair& pair : kKeys) {
        if (pair.key == qtKey || (pair.shiftedKey != 0 && pair.shiftedKey == qtKey))
            return pair.vk;
    }
    return std::nullopt;
}

int qtKey(quint32 vk, bool shifted)
{
    vk = genericModifier(vk);
    if (vk >= Qt::Key_A && vk <= Qt::Key_Z)
        return static_cast<int>(vk);
    if (vk >= kVkF1 && vk < kVkF1 + kFunctionKeys)
        return Qt::Key_F1 + static_cast<int>(vk - kVkF1);
    const auto find = [vk, shifted](const auto& table) {
        for (const KeyPair& pair : table) {
            if (pair.vk == vk)
                return shifted && pair.shiftedKey != 0 ? pair.shiftedKey : pair.key;
        }
        return 0;
    };
    const int key = find(kKeys);
    return key != 0 ? key : find(kKeypadKeys);
}

QString keyText(quint32 vk, Qt::KeyboardModifiers modifiers)
{
    if (modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return {};
    const bool shifted = modifiers & Qt::ShiftModifier;
    const int key = qtKey(vk, shifted);
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return QString(QChar(shifted ? key : key - Qt::Key_A + 'a'));
    switch (key) {
    case Qt::Key_Return:
        return QStringLiteral("\r");
    case Qt::Key_Tab:
        return QStringLiteral("\t");
    case Qt::Key_Backspace:
        return QStringLiteral("\b");
    case Qt::Key_Escape:
        return QStringLiteral("\x1b");
    default:
        // The printable keys' Qt codes are their Latin-1 characters.
        return key >= Qt::Key_Space && key <= Qt::Key_AsciiTilde ? QString(QChar(key)) : QString();
    }
}

bool isModifierKey(quint32 vk)
{
    vk = genericModifier(vk);
    return vk == VkShift || vk == VkControl || vk == VkMenu || vk == VkLeftWin;
}

std::optional<CJournalEvent> keyEvent(bool press, int key, bool keypad, bool altHeld, quint32 scanCode, quint32 time)
{
    const std::optional<quint32> vk = virtualKey(key, keypad);
    if (!vk)
        return std::nullopt;
    // Keys pressed with Alt held (and Alt itself) are "system" keys.
    const bool system = altHeld || *vk == VkMenu;
    const quint32 message = press ? (system ? SysKeyDown : KeyDown) : (system ? SysKeyUp : KeyUp);
    return CJournalEvent{message, *vk | ((scanCode & 0xFFFF) << 16), 1, time, 0};
}

std::optional<CJournalEvent> mouseEvent(QEvent::Type type, Qt::MouseButton button, const QPoint& screen, quint32 time)
{
    quint32 message = 0;
    const bool press = type == QEvent::MouseButtonPress;
    if (type == QEvent::MouseMove)
        message = MouseMove;
    else if (press || type == QEvent::MouseButtonRelease) {
        switch (button) {
        case Qt::LeftButton:
            message = press ? LeftDown : LeftUp;
            break;
        case Qt::RightButton:
            message = press ? RightDown : RightUp;
            break;
        case Qt::MiddleButton:
            message = press ? MiddleDown : MiddleUp;
            break;
        default:
            return std::nullopt;
        }
    } else {
        return std::nullopt;
    }
    return CJournalEvent{message, static_cast<quint32>(screen.x()), static_cast<quint32>(screen.y()), time, 0};
}

std::optional<CInput> inputOf(const CJournalEvent& event)
{
    CInput input;
    switch (event.message) {
    case KeyDown:
    case SysKeyDown:
    case KeyUp:
    case SysKeyUp:
        input.type = event.message == KeyDown || event.message == SysKeyDown ? QEvent::KeyPress : QEvent::KeyRelease;
        input.virtualKey = event.paramL & 0xFF;
        return input;
    case MouseMove:
        input.type = QEvent::MouseMove;
        break;
    case LeftDown:
    case RightDown:
    case MiddleDown:
        input.type = QEvent::MouseButtonPress;
        break;
    case LeftUp:
    case RightUp:
    case MiddleUp:
        input.type = QEvent::MouseButtonRelease;
        break;
    default:
        return std::nullopt;
    }
    if (event.message == LeftDown || event.message == LeftUp)
        input.button = Qt::LeftButton;
    else if (event.message == RightDown || event.message == RightUp)
        input.button = Qt::RightButton;
    else if (event.message == MiddleDown || event.message == MiddleUp)
        input.button = Qt::MiddleButton;
    input.screen = QPoint(static_cast<qint32>(event.paramL), static_cast<qint32>(event.paramH));
    return input;
}

quint32 gapBetween(const CJournalEvent& earlier, const CJournalEvent& later)
{
    const auto gap = static_cast<qint32>(later.time - earlier.time);
    return gap > 0 ? static_cast<quint32>(gap) : 0;
}

} // namespace JournalCodes

void CInputState::apply(const JournalCodes::CInput& input)
{
    using namespace JournalCodes;
    switch (input.type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        const bool down = input.type == QEvent::KeyPress;
        switch (qtKey(input.virtualKey, false)) {
        case Qt::Key_Shift:
            m_shift = down;
            break;
        case Qt::Key_Control:
            m_control = down;
            break;
        case Qt::Key_Alt:
            m_alt = down;
            break;
        case Qt::Key_Meta:
            m_meta = down;
            break;
        default:
            break;
        }
        break;
    }
    case QEvent::MouseButtonPress:
        m_buttons |= input.button;
        break;
    case QEvent::MouseButtonRelease:
        m_buttons &= ~Qt::MouseButtons(input.button);
        break;
    default:
        break;
    }
}

Qt::KeyboardModifiers CInputState::modifiers() const
{
    Qt::KeyboardModifiers modifiers;
    modifiers.setFlag(Qt::ShiftModifier, m_shift);
    modifiers.setFlag(Qt::ControlModifier, m_control);
    modifiers.setFlag(Qt::AltModifier, m_alt);
    modifiers.setFlag(Qt::MetaModifier, m_meta);
    return modifiers;
}
