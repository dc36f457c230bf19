#pragma once
// The running program's version: major.minor as released, and the build
// number the update service compares with its newest build.

#include <QtGlobal>

struct ProgramVersion
{
    int major = 0;
    int minor = 0;
    qint16 build = 0;
};

ProgramVersion programVersion();
