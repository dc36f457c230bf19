#include "borderinfo.h"

OMBRAVELLE_IMPLEMENT_SERIAL(BorderInfo, BorderInfo::kSchema)

void BorderInfo::serialize(CArchive& ar)
{
    if (ar.isStoring()) {
        ar.writeBool(enabled);
        ar.writeF32(width);
        ar.writeU32(colour);
    } else {
        enabled = ar.readBool();
        width = ar.readF32();
        colour = ar.readU32();
    }
}
