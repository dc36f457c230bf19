#pragma once
// The hint window for first-time users: one catalogue text whose key starts
// with "Tip::", shown beside what it is about. Tips can be switched off one
// by one ("Don't show me this again") or all together ("HelpTipsOn"); some
// are shown once only (CInfoTipSettings). A tip fades in and out unless the
// plain look ("HelpTipsCompat") is chosen, stays at least a second and hides
// by itself after nine. A tip that answers what the user just did takes the
// place of the one shown (after its first second); the program's own hints
// wait their turn.
//
// The canvas asks for tips, its own and those the rest of the program
// broadcasts on the bus's "Tip" channel, which may be about a widget of any
// of the program's windows (the organizer, the start window, the share
// sheet). A tip belongs to the window it is about and follows that window's
// activation, enabling and minimizing: it stands only while its window is
// the active one, so that it is not left over other programs or beside a
// modal dialog, and it comes back when its window is active again. A tip
// whose window the user has left gives way to a tip about the window the
// user is in; closing a window takes its tips away. The tip window also
// answers the commands that switch tips on and off and choose their look.
// Owned by the canvas view. User-interface thread only.

#include "commandtarget.h"
#include "infotipsettings.h"

#include <QElapsedTimer>
#include <QFrame>
#include <QList>
#include <QPointer>
#include <QTimer>

class CMessageCatalogue;
class CPropManager;
class QLabel;
class QToolButton;

class CInfoTipWindow : public QFrame, public CCommandTarget
{
    Q_OBJECT

public:
    static constexpr int kShowMs = 9000;
    static constexpr int kMinShowMs = 1000;
    // Fading in (the first timer) and out (the second): the period of each
    // step and how much opacity it adds or takes away.
    static constexpr int kFadeInStepMs = 20;
    static constexpr int kFadeOutStepMs = 10;
    static constexpr qreal kFadeInStep = 0.1;
    static constexpr qreal kFadeOutStep = 0.1;

    CInfoTipWindow(CPropManager& settings, CMessageCatalogue& catalogue, QWidget* parent);
    ~CInfoTipWindow() override;

    enum class When { Now, InTurn };
    // Shows the tip near `globalPoint`, now or after those waiting, as a tip
    // about `window` (null: the window the tip window belongs to); false
    // when it is not taken at once: tips are off, the user switched this
    // one off, a show-once tip was seen, it is already shown or it waits.
    // A tip taken while its window is not the active one waits out of sight.
    bool showTip(const QString& key, const QPoint& globalPoint, When when = When::Now, QWidget* window = nullptr);
    // Fades the tip out, or hides it at once with the plain look; the next
    // waiting tip follows.
    void hideTip();
    // Hides the tip on screen and forgets those waiting: the project they
    // were about has gone.
    void hideAll();
    // The key of the tip on screen, empty when none.
    const QString& shownKey() const { return m_key; }
    QToolButton* dismissButton() const { return m_dismiss; }
    bool isFading() const { return m_fadeIn.isActive() || m_fadeOut.isActive(); }
    // The window the tip on screen (or out of sight) is about.
    QWidget* tipWindow() const { return m_owner; }

    // CCommandTarget: Show Info-Tips, My Info-Tips Look Funny.
    bool onCommand(int id) override;
    std::optional<CCommandState> commandState(int id) const override;

private:
    struct Waiting
    {
        QString key;
        QPoint point;
        QPointer<QWidget> owner;
    };

    bool fades() const;
    QWidget* ownerFor(QWidget* window) const;
    void present(const Waiting& tip);
    void setOwner(QWidget* owner);
    // Whether the tip's window lets it stand: shown, enabled, not
    // minimized, and the active window (or, with none of the program's
    // windows active, not left for another program).
    bool ownerReceptive() const;
    // Shows or steps aside as the tip's window now is.
    void follow();
    void ownerClosed();
    bool eventFilter(QObject* watched, QEvent* event) override;
    void finishHiding();
    void stepFadeIn();
    void stepFadeOut();
    void neverAgain();
    void mousePressEvent(QMouseEvent* event) override;

    CInfoTipSettings m_tipSettings;
    CMessageCatalogue& m_catalogue;
    QLabel* m_text = nullptr;
    QToolButton* m_dismiss = nullptr;
    QTimer m_hideTimer;
    QTimer m_fadeIn;
    QTimer m_fadeOut;
    QElapsedTimer m_shownFor;
    QString m_key;
    QPointer<QWidget> m_owner;
    bool m_ownerLeft = false; // the tip's window lost the activation
    bool m_steppedAside = false;
    QList<Waiting> m_waiting;
};
