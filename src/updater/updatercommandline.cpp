#include "updatercommandline.h"

namespace {

bool isPlainName(const std::string& name)
{
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos
        && name.find('\0') == std::string::npos;
}

} // namespace

bool parseUpdaterCommandLine(const std::string& line, UpdaterCommandLine& out)
{
    const std::size_t first = line.empty() ? std::string::npos : line.find(';', 1);
    if (first == std::string::npos)
        return false;
    const std::size_t second = line.find(';', first + 1);
    if (second == std::string::npos)
        return false;
    const std::size_t third = line.find(';', second + 1);

    UpdaterCommandLine fields;
    fields.download = line.substr(0, first);
    fields.patchName = line.substr(first + 1, second - first - 1);
    if (third == std::string::npos) {
        fields.localName = line.substr(second + 1);
    } else {
        fields.localName = line.substr(second + 1, third - second - 1);
        fields.parameters = line.substr(third + 1);
    }

    // The patch name may be empty (a URL ending in "/"): it only names a
    // leftover to clear away.
    const bool patchNameUsable = fields.patchName.empty() || isPlainName(fields.patchName);
    if (!isPlainName(fields.download) || !patchNameUsable || !isPlainName(fields.localName))
        return false;
    const std::size_t patcherLength =
        fields.localName.size() + (fields.parameters.empty() ? 0 : 1 + fields.parameters.size());
    if (fields.download.size() > kMaxCommandChars || fields.patchName.size() > kMaxCommandChars
        || patcherLength > kMaxCommandChars)
        return false;
    // The download must be neither the program it replaces nor its backup,
    // and nothing may be installed over the backup: either would lose the
    // old program.
    if (fields.download == kMainProgram || fields.download == kBackupName || fields.localName == kBackupName)
        return false;
    out = std::move(fields);
    return true;
}

std::vector<std::string> splitPatcherParameters(const std::string& parameters)
{
    std::vector<std::string> arguments;
    std::string current;
    bool inArgument = false;
    bool quoted = false;
    for (std::size_t i = 0; i < parameters.size(); ++i) {
        const char c = parameters[i];
        if (c == '\\' && i + 1 < parameters.size() && parameters[i + 1] == '"') {
            current += '"';
            inArgument = true;
            ++i;
        } else if (c == '"') {
            quoted = !quoted;
            inArgument = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (inArgument)
                arguments.push_back(current);
            current.clear();
            inArgument = false;
        } else {
            current += c;
            inArgument = true;
        }
    }
    if (inArgument)
        arguments.push_back(current);
    return arguments;
}
