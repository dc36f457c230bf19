#pragma once
// The hint window for first-time users: one catalogue text whose key starts
// with "Tip::", shown beside what it is about. Tips can be switched off one
// by one ("Don't show me this again") or all together ("HelpTipsOn"); a
// tip stays at least a second and hides by itself after nine. A tip that
// answers what the user just did takes the place of the one shown (after
// its first second); the program's own hints wait their turn.
//
// The canvas asks for tips directly (a drag on a locked canvas, a split
// drag); the rest of the program broadcasts them on the bus's "Tip"
// channel with the key as the event. Owned by the main window.
// User-interface thread only.

#include "notificationbus.h"

#include <QElapsedTimer>
#include <QFrame>
#include <QList>
#include <QPointer>
#include <QTimer>

class CMessageCatalogue;
class CPropManager;
class QLabel;
class QToolButton;

class CInfoTipWindow : public QFrame, private CNotifyListener
{
    Q_OBJECT

public:
    static constexpr int kShowMs = 9000;
    static constexpr int kMinShowMs = 1000;
    static constexpr const char* kTipsOnSetting = "HelpTipsOn";
    static constexpr const char* kMaxWidthSetting = "MaxTipWidth";
    static constexpr int kDefaultMaxWidth = 300;

    // Broadcast tips point at the middle of `anchor`.
    CInfoTipWindow(CPropManager& settings, CMessageCatalogue& catalogue, QWidget* anchor);
    ~CInfoTipWindow() override;

    void listenTo(CNotificationBus& bus);

    enum class When { Now, InTurn };
    // Shows the tip near `globalPoint`, now or after those waiting; false
    // when it is not shown at once: tips are off, the user switched this one
    // off, it is already shown or it waits.
    bool showTip(const QString& key, const QPoint& globalPoint, When when = When::Now);
    void hideTip();
    // The key of the tip on screen, empty when none.
    const QString& shownKey() const { return m_key; }
    QToolButton* dismissButton() const { return m_dismiss; }

private:
    bool OnNotify(const CNotifyMessage& message) override;
    bool wanted(const QString& key);
    void present(const QString& key, const QPoint& globalPoint);
    void neverAgain();
    void mousePressEvent(QMouseEvent* event) override;

    CPropManager& m_settings;
    CMessageCatalogue& m_catalogue;
    QPointer<QWidget> m_anchor;
    CNotificationBus* m_bus = nullptr;
    QLabel* m_text = nullptr;
    QToolButton* m_dismiss = nullptr;
    QTimer m_hideTimer;
    QElapsedTimer m_shownFor;
    QString m_key;
    struct Waiting
    {
        QString key;
        QPoint point;
    };
    QList<Waiting> m_waiting;
};
