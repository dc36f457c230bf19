// The updater's command line: whatever the split gives must be names the
// updater may touch, and the patcher's parameters must split.
#include "updatercommandline.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

// Plain C++ like the updater itself: no Qt here.
void require(bool condition)
{
    if (!condition)
        std::abort();
}

bool plainName(const std::string& name)
{
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos
        && name.size() <= kMaxCommandChars;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string line(reinterpret_cast<const char*>(data), size);
    UpdaterCommandLine parsed;
    if (!parseUpdaterCommandLine(line, parsed))
        return 0;
    // An empty patch name is allowed: it only names a leftover to clear away.
    require(plainName(parsed.download) && plainName(parsed.localName)
            && (parsed.patchName.empty() || plainName(parsed.patchName)));
    require(parsed.localName != kBackupName && parsed.download != kMainProgram);
    for (const std::string& argument : splitPatcherParameters(parsed.parameters))
        require(argument.size() <= parsed.parameters.size());
    return 0;
}
