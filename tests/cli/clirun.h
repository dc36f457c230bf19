#pragma once
// Runs collage-cli as a script would: a real process, its exit code and
// both output streams.

#include <QByteArray>
#include <QProcess>
#include <QStringList>

#include <gtest/gtest.h>

struct CliRun
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

inline CliRun runCli(const QStringList& args)
{
    QProcess process;
    process.start(COLLAGE_CLI_BINARY, args);
    EXPECT_TRUE(process.waitForFinished(120000));
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}
