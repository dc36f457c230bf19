#include "updaterlog.h"

UpdaterLog::UpdaterLog()
    : m_file(std::fopen(kFileName, "wb"))
{
}

UpdaterLog::~UpdaterLog()
{
    if (m_file != nullptr)
        std::fclose(m_file);
}

void UpdaterLog::write(const std::string& text)
{
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
    if (m_file != nullptr) {
        std::fwrite(text.data(), 1, text.size(), m_file);
        std::fflush(m_file);
    }
}
