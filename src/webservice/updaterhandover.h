#pragma once
// Handing over to the updater once the patch is downloaded: the updater's
// command line and its start in the program folder. The updater takes one
// argument of four ";"-separated fields: the downloaded file, the patch's
// file name, the name to install it under and the patcher's parameters.

#include "updatecheck.h"

#include <QString>

namespace UpdaterHandOver {

inline constexpr const char* kDownloadFile = "Temp.DAT";
inline constexpr const char* kUpdaterProgram = "updater";
// The updater refuses a patcher command line (local name, a space and the
// parameters) or a file name longer than this, in UTF-8 bytes.
inline constexpr int kMaxCommandChars = 259;

// The part of the patch URL after its last "/" or "\".
QString patchFileName(const QString& patchUrl);

// "Temp.DAT;<patch file name>;<local name>;<parameters>".
QString arguments(const UpdateInfo& update);

// Whether the updater will take the update: a local name that is a plain
// file name, and names and command line within the updater's limits.
bool isAcceptable(const UpdateInfo& update);

QString updaterPath(const QString& programFolder);
QString downloadPath(const QString& programFolder);

// Starts the updater in `programFolder` without waiting for it.
bool start(const QString& programFolder, const UpdateInfo& update);

} // namespace UpdaterHandOver
