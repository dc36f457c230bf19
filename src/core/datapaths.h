#pragma once
// Where the program keeps its per-user files, and where it finds its own.
// Every per-user path follows XDG_DATA_HOME and XDG_CONFIG_HOME, so tests and
// scripts can run against a temporary home.

#include <QString>

namespace DataPaths {

QString dataFolder();          // <data>/Tessary
QString photoDatabaseFolder(); // <data>/Tessary/ImageDatabase
QString configFolder();        // <config>/Tessary
QString settingsFile();        // <config>/Tessary/Settings.DAT
// The user's documents folder, where projects are suggested to go. A fresh
// account may have none yet: it is made then. The home folder when it
// cannot be made.
QString documentsFolder();
// The folder itself when it exists, else its nearest parent that does (a
// remembered folder may have gone, a fresh account may lack its pictures
// folder); the home folder when none does.
QString nearestExistingFolder(const QString& folder);

// The program's own read-only files (the sample projects): <prefix>/share/
// ombravelle for a program in <prefix>/bin. The build tree has the same
// shape, so a built and an installed program both find theirs, wherever
// the prefix is. The folder of the running program unless one is given.
QString programDataFolder();
QString programDataFolder(const QString& programFolder);
QString sampleFolder(); // <program data>/Samples

inline constexpr const char* kCollectionFile = "Collection.DAT";
inline constexpr const char* kMomentsFile = "Moments.DAT";
inline constexpr const char* kThumbsFile = "Thumbs.DAT";
inline constexpr const char* kSettingsFileName = "Settings.DAT";

} // namespace DataPaths
