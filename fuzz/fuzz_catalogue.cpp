// The message catalogue's block format: any text parses, and every key it
// yields is lower case without surrounding blanks.
#include "fuzzsupport.h"
#include "messagecatalogue.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QHash<QString, QString> messages = CMessageCatalogue::parse(Fuzz::bytes(data, size));
    for (auto it = messages.cbegin(); it != messages.cend(); ++it)
        Fuzz::require(it.key() == it.key().toLower());
    return 0;
}
