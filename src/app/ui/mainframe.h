#pragma once
// The application's single top-level window. For now it carries the
// program's title, a File menu, a status bar and an empty central area that
// the canvas view will take over; the project named on the command line is
// shown in the title.

#include <QMainWindow>

class CMainFrame : public QMainWindow
{
    Q_OBJECT

public:
    static constexpr const char* kTitle = "Tessary Ombravelle";

    explicit CMainFrame(QWidget* parent = nullptr);

    // Shows the project's file name in the title; an empty path shows the
    // program's title alone.
    void setProjectPath(const QString& path);
    const QString& projectPath() const { return m_projectPath; }

    // Another start handed over to us: come out of minimized state and to
    // the front without changing a maximized or full-screen placement.
    void bringToFront();

private:
    static constexpr int kInitialScreenShare = 80; // percent of the screen's width and height

    void createMenus();
    void placeOnScreen();

    QString m_projectPath;
};
