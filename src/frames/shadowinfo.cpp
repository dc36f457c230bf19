#include "shadowinfo.h"

OMBRAVELLE_IMPLEMENT_SERIAL(ShadowInfo, ShadowInfo::kSchema)

void ShadowInfo::serialize(CArchive& ar)
{
    if (ar.isStoring()) {
        ar.writeBool(enabled);
        for (float value : values)
            ar.writeF32(value);
    } else {
        enabled = ar.readBool();
        for (float& value : values)
            value = ar.readF32();
    }
}
