// The updater replaces the editor with a newer build once the editor has
// closed. The editor starts it in the program folder with one argument,
// "<download>;<patch file name>;<local name>;<patcher parameters>", and
// closes. The updater waits until the editor has gone, moves it aside,
// installs the download under the local name, runs it when it is a patcher,
// puts the old editor back when something fails, and starts the editor
// again. Exit code 0, or -1 (255) on failure.
#include "updatercommandline.h"
#include "updaterlog.h"
#include "updaterprocess.h"

#include <cstdio>
#include <string>
#include <sys/stat.h>

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = -1;

// Moving the main program aside: a first wait, then up to ten attempts.
constexpr int kFirstWaitMs = 250;
constexpr int kMoveAsideAttempts = 10;
constexpr int kMoveAsideRetryMs = 250;
// Installing the download.
constexpr int kInstallWaitMs = 1500;
constexpr int kInstallAttempts = 10;
constexpr int kInstallRetryMs = 500;
// The patcher gets a head start, then this long to finish.
constexpr int kPatcherStartWaitMs = 1500;
constexpr int kPatcherLimitMs = 20000;

const std::string kMainPath = std::string("./") + kMainProgram;

bool removeIfPresent(const std::string& name)
{
    return !fileExists(name) || std::remove(name.c_str()) == 0;
}

// The main program has closed when nothing runs or holds it; only then is
// it moved aside.
bool moveMainProgramAside()
{
    if (isFileInUse(kMainProgram))
        return false;
    return renameWithoutReplacing(kMainProgram, kBackupName);
}

// The old program comes back, over whatever a patcher may have left.
void restoreMainProgram()
{
    std::rename(kBackupName, kMainProgram);
}

// A download is installed with the old program's permissions, so the new
// program (or the patcher) can run as the old one did.
void giveMainProgramsMode(const std::string& name)
{
    struct stat backup;
    if (stat(kBackupName, &backup) == 0)
        chmod(name.c_str(), backup.st_mode & 07777);
}

int runPatcher(const UpdaterCommandLine& command, UpdaterLog& log)
{
    log.write("Starting patcher app\r\n");
    const std::string patcher = "./" + command.localName;
    if (!isRunnableFile(patcher)) {
        log.write("Patcher app is not a program - Not started\r\n");
        return kExitFailed;
    }
    const pid_t pid = startProcess(patcher, splitPatcherParameters(command.parameters));
    if (pid < 0) {
        log.write("Could not start patcher app\r\n");
        return kExitFailed;
    }
    log.write("Waiting for patcher app to shut down\r\n");
    sleepMs(kPatcherStartWaitMs);
    if (waitForProcess(pid, kPatcherLimitMs))
        return kExitOk;
    log.write("Had to terminate patcher app\r\n");
    terminateProcessGroup(pid);
    return kExitFailed;
}

void startMainProgram(UpdaterLog& log)
{
    log.write("Running app\r\n");
    if (startProcess(kMainPath, {}) < 0)
        log.write("Could not start app\r\n");
}

int runUpdate(const std::string& line, UpdaterLog& log)
{
    log.write("Params - " + line + "\r\n");
    UpdaterCommandLine command;
    if (!parseUpdaterCommandLine(line, command)) {
        log.write("Invalid command line params\r\n");
        startMainProgram(log);
        return kExitOk;
    }

    if (!removeIfPresent(kBackupName))
        return kExitFailed;
    // A leftover of an earlier patch is cleared away, but never the program
    // itself or the download that is about to be installed.
    if (command.patchName != kMainProgram && command.patchName != command.download
        && !removeIfPresent(command.patchName))
        return kExitFailed;

    log.write("Waiting for main app to shut down\r\n");
    sleepMs(kFirstWaitMs);
    bool movedAside = false;
    for (int attempt = 0; attempt < kMoveAsideAttempts && !movedAside; ++attempt) {
        movedAside = moveMainProgramAside();
        if (!movedAside) {
            log.write("Still waiting\r\n");
            sleepMs(kMoveAsideRetryMs);
        }
    }
    if (!movedAside)
        return kExitFailed;

    sleepMs(kInstallWaitMs);
    log.write("Renaming temp file\r\n");
    bool installed = false;
    for (int attempt = 0; attempt < kInstallAttempts && !installed; ++attempt) {
        installed = renameWithoutReplacing(command.download, command.localName);
        if (!installed) {
            log.write("Still waiting\r\n");
            sleepMs(kInstallRetryMs);
        }
    }
    if (!installed) {
        log.write("Could not rename temp file - Exiting\r\n");
        std::remove(command.download.c_str());
        restoreMainProgram();
        return kExitFailed;
    }
    giveMainProgramsMode(command.localName);

    int exitCode = kExitOk;
    if (command.localName == kMainProgram) {
        std::remove(kBackupName);
    } else {
        exitCode = runPatcher(command, log);
        // A patcher that left no main program has failed too: the old one
        // stays rather than leaving nothing to start.
        if (exitCode == kExitOk && !fileExists(kMainProgram)) {
            log.write("Patcher app left no main app\r\n");
            exitCode = kExitFailed;
        }
        if (exitCode == kExitFailed)
            restoreMainProgram();
        else
            std::remove(kBackupName);
    }

    startMainProgram(log);
    return exitCode;
}

} // namespace

int main(int argc, char** argv)
{
    // The command line as one text, as the editor wrote it: arguments a
    // shell split at blanks are joined again.
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1)
            line += ' ';
        line += argv[i];
    }
    UpdaterLog log;
    return runUpdate(line, log);
}
