// The thumbnail store: a record read back from a slot, and a whole
// "Thumbs.DAT" as another process or a damaged disk may have left it. A
// record that decodes is a picture that encodes and decodes again; a store
// file of any content opens or fails, and every slot it holds reads as a
// picture or as nothing.
#include "fuzzsupport.h"
#include "thumbstore.h"

#include <QFile>
#include <QImage>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    Fuzz::startQt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray input = Fuzz::bytes(data, size);
    if (!input.startsWith("SQLite format 3")) {
        const QImage image = CThumbStore::decodeRecord(input);
        if (!image.isNull())
            Fuzz::require(!CThumbStore::decodeRecord(CThumbStore::encodeRecord(image)).isNull());
        return 0;
    }
    const QString folder = Fuzz::scratchFolder() + "/store";
    QDir(folder).removeRecursively();
    Fuzz::writeScratch(QStringLiteral("Thumbs.DAT"), input, QStringLiteral("store"));
    CThumbStore store(folder);
    if (!store.ensureOpen())
        return 0;
    const quint32 next = store.nextSlot();
    for (quint32 slot = CThumbStore::kFirstSlot; slot < std::min<quint32>(next, CThumbStore::kFirstSlot + 8); ++slot) {
        if (store.hasThumb(slot))
            store.LoadThumb(slot);
    }
    return 0;
}
