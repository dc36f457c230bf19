#pragma once
// The modal window that waits while a CSwUpdateThread asks the update
// service. The worker closes it with OK when an update is available,
// Cancel otherwise; the user cannot close it meanwhile (the exchange has
// its own time limits).

#include "updatecheck.h"

#include <QDialog>

class CSoapClient;
class CUsageLog;

class CUpdateWaitWindow : public QDialog
{
    Q_OBJECT

public:
    static constexpr const char* kText = "Checking for updates...";

    explicit CUpdateWaitWindow(QWidget* parent = nullptr);

protected:
    void reject() override;
};

struct WorkerCheck
{
    bool ran = false;
    UpdateCheckOutcome outcome;
};

// Runs one check on a worker thread behind the waiting window and takes
// the delivered usage log out of `log`.
WorkerCheck runWorkerCheck(CSoapClient& client, CUsageLog& log, QWidget* parent);
