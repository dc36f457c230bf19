#pragma once
// The updater's command line: everything after the program name, four
// ";"-separated fields as the editor builds them:
//   downloaded file ; patch file name ; local name [; patcher parameters]
// The fields are names of files in the program folder.

#include <string>
#include <vector>

struct UpdaterCommandLine
{
    std::string download;   // the downloaded file ("Temp.DAT")
    std::string patchName;  // the patch's file name as published
    std::string localName;  // the name the download is installed under
    std::string parameters; // for the patcher; may be empty
};

// Longest file name, and longest patcher command line (local name, a space
// and the parameters), in bytes. Longer input is refused, never cut.
inline constexpr std::size_t kMaxCommandChars = 259;

// The main program and its backup name while the update runs.
inline constexpr const char* kMainProgram = "collage";
inline constexpr const char* kBackupName = "$$AppTemp$$";

// Splits the command line as the editor joined it: the first ";" after the
// first character ends the download's name, the next ends the patch name,
// a third (optional) separates the local name from the parameters. False
// when a ";" is missing, a name is not a plain file name of the program
// folder (empty where one is needed, "." or "..", holding a "/"), a name or
// the patcher command line is longer than kMaxCommandChars, or the names
// would overwrite the main program or its backup.
bool parseUpdaterCommandLine(const std::string& line, UpdaterCommandLine& out);

// The patcher's arguments: the parameters split at blanks, where double
// quotes group blanks into one argument and \" stands for a quote.
std::vector<std::string> splitPatcherParameters(const std::string& parameters);
