#include "printpreview.h"

#include <QAction>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

constexpr QRgb kBackground = 0xFF707070;
constexpr QRgb kShadow = 0x60000000;
constexpr QRgb kPrintableLine = 0xFFB0B0B0;
constexpr int kShadowOffset = 4;
constexpr int kBorderPixels = 24;

} // namespace

// The sheets themselves.
class CPrintPreviewWidget::Pages : public QWidget
{
public:
    explicit Pages(CPrintPreviewWidget& owner)
        : QWidget(&owner)
        , m_owner(owner)
    {
        setAutoFillBackground(false);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), QColor::fromRgba(kBackground));
        const int shown = m_owner.m_twoPages ? 2 : 1;
        const int dpi = m_owner.fittingDpi();
        std::vector<QImage> sheets;
        std::vector<QRect> printable;
        int totalWidth = 0;
        for (int i = m_owner.m_current; i < m_owner.pageCount() && i < m_owner.m_current + shown; ++i) {
            sheets.push_back(m_owner.pagePicture(i, dpi));
            const QPageLayout layout = m_owner.m_job->setup().pageLayout(m_owner.m_pages[std::size_t(i)].landscape);
            printable.push_back(layout.paintRectPixels(dpi));
            totalWidth += sheets.back().width() + (sheets.size() > 1 ? kPageGapPixels : 0);
        }
        int x = (width() - totalWidth) / 2;
        for (std::size_t i = 0; i < sheets.size(); ++i) {
            const QImage& sheet = sheets[i];
            const int y = (height() - sheet.height()) / 2;
            painter.fillRect(QRect(x + kShadowOffset, y + kShadowOffset, sheet.width(), sheet.height()),
                             QColor::fromRgba(kShadow));
            painter.drawImage(x, y, sheet);
            QPen line(QColor::fromRgba(kPrintableLine), 1, Qt::DotLine);
            painter.setPen(line);
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(printable[i].translated(x, y));
            x += sheet.width() + kPageGapPixels;
        }
    }

private:
    CPrintPreviewWidget& m_owner;
};

CPrintPreviewWidget::CPrintPreviewWidget(QWidget* parent)
    : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_bar = new QToolBar(tr("Print Preview"), this);
    m_print = m_bar->addAction(tr("&Print..."));
    m_bar->addSeparator();
    m_previous = m_bar->addAction(tr("Pre&v Page"));
    m_next = m_bar->addAction(tr("&Next Page"));
    m_two = m_bar->addAction(tr("&Two Page"));
    m_two->setCheckable(true);
    m_bar->addSeparator();
    m_close = m_bar->addAction(tr("&Close"));
    m_bar->addSeparator();
    m_pageLabel = new QLabel(m_bar);
    m_pageLabel->setContentsMargins(8, 0, 8, 0);
    m_bar->addWidget(m_pageLabel);
    layout->addWidget(m_bar);
    m_view = new Pages(*this);
    layout->addWidget(m_view, 1);

    connect(m_print, &QAction::triggered, this, &CPrintPreviewWidget::printRequested);
    connect(m_close, &QAction::triggered, this, &CPrintPreviewWidget::closeRequested);
    connect(m_previous, &QAction::triggered, this, [this] { showPage(m_current - (m_twoPages ? 2 : 1)); });
    connect(m_next, &QAction::triggered, this, [this] { showPage(m_current + (m_twoPages ? 2 : 1)); });
    connect(m_two, &QAction::toggled, this, &CPrintPreviewWidget::setTwoPages);
    updateBar();
}

void CPrintPreviewWidget::setPages(const CPrintJob& job, const std::vector<CPrintPage>& pages)
{
    m_job.emplace(job);
    m_pages = pages;
    m_pictures.clear();
    m_current = 0;
    updateBar();
    m_view->update();
}

void CPrintPreviewWidget::showPage(int index)
{
    m_current = std::clamp(index, 0, std::max(0, pageCount() - 1));
    updateBar();
    m_view->update();
}

void CPrintPreviewWidget::setTwoPages(bool two)
{
    m_twoPages = two;
    if (m_two->isChecked() != two)
        m_two->setChecked(two);
    updateBar();
    m_view->update();
}

QString CPrintPreviewWidget::pageText() const
{
    const int last = std::min(pageCount(), m_current + (m_twoPages ? 2 : 1));
    if (last - m_current > 1)
        return tr("Pages %1-%2 of %3").arg(m_current + 1).arg(last).arg(pageCount());
    return tr("Page %1 of %2").arg(m_current + 1).arg(pageCount());
}

void CPrintPreviewWidget::updateBar()
{
    const int step = m_twoPages ? 2 : 1;
    m_previous->setEnabled(m_current > 0);
    m_next->setEnabled(m_current + step < pageCount());
    m_two->setEnabled(pageCount() > 1);
    m_print->setEnabled(pageCount() > 0);
    m_pageLabel->setText(pageCount() > 0 ? pageText() : QString());
}

int CPrintPreviewWidget::fittingDpi() const
{
    if (!m_job || m_pages.empty())
        return kMinDpi;
    // The tallest sheet shown fits the height, the sheets side by side fit the width.
    const int shown = m_twoPages ? 2 : 1;
    qreal widthInches = 0.0;
    qreal heightInches = 0.0;
    for (int i = m_current; i < pageCount() && i < m_current + shown; ++i) {
        const QSizeF sheet = m_job->setup().pageLayout(m_pages[std::size_t(i)].landscape).fullRect(QPageLayout::Inch).size();
        widthInches += sheet.width();
        heightInches = std::max(heightInches, sheet.height());
    }
    const qreal byHeight = (m_view->height() - 2 * kBorderPixels) / heightInches;
    const qreal byWidth = (m_view->width() - 2 * kBorderPixels - (shown - 1) * kPageGapPixels) / widthInches;
    return std::clamp(int(std::floor(std::min(byHeight, byWidth))), kMinDpi, kMaxDpi);
}

QImage CPrintPreviewWidget::pagePicture(int index, int dpi)
{
    if (!m_job || index < 0 || index >= pageCount())
        return {};
    const qint64 key = (qint64(index) << 16) | dpi;
    const auto cached = m_pictures.constFind(key);
    if (cached != m_pictures.constEnd())
        return *cached;
    const QImage picture = m_job->renderPage(m_pages[std::size_t(index)], dpi);
    // Only the size in use is worth keeping.
    for (auto it = m_pictures.begin(); it != m_pictures.end();)
        it = (it.key() & 0xFFFF) != dpi ? m_pictures.erase(it) : std::next(it);
    m_pictures.insert(key, picture);
    return picture;
}

void CPrintPreviewWidget::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_PageDown: m_next->trigger(); break;
    case Qt::Key_PageUp: m_previous->trigger(); break;
    case Qt::Key_Escape: emit closeRequested(); break;
    default: QWidget::keyPressEvent(event); return;
    }
}
