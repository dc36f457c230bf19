#pragma once
// The print preview: the pages as the printer receives them, one or two at
// a time, each a sheet of paper with its printable area marked, drawn by
// the print job itself at the size the window shows it. A bar above the
// pages prints, pages through and closes; Page Up, Page Down and Escape do
// the same from the keyboard.
//
// The main window shows it in place of the canvas; whoever made it owns
// the job's renderer, which must outlive it.

#include "printjob.h"

#include <QHash>
#include <QImage>
#include <QWidget>

#include <optional>
#include <vector>

class QLabel;
class QToolBar;
class QAction;

class CPrintPreviewWidget : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kPageGapPixels = 16;
    static constexpr int kMinDpi = 12;
    static constexpr int kMaxDpi = 150;

    explicit CPrintPreviewWidget(QWidget* parent = nullptr);

    void setPages(const CPrintJob& job, const std::vector<CPrintPage>& pages);
    int pageCount() const { return int(m_pages.size()); }
    // The first page shown, counting from 0.
    int currentPage() const { return m_current; }
    void showPage(int index);
    bool showsTwoPages() const { return m_twoPages; }
    void setTwoPages(bool two);
    // "Page 2 of 5" or "Pages 2-3 of 5".
    QString pageText() const;

    // The picture of a page as the preview draws it at `dpi`; rendered once
    // per size.
    QImage pagePicture(int index, int dpi);
    // The resolution the pages are drawn at for the present size.
    int fittingDpi() const;

    QAction* printAction() const { return m_print; }
    QAction* closeAction() const { return m_close; }

signals:
    void printRequested();
    void closeRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    class Pages;
    void updateBar();

    std::optional<CPrintJob> m_job;
    std::vector<CPrintPage> m_pages;
    QHash<qint64, QImage> m_pictures; // page index and dpi
    int m_current = 0;
    bool m_twoPages = false;

    QToolBar* m_bar = nullptr;
    QAction* m_print = nullptr;
    QAction* m_previous = nullptr;
    QAction* m_next = nullptr;
    QAction* m_two = nullptr;
    QAction* m_close = nullptr;
    QLabel* m_pageLabel = nullptr;
    Pages* m_view = nullptr;
};
