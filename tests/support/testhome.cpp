#include "testhome.h"

#include <QDir>
#include <QStandardPaths>

#include <gtest/gtest.h>

TestHome::TestHome()
    : m_oldData(qgetenv("XDG_DATA_HOME"))
    , m_oldConfig(qgetenv("XDG_CONFIG_HOME"))
    , m_hadData(qEnvironmentVariableIsSet("XDG_DATA_HOME"))
    , m_hadConfig(qEnvironmentVariableIsSet("XDG_CONFIG_HOME"))
{
    EXPECT_TRUE(m_dir.isValid());
    QDir(m_dir.path()).mkpath("data");
    QDir(m_dir.path()).mkpath("config");
    qputenv("XDG_DATA_HOME", dataHome().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", configHome().toLocal8Bit());
}

TestHome::~TestHome()
{
    if (m_hadData)
        qputenv("XDG_DATA_HOME", m_oldData);
    else
        qunsetenv("XDG_DATA_HOME");
    if (m_hadConfig)
        qputenv("XDG_CONFIG_HOME", m_oldConfig);
    else
        qunsetenv("XDG_CONFIG_HOME");
}

QString TestHome::dataHome() const { return m_dir.path() + "/data"; }
QString TestHome::configHome() const { return m_dir.path() + "/config"; }
