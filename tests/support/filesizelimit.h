#pragma once
// A full disk for the life of the object: every write that would take a
// regular file past `bytes` fails (the kernel's file-size limit,
// RLIMIT_FSIZE, with SIGXFSZ ignored so the write returns EFBIG instead of
// killing the process). A write that crosses the limit is cut short at it,
// as on a disk that fills up mid-write. Pipes and terminals are not
// limited, so the test's own output still flows. Needs no privileges.
#include <csignal>
#include <sys/resource.h>

class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_previous);
        m_previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{bytes, m_previous.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_previous);
        std::signal(SIGXFSZ, m_previousHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_previous{};
    void (*m_previousHandler)(int) = nullptr;
};
