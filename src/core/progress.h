#pragma once
// The process-wide progress indicator behind the "please wait" window: a
// status line, a bar with range and position, and a cancel flag. Long
// operations (loading, saving, image reload, layout, sending, publishing)
// drive it and call step() between units of work so the window stays
// responsive and its Cancel button can be pressed. One instance lives in
// CServices; the progress window observes it through the signals.
//
// User-interface thread only.

#include <QObject>
#include <QString>

class CProgress : public QObject
{
    Q_OBJECT

public:
    static constexpr int kDefaultMinimum = 0;
    static constexpr int kDefaultMaximum = 100;

    explicit CProgress(QObject* parent = nullptr);

    // Back to the idle state: empty text, default range, position at the
    // minimum, cancel flag clear. Does not end an active run.
    void reset();

    // Starts a run: clears the cancel flag and makes the window appear.
    void begin();
    // Ends the run: the window disappears. The cancel flag stays readable
    // so the caller can tell a cancelled run from a failed one.
    void end();
    bool isActive() const { return m_active; }

    void setText(const QString& text);
    const QString& text() const { return m_text; }

    // A range whose maximum lies below its minimum is taken as empty
    // (maximum = minimum). The position is clamped into the new range.
    void setRange(int minimum, int maximum);
    int minimum() const { return m_minimum; }
    int maximum() const { return m_maximum; }

    // Clamped into [minimum, maximum].
    void setPosition(int position);
    int position() const { return m_position; }

    // Advances the position by `by` (clamped; 0 only lets input through),
    // then processes pending events so that repaints and a click on Cancel
    // get through. Returns false once the run has been cancelled.
    bool step(int by = 1);

    void cancel();
    bool isCancelled() const { return m_cancelled; }

signals:
    void activeChanged(bool active);
    void textChanged(const QString& text);
    void rangeChanged(int minimum, int maximum);
    void positionChanged(int position);
    void cancelledChanged(bool cancelled);

private:
    void setCancelled(bool cancelled);

    QString m_text;
    int m_minimum = kDefaultMinimum;
    int m_maximum = kDefaultMaximum;
    int m_position = kDefaultMinimum;
    bool m_active = false;
    bool m_cancelled = false;
};
