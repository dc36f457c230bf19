#include "updatewaitwindow.h"

#include "programversion.h"
#include "swupdatethread.h"
#include "usagelog.h"

#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

CUpdateWaitWindow::CUpdateWaitWindow(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setWindowTitle(tr("Tessary Ombravelle"));
    setModal(true);
    auto* busy = new QProgressBar(this);
    busy->setRange(0, 0);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QString::fromLatin1(kText), this));
    layout->addWidget(busy);
}

void CUpdateWaitWindow::reject()
{
    // Escape does not leave the worker behind.
}

WorkerCheck runWorkerCheck(CSoapClient& client, CUsageLog& log, QWidget* parent)
{
    CUpdateWaitWindow window(parent);
    CSwUpdateThread worker(client, programVersion().build, log.bytes(), &window);
    worker.start();
    window.exec();
    worker.wait();
    WorkerCheck check{worker.ran(), worker.outcome()};
    if (check.outcome.reached)
        log.forgetDelivered(check.outcome.deliveredLog);
    return check;
}
