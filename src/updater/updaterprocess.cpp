#include "updaterprocess.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

constexpr int kPollMs = 50;

bool sameFile(const char* path, const struct stat& target)
{
    struct stat info;
    return stat(path, &info) == 0 && info.st_dev == target.st_dev && info.st_ino == target.st_ino;
}

bool isProcessId(const char* name)
{
    if (*name == '\0')
        return false;
    for (const char* c = name; *c != '\0'; ++c) {
        if (*c < '0' || *c > '9')
            return false;
    }
    return true;
}

bool processUses(const std::string& pid, const struct stat& target)
{
    const std::string base = "/proc/" + pid;
    if (sameFile((base + "/exe").c_str(), target))
        return true;
    DIR* fds = opendir((base + "/fd").c_str());
    if (fds == nullptr)
        return false; // another user's process, or gone
    bool found = false;
    while (dirent* entry = readdir(fds)) {
        if (isProcessId(entry->d_name) && sameFile((base + "/fd/" + entry->d_name).c_str(), target)) {
            found = true;
            break;
        }
    }
    closedir(fds);
    return found;
}

} // namespace

bool isFileInUse(const std::string& path)
{
    struct stat target;
    if (stat(path.c_str(), &target) != 0)
        return false;
    DIR* proc = opendir("/proc");
    if (proc == nullptr)
        return false;
    const std::string self = std::to_string(getpid());
    bool inUse = false;
    while (dirent* entry = readdir(proc)) {
        if (isProcessId(entry->d_name) && self != entry->d_name && processUses(entry->d_name, target)) {
            inUse = true;
            break;
        }
    }
    closedir(proc);
    return inUse;
}

bool renameWithoutReplacing(const std::string& from, const std::string& to)
{
    if (fileExists(to))
        return false;
    return std::rename(from.c_str(), to.c_str()) == 0;
}

bool fileExists(const std::string& path)
{
    struct stat info;
    return lstat(path.c_str(), &info) == 0;
}

bool isRunnableFile(const std::string& path)
{
    struct stat info;
    return lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), X_OK) == 0;
}

pid_t startProcess(const std::string& program, const std::vector<std::string>& arguments)
{
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    pid_t pid = -1;
    const int result = posix_spawn(&pid, program.c_str(), nullptr, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    return result == 0 ? pid : -1;
}

bool waitForProcess(pid_t pid, int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int status = 0;
        const pid_t ended = waitpid(pid, &status, WNOHANG);
        if (ended == pid || (ended < 0 && errno != EINTR))
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        sleepMs(kPollMs);
    }
}

void terminateProcessGroup(pid_t pid)
{
    kill(-pid, SIGKILL);
    kill(pid, SIGKILL);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
}

void sleepMs(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}
