// The photo collection ("Collection.DAT"): every photo it loads is found again by its path.
#include "photodatabase.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    Fuzz::startQt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::loadPhotoDatabase("Collection.DAT", Fuzz::bytes(data, size));
    return 0;
}
