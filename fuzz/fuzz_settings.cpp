// The settings image ("Settings.DAT"): whatever loads writes an image that
// loads again into the same image.
#include "fuzzsupport.h"
#include "propmanager.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    Fuzz::startQt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = Fuzz::writeScratch("Settings.DAT", Fuzz::bytes(data, size));
    CPropManager store;
    if (store.load(path) != CPropManager::LoadResult::Loaded)
        return 0;
    const QByteArray image = store.toImage();
    CPropManager again;
    Fuzz::require(again.load(Fuzz::writeScratch("Again.DAT", image)) == CPropManager::LoadResult::Loaded);
    Fuzz::require(again.toImage() == image);
    return 0;
}
