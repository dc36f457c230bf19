#pragma once
// The "please wait" window: shows the progress service's status line and
// bar while a run is active and hides itself when it ends. Cancel (or
// closing the window) sets the service's cancel flag; the running operation
// notices it at its next step(). The window is application-modal while
// shown, so the input that step() lets through can only reach this window.

#include <QDialog>

class CProgress;
class QLabel;
class QProgressBar;
class QPushButton;

class CProgressWindow : public QDialog
{
    Q_OBJECT

public:
    explicit CProgressWindow(CProgress& progress, QWidget* parent = nullptr);

protected:
    void reject() override;

private:
    void showActive(bool active);
    void showRange(int minimum, int maximum);
    void showCancelled(bool cancelled);

    CProgress& m_progress;
    QLabel* m_status;
    QProgressBar* m_bar;
    QPushButton* m_cancel;
};
