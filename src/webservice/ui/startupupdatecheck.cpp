#include "startupupdatecheck.h"

#include "messagecatalogue.h"
#include "propmanager.h"
#include "startupupdaterule.h"
#include "updatedialog.h"
#include "updatewaitwindow.h"
#include "usagelog.h"

#include <QNetworkInformation>

namespace {

constexpr const char* kPrevUpdateSetting = "PrevUpdate";

} // namespace

bool isOnLine()
{
    if (!QNetworkInformation::instance()
        && !QNetworkInformation::loadBackendByFeatures(QNetworkInformation::Feature::Reachability))
        return false;
    return QNetworkInformation::instance()->reachability() == QNetworkInformation::Reachability::Online;
}

bool runStartupUpdateCheck(const CUpdateEnvironment& environment, int timesRun, const QDate& today, bool online)
{
    CPropManager& settings = *environment.settings;
    const QString prevName = QString::fromLatin1(kPrevUpdateSetting);
    StartupUpdateRule rule;
    rule.timesRun = timesRun;
    rule.today = today.dayOfYear();
    rule.prevUpdate = settings.getValue(prevName).value_or(CPropValue()).toInt();
    rule.online = online;

    WorkerCheck check;
    const int prevUpdate = rule.apply(
        [&] {
            return environment.catalogue->show(QStringLiteral("UpdateCheckAsk"), MsgStyle::QuestionYesNo)
                == MsgButton::Yes;
        },
        [&] {
            CUsageLog log(settings);
            check = runWorkerCheck(*environment.client, log, environment.parent);
            return check.ran;
        });
    if (prevUpdate != rule.prevUpdate)
        settings.setValue(prevName, CPropValue::i32(prevUpdate));
    settings.save(environment.settingsFile);

    if (!check.outcome.info.available)
        return false;
    CUpdateDialog dialog(environment, &check.outcome.info);
    dialog.exec();
    return dialog.state() == CUpdateDialog::State::Done;
}
