#pragma once
// The check-list of people the user sends collages to, kept in the setting
// "SMTPAddrBook" (one line per entry: checked mark, address, name), added to
// by hand or from vCard files.

#include "collageshare.h"

#include <QString>
#include <QStringList>

#include <vector>

struct CAddressEntry
{
    QString address;
    QString name;
    bool checked = true;

    // "Name (address)", or the address alone when there is no name or it is
    // the address again (letter case aside).
    QString text() const;
};

class CRecipientList
{
public:
    enum class AddResult { Added, Updated, NoAddress, Malformed };

    static CRecipientList fromStored(const QString& stored);
    QString stored() const;

    const std::vector<CAddressEntry>& entries() const { return m_entries; }
    // A new address is added checked; a known one (letter case aside) takes
    // the name given and is checked.
    AddResult add(const QString& address, const QString& name);
    void setChecked(int index, bool checked);
    void remove(const std::vector<int>& indexes);
    std::vector<CRecipient> checked() const;

    // The people of vCard text with an e-mail address, each added; returns
    // how many had one.
    int importVCards(const QByteArray& vcf);

private:
    std::vector<CAddressEntry> m_entries;
};

namespace VCard {
// Name and e-mail address of each card (the preferred address, else the
// first); cards without an address are left out.
std::vector<CRecipient> read(const QByteArray& vcf);
}
