// A service or a download server that accepts and then says nothing: the
// 20-second time limits as they stand end the wait.

#include "patchdownload.h"
#include "soapclient.h"
#include "updateserver.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(WebServiceSlow, ASilentServiceIsAServerErrorAfterTwentySeconds)
{
    UpdateServer server;
    server.answer({{"mode", "silence"}});
    CSoapClient client(QUrl(server.url()));
    AppVersion record;
    record.shBuild = 3;
    const AppVersion before = record;
    QElapsedTimer clock;
    clock.start();

    EXPECT_FALSE(client.isUpdate(record));

    EXPECT_EQ(client.lastError(), CSoapClient::Error::ServerError);
    EXPECT_GE(clock.elapsed(), 20000);
    EXPECT_LT(clock.elapsed(), 60000) << "one time-out, not several";
    EXPECT_EQ(record, before);
}

TEST(WebServiceSlow, ASilentDownloadFailsAfterTwentySecondsWithoutData)
{
    UpdateServer server;
    server.addFile("patch.exe", "patch");
    QTemporaryDir folder;
    CPatchDownload patch;
    QElapsedTimer clock;
    clock.start();

    EXPECT_EQ(patch.download(server.downloadUrl("silence", "patch.exe"), folder.filePath("Temp.DAT")),
              CPatchDownload::Result::Failed);

    EXPECT_GE(clock.elapsed(), 20000);
    EXPECT_LT(clock.elapsed(), 60000);
    EXPECT_FALSE(QFile::exists(folder.filePath("Temp.DAT")));
}
