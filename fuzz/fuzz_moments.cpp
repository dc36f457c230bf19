// The Photo Moments ("Moments.DAT"): every moment it loads is found again by its name.
#include "photodatabase.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    Fuzz::startQt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::loadPhotoDatabase("Moments.DAT", Fuzz::bytes(data, size));
    return 0;
}
