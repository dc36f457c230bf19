#pragma once
// A temporary home for one test: XDG data and config folders point into a
// fresh temporary directory for the test's lifetime, so every path the
// program derives from them is private to the test.

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

class TestHome
{
public:
    TestHome();
    ~TestHome();
    TestHome(const TestHome&) = delete;
    TestHome& operator=(const TestHome&) = delete;

    QString path() const { return m_dir.path(); }
    QString dataHome() const;   // XDG_DATA_HOME
    QString configHome() const; // XDG_CONFIG_HOME

private:
    QTemporaryDir m_dir;
    QByteArray m_oldData, m_oldConfig;
    bool m_hadData, m_hadConfig;
};
