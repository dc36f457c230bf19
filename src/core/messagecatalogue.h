#pragma once
// The keyed catalogue of every user-visible message: errors, questions,
// confirmations and info-tip texts. Code names a key; the wording lives in
// resources/messages.txt, compiled in as the resource ":/messages.txt".
//
// One catalogue exists per process, owned by the services object. It loads
// itself on the first request. Showing a message goes through an injectable
// message-box function, so the model never links QtWidgets: the windowed
// program installs the real box (ui/messagebox.h), tests install their own,
// and without one (collage-cli, headless runs) the text goes to standard
// error and the cautious answer is returned (see headlessAnswer).

#include <QByteArray>
#include <QHash>
#include <QMutex>
#include <QString>
#include <QStringList>

#include <functional>

// Message-box style bits as the program passes them: the low nibble picks
// the buttons, the next nibble the icon.
namespace MsgStyle {
inline constexpr unsigned ButtonMask = 0x0F;
inline constexpr unsigned IconMask = 0xF0;

inline constexpr unsigned ButtonsOk = 0x00;
inline constexpr unsigned ButtonsOkCancel = 0x01;
inline constexpr unsigned ButtonsYesNoCancel = 0x03;
inline constexpr unsigned ButtonsYesNo = 0x04;

inline constexpr unsigned IconNone = 0x00;
inline constexpr unsigned IconError = 0x10;
inline constexpr unsigned IconQuestion = 0x20;
inline constexpr unsigned IconWarning = 0x30;
inline constexpr unsigned IconInformation = 0x40;

// The combinations the program uses.
inline constexpr unsigned PlainOk = IconNone | ButtonsOk;                            // 0x00
inline constexpr unsigned ErrorOk = IconError | ButtonsOk;                           // 0x10
inline constexpr unsigned WarningOk = IconWarning | ButtonsOk;                       // 0x30
inline constexpr unsigned InfoOk = IconInformation | ButtonsOk;                      // 0x40
inline constexpr unsigned QuestionYesNoCancel = IconQuestion | ButtonsYesNoCancel;   // 0x23
inline constexpr unsigned QuestionYesNo = IconQuestion | ButtonsYesNo;               // 0x24
inline constexpr unsigned InfoYesNo = IconInformation | ButtonsYesNo;                // 0x44
inline constexpr unsigned InfoYesNoCancel = IconInformation | ButtonsYesNoCancel;    // 0x43
} // namespace MsgStyle

// The codes a message box returns for the button pressed.
namespace MsgButton {
inline constexpr int Ok = 1;
inline constexpr int Cancel = 2;
inline constexpr int Yes = 6;
inline constexpr int No = 7;
} // namespace MsgButton

class CMessageCatalogue
{
public:
    // Shows `text` under `caption` with the given style bits and returns the
    // code of the button pressed (MsgButton).
    using MessageBoxFn = std::function<int(const QString& caption, const QString& text, unsigned style)>;

    static constexpr const char* kResourcePath = ":/messages.txt";
    static constexpr const char* kApplicationTitle = "Tessary Ombravelle";

    // Loads from the compiled-in resource on first use.
    CMessageCatalogue();
    // Loads from `source` (catalogue text, UTF-8) on first use instead.
    explicit CMessageCatalogue(const QByteArray& source);
    CMessageCatalogue(const CMessageCatalogue&) = delete;
    CMessageCatalogue& operator=(const CMessageCatalogue&) = delete;

    // The message of `key`, looked up without regard to case. A key without
    // an entry yields an empty text and is entered with that empty text.
    // Safe to call from any thread.
    QString text(const QString& key);

    // Shows text(key) with the application's title as caption and returns
    // the button pressed. A missing key shows an empty box. User-interface
    // thread only when a real box is installed.
    int show(const QString& key, unsigned style);
    // Shows a text that is not in the catalogue (the few fixed texts of the
    // document framework, such as "Unexpected file format.") the same way.
    int showText(const QString& text, unsigned style);

    // Installs the function that shows boxes; an empty function goes back to
    // the headless behaviour.
    void setMessageBox(MessageBoxFn box);

    // The lower-cased keys of every entry (loading first).
    QStringList keys();

    // The catalogue text parsed into lower-cased key -> message. Blocks run
    // from a BEGIN marker to an END marker, both in braces and recognised
    // anywhere in the text; the key is the rest of the marker's line, the
    // message the following lines with outer white space trimmed. Line breaks
    // inside a message are "\n" whatever the source used.
    static QHash<QString, QString> parse(const QByteArray& source);

    // The answer `show` gives when no box is installed: nobody is there to
    // consent, so the one that changes nothing — Cancel when the style offers
    // it, else No when it offers Yes/No, else OK.
    static int headlessAnswer(unsigned style);

private:
    void loadLocked();

    QMutex m_mutex;
    QHash<QString, QString> m_messages;
    bool m_loaded = false;
    bool m_fromResource = true;
    QByteArray m_source; // the text to load when not from the resource
    MessageBoxFn m_box;
};
