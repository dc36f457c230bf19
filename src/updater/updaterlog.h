#pragma once
// The updater's progress lines: on standard error and, when the program
// folder is writable, in "updater.log" beside the program (replaced at each
// run), since nobody watches the updater's standard error.

#include <cstdio>
#include <string>

class UpdaterLog
{
public:
    static constexpr const char* kFileName = "updater.log";

    UpdaterLog();
    ~UpdaterLog();
    UpdaterLog(const UpdaterLog&) = delete;
    UpdaterLog& operator=(const UpdaterLog&) = delete;

    // Writes `text` exactly as given (the lines carry their own CR LF).
    void write(const std::string& text);

private:
    std::FILE* m_file = nullptr;
};
