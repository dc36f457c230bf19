#include "programversion.h"

ProgramVersion programVersion()
{
    return {OMBRAVELLE_VERSION_MAJOR, OMBRAVELLE_VERSION_MINOR, qint16(OMBRAVELLE_BUILD_NUMBER)};
}
