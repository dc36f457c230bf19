#pragma once
// The updater's dealings with files and processes, in POSIX terms.

#include <string>
#include <sys/types.h>
#include <vector>

// True when a running process executes the file or holds it open: on this
// platform a running program can be renamed, so "the program has closed"
// has to be asked of the processes themselves. Reads /proc; without it,
// nothing counts as in use.
bool isFileInUse(const std::string& path);

// Renames only when nothing is at `to` already, so an install never
// silently replaces a file it was not meant to.
bool renameWithoutReplacing(const std::string& from, const std::string& to);

bool fileExists(const std::string& path);

// A regular file (not a link, folder or device) that this user may run.
bool isRunnableFile(const std::string& path);

// Starts `program` (a path) with `arguments` in a process group of its own
// and returns its id, or -1 when it could not be started.
pid_t startProcess(const std::string& program, const std::vector<std::string>& arguments);

// Waits up to `timeoutMs` for the process to end; true when it did.
bool waitForProcess(pid_t pid, int timeoutMs);

// Ends the process and everything it started in its group, and reaps it.
void terminateProcessGroup(pid_t pid);

void sleepMs(int ms);
