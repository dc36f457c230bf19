// What the share sheet imports from the user's files: vCard address books
// and Thunderbird's preferences. Every person read has an address, the
// recipient list keeps each address once, and every account read has a
// server.
#include "fuzzsupport.h"
#include "mailaccounts.h"
#include "recipientlist.h"

#include <QSet>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray input = Fuzz::bytes(data, size);
    for (const CRecipient& person : VCard::read(input))
        Fuzz::require(!person.address.isEmpty());
    CRecipientList list;
    list.importVCards(input);
    QSet<QString> seen;
    for (const CAddressEntry& entry : list.entries()) {
        const QString key = entry.address.toLower();
        Fuzz::require(!seen.contains(key));
        seen.insert(key);
    }
    Fuzz::require(CRecipientList::fromStored(list.stored()).entries().size() == list.entries().size());

    for (const CMailAccount& account : MailAccounts::accountsOf(MailAccounts::readPrefs(input)))
        Fuzz::require(!account.server.isEmpty());
    return 0;
}
