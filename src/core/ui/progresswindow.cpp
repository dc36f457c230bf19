#include "progresswindow.h"

#include "progress.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int kMinimumWidth = 360;
}

CProgressWindow::CProgressWindow(CProgress& progress, QWidget* parent)
    : QDialog(parent)
    , m_progress(progress)
    , m_status(new QLabel(this))
    , m_bar(new QProgressBar(this))
    , m_cancel(new QPushButton(tr("Cancel"), this))
{
    setWindowTitle(tr("Please wait"));
    setWindowModality(Qt::ApplicationModal);
    setMinimumWidth(kMinimumWidth);

    m_status->setTextFormat(Qt::PlainText);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_status);
    layout->addWidget(m_bar);
    layout->addWidget(m_cancel, 0, Qt::AlignRight);

    connect(m_cancel, &QPushButton::clicked, this, &CProgressWindow::reject);
    connect(&m_progress, &CProgress::activeChanged, this, &CProgressWindow::showActive);
    connect(&m_progress, &CProgress::textChanged, m_status, &QLabel::setText);
    connect(&m_progress, &CProgress::rangeChanged, this, &CProgressWindow::showRange);
    connect(&m_progress, &CProgress::positionChanged, m_bar, &QProgressBar::setValue);
    connect(&m_progress, &CProgress::cancelledChanged, this, &CProgressWindow::showCancelled);

    m_status->setText(m_progress.text());
    showRange(m_progress.minimum(), m_progress.maximum());
    showCancelled(m_progress.isCancelled());
    showActive(m_progress.isActive());
}

void CProgressWindow::reject()
{
    // The window stays up until the operation notices the flag and ends.
    m_progress.cancel();
}

void CProgressWindow::showActive(bool active)
{
    if (active) {
        show();
        raise();
    } else {
        hide();
    }
}

void CProgressWindow::showRange(int minimum, int maximum)
{
    m_bar->setRange(minimum, maximum);
    m_bar->setValue(m_progress.position());
}

void CProgressWindow::showCancelled(bool cancelled) { m_cancel->setEnabled(!cancelled); }
