// The update dialog and the start-up check as the user meets them: real
// widgets, the stand-in update service, and a stand-in updater in a
// temporary program folder that notes how it was started.

#include "messagecatalogue.h"
#include "programversion.h"
#include "propmanager.h"
#include "soapclient.h"
#include "startupupdatecheck.h"
#include "testhome.h"
#include "updatedialog.h"
#include "updateserver.h"
#include "usagelog.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <deque>

namespace {

template <class Predicate>
bool waitFor(Predicate done, int timeoutMs = 30000)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return true;
}

void closeUpdateDialogs()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<CUpdateDialog*>(widget); dialog && dialog->isVisible())
            dialog->done(QDialog::Rejected);
    }
}

} // namespace

class UpdateWindows : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // The stand-in updater: notes its argument and folder.
        QFile updater(m_folder.filePath("updater"));
        ASSERT_TRUE(updater.open(QIODevice::WriteOnly));
        updater.write("#!/bin/sh\nprintf '%s|%s' \"$*\" \"$(pwd)\" > handed-over\n");
        updater.close();
        updater.setPermissions(updater.permissions() | QFile::ExeOwner);

        CUsageLog(m_settings).record("e-mail", "true, 1");
        m_catalogue.setMessageBox([this](const QString&, const QString& text, unsigned) {
            const QString key = keyOf(text);
            m_shown.push_back(key);
            const auto answer = m_answers.find(key);
            return answer == m_answers.end() ? MsgButton::Ok : answer->second;
        });
        m_server.addFile("patch2.exe", m_patch);
    }

    QString keyOf(const QString& text)
    {
        for (const char* key : {"UpdateNone", "UpdateThere", "UpdateNoSave", "UpdateComProb", "UpdateNoFile",
                                "NewVersion", "UpdateCheckAsk"}) {
            if (m_catalogue.text(key) == text)
                return key;
        }
        return text;
    }

    CUpdateEnvironment environment()
    {
        return {&m_settings, m_home.path() + "/Settings.DAT", &m_catalogue, &m_client, m_folder.path(),
                [this] { return m_unsaved; }, [this] { ++m_closeRequests; }, nullptr};
    }

    void offerUpdate(const QString& downloadMode = QStringLiteral("plain"), const char* message = "Build two")
    {
        m_server.answer({{"shBuild", programVersion().build + 1},
                         {"strPatchURL", m_server.downloadUrl(downloadMode, "patch2.exe")},
                         {"strLocalName", "collage"}, {"strUpdateMsg", message}});
    }

    void checkNow(CUpdateDialog& dialog)
    {
        dialog.actionButton()->click();
        ASSERT_TRUE(waitFor([&] { return dialog.state() != CUpdateDialog::State::Checking; }));
    }

    QByteArray handedOver() const
    {
        QFile file(m_folder.filePath("handed-over"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    TestHome m_home;
    UpdateServer m_server;
    QTemporaryDir m_folder;
    CPropManager m_settings;
    CMessageCatalogue m_catalogue;
    CSoapClient m_client{QUrl(m_server.url())};
    std::map<QString, int> m_answers;
    std::vector<QString> m_shown;
    bool m_unsaved = false;
    int m_closeRequests = 0;
    const QByteArray m_patch = QByteArray(200 * 1024, 'u');
};

TEST_F(UpdateWindows, CheckNowWithoutAnUpdateSaysSoAndKeepsCheckNow)
{
    CUpdateDialog dialog(environment());
    dialog.show();
    EXPECT_EQ(dialog.message(), CUpdateDialog::kIdleText);
    EXPECT_EQ(dialog.actionButton()->text(), "Check Now");

    dialog.actionButton()->click();
    EXPECT_EQ(dialog.message(), CUpdateDialog::kCheckingText);
    ASSERT_TRUE(waitFor([&] { return dialog.state() == CUpdateDialog::State::NoUpdate; }));

    EXPECT_EQ(dialog.message(), m_catalogue.text("UpdateNone"));
    EXPECT_EQ(dialog.actionButton()->text(), "Check Now");
    EXPECT_TRUE(CUsageLog(m_settings).text().isEmpty()) << "the log went out with the check";
    EXPECT_EQ(m_settings.getValue("PrevUpdate").value_or(CPropValue()).toInt(), 0)
        << "the manual check never moves PrevUpdate";
}

TEST_F(UpdateWindows, CheckNowWithAnUpdateShowsTheServicesWordsAndOffersUpdateNow)
{
    offerUpdate();
    CUpdateDialog dialog(environment());
    dialog.show();

    checkNow(dialog);

    EXPECT_EQ(dialog.state(), CUpdateDialog::State::UpdateAvailable);
    EXPECT_EQ(dialog.message(), "Build two");
    EXPECT_EQ(dialog.actionButton()->text(), "Update Now");
}

TEST_F(UpdateWindows, ACheckThatCannotReachTheServiceSaysSoAndKeepsTheLog)
{
    m_server.answer({{"mode", "garbage"}});
    CUpdateDialog dialog(environment());
    dialog.show();

    checkNow(dialog);

    EXPECT_EQ(dialog.message(), m_catalogue.text("UpdateComProb"));
    EXPECT_EQ(dialog.actionButton()->text(), "Check Now");
    EXPECT_FALSE(CUsageLog(m_settings).text().isEmpty());
}

TEST_F(UpdateWindows, UpdateNowDownloadsThePatchSavesTheSettingsStartsTheUpdaterAndClosesTheEditor)
{
    offerUpdate();
    CUpdateDialog dialog(environment());
    dialog.show();
    checkNow(dialog);

    dialog.actionButton()->click();
    EXPECT_EQ(dialog.actionButton()->text(), "Stop Update");
    ASSERT_TRUE(waitFor([&] { return dialog.state() == CUpdateDialog::State::Done; }));
    ASSERT_TRUE(waitFor([&] { return !handedOver().isEmpty() && m_closeRequests == 1; }));

    QFile download(m_folder.filePath("Temp.DAT"));
    ASSERT_TRUE(download.open(QIODevice::ReadOnly));
    EXPECT_EQ(download.readAll(), m_patch);
    EXPECT_EQ(handedOver(), "Temp.DAT;patch2.exe;collage;|" + m_folder.path().toUtf8());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.progressBar()->maximum(), m_patch.size() / 1024);
    EXPECT_EQ(dialog.message(), "Process is 100% complete...");
    EXPECT_TRUE(QFile::exists(m_home.path() + "/Settings.DAT"));
    EXPECT_TRUE(m_shown.empty());
}

TEST_F(UpdateWindows, UnsavedChangesAreAskedAboutAndOnlyYesGoesOn)
{
    offerUpdate();
    m_unsaved = true;
    CUpdateDialog dialog(environment());
    dialog.show();
    checkNow(dialog);

    for (int answer : {MsgButton::No, MsgButton::Cancel}) {
        m_answers["UpdateNoSave"] = answer;
        dialog.actionButton()->click();
        EXPECT_EQ(dialog.state(), CUpdateDialog::State::UpdateAvailable);
    }
    EXPECT_EQ(m_shown, (std::vector<QString>{"UpdateNoSave", "UpdateNoSave"}));
    EXPECT_FALSE(QFile::exists(m_folder.filePath("Temp.DAT")));

    m_answers["UpdateNoSave"] = MsgButton::Yes;
    dialog.actionButton()->click();
    ASSERT_TRUE(waitFor([&] { return dialog.state() == CUpdateDialog::State::Done; }));
}

TEST_F(UpdateWindows, StopUpdateEndsTheDownloadWithoutAMessage)
{
    m_server.addFile("patch2.exe", QByteArray(4 * 1024 * 1024, 's')); // 100 s at the slow pace
    offerUpdate("slow");
    CUpdateDialog dialog(environment());
    dialog.show();
    checkNow(dialog);
    dialog.actionButton()->click();
    ASSERT_TRUE(waitFor([&] { return dialog.progressBar()->value() > 0; }));
    EXPECT_TRUE(dialog.message().startsWith("Process is "));

    dialog.actionButton()->click();
    ASSERT_TRUE(waitFor([&] { return dialog.state() == CUpdateDialog::State::UpdateAvailable; }, 10000));

    EXPECT_EQ(dialog.actionButton()->text(), "Update Now");
    EXPECT_TRUE(m_shown.empty());
    EXPECT_FALSE(QFile::exists(m_folder.filePath("Temp.DAT")));
    EXPECT_TRUE(handedOver().isEmpty());
}

TEST_F(UpdateWindows, AFailedDownloadSaysUpdateComProbAndOffersUpdateNowAgain)
{
    offerUpdate("short");
    CUpdateDialog dialog(environment());
    dialog.show();
    checkNow(dialog);

    dialog.actionButton()->click();
    ASSERT_TRUE(waitFor([&] { return dialog.state() == CUpdateDialog::State::UpdateAvailable; }));

    EXPECT_EQ(m_shown, std::vector<QString>{"UpdateComProb"});
    EXPECT_EQ(dialog.actionButton()->text(), "Update Now");
    EXPECT_FALSE(QFile::exists(m_folder.filePath("Temp.DAT")));
    EXPECT_EQ(m_closeRequests, 0);
}

TEST_F(UpdateWindows, AKnownUpdateAsksNewVersionAndYesDownloadsAtOnce)
{
    UpdateInfo known{m_server.downloadUrl("plain", "patch2.exe"), "collage", "", "", true};
    m_answers["NewVersion"] = MsgButton::Yes;
    CUpdateDialog dialog(environment(), &known);
    EXPECT_EQ(dialog.actionButton()->text(), "Update Now");
    EXPECT_EQ(dialog.message(), m_catalogue.text("UpdateThere"));

    dialog.show();
    ASSERT_TRUE(waitFor([&] { return dialog.state() == CUpdateDialog::State::Done; }));
    EXPECT_EQ(m_shown, std::vector<QString>{"NewVersion"});
}

TEST_F(UpdateWindows, AMissingUpdaterIsReportedWhenTheDialogOpens)
{
    QFile::remove(m_folder.filePath("updater"));
    CUpdateDialog dialog(environment());
    dialog.show();
    ASSERT_TRUE(waitFor([&] { return !m_shown.empty(); }, 5000));
    EXPECT_EQ(m_shown, std::vector<QString>{"UpdateNoFile"});
}

// --- The start-up check

TEST_F(UpdateWindows, AStartTenDaysAfterTheLastCheckDoesNothing)
{
    m_settings.setValue("PrevUpdate", CPropValue::i32(100));
    EXPECT_FALSE(runStartupUpdateCheck(environment(), 5, QDate(2024, 1, 1).addDays(109), false));
    EXPECT_TRUE(m_shown.empty());
    EXPECT_TRUE(m_server.requests().isEmpty());
    EXPECT_EQ(m_settings.getValue("PrevUpdate")->toInt(), 100);
}

TEST_F(UpdateWindows, OffLineTwentyDaysAfterItAsksAndNoMovesPrevUpdateTwelveDaysBack)
{
    m_settings.setValue("PrevUpdate", CPropValue::i32(90));
    m_answers["UpdateCheckAsk"] = MsgButton::No;
    const QDate today = QDate(2024, 1, 1).addDays(109); // day 110

    EXPECT_FALSE(runStartupUpdateCheck(environment(), 5, today, false));

    EXPECT_EQ(m_shown, std::vector<QString>{"UpdateCheckAsk"});
    EXPECT_TRUE(m_server.requests().isEmpty());
    EXPECT_EQ(m_settings.getValue("PrevUpdate")->toInt(), 98);
    CPropManager saved;
    ASSERT_EQ(saved.load(m_home.path() + "/Settings.DAT"), CPropManager::LoadResult::Loaded);
    EXPECT_EQ(saved.getValue("PrevUpdate")->toInt(), 98) << "the settings are saved";
}

TEST_F(UpdateWindows, OnLineTheCheckRunsWithoutAskingAndAnUpdateOpensTheDialog)
{
    offerUpdate();
    m_answers["NewVersion"] = MsgButton::No;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, &closeUpdateDialogs);
    closer.start(200);

    EXPECT_FALSE(runStartupUpdateCheck(environment(), 1, QDate(2024, 3, 1), true));

    EXPECT_EQ(m_shown, std::vector<QString>{"NewVersion"});
    EXPECT_EQ(m_server.requests().size(), 1);
    EXPECT_EQ(m_settings.getValue("PrevUpdate")->toInt(), QDate(2024, 3, 1).dayOfYear());
    EXPECT_TRUE(CUsageLog(m_settings).text().isEmpty());
}

TEST_F(UpdateWindows, AnAutomaticCheckThatCannotReachTheServiceStillStoresToday)
{
    m_server.answer({{"mode", "fault"}});
    m_answers["UpdateCheckAsk"] = MsgButton::Yes;

    EXPECT_FALSE(runStartupUpdateCheck(environment(), 7, QDate(2024, 6, 1), false));

    EXPECT_EQ(m_shown, std::vector<QString>{"UpdateCheckAsk"}) << "a failed automatic check is silent";
    EXPECT_EQ(m_settings.getValue("PrevUpdate")->toInt(), QDate(2024, 6, 1).dayOfYear());
}
