#include "recipientlist.h"

#include "mailaddress.h"

#include <algorithm>

QString CAddressEntry::text() const
{
    if (name.isEmpty() || name.compare(address, Qt::CaseInsensitive) == 0)
        return address;
    return QStringLiteral("%1 (%2)").arg(name, address);
}

CRecipientList CRecipientList::fromStored(const QString& stored)
{
    CRecipientList list;
    for (const QString& line : stored.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList fields = line.split(QLatin1Char('\t'));
        if (fields.size() < 2 || fields[1].isEmpty())
            continue;
        list.m_entries.push_back({fields[1], fields.value(2), fields[0] == QLatin1String("1")});
    }
    return list;
}

QString CRecipientList::stored() const
{
    QStringList lines;
    for (const CAddressEntry& entry : m_entries) {
        QString name = entry.name;
        name.replace(QLatin1Char('\t'), QLatin1Char(' '));
        lines << QStringLiteral("%1\t%2\t%3").arg(entry.checked ? "1" : "0", entry.address, name);
    }
    return lines.join(QLatin1Char('\n'));
}

CRecipientList::AddResult CRecipientList::add(const QString& typedAddress, const QString& typedName)
{
    const QString address = typedAddress.trimmed();
    const QString name = typedName.simplified();
    if (address.isEmpty())
        return AddResult::NoAddress;
    if (!MailAddress::isWellFormed(address) || !MailAddress::isHeaderSafe(name))
        return AddResult::Malformed;
    for (CAddressEntry& entry : m_entries) {
        if (entry.address.compare(address, Qt::CaseInsensitive) == 0) {
            if (!name.isEmpty())
                entry.name = name;
            entry.checked = true;
            return AddResult::Updated;
        }
    }
    m_entries.push_back({address, name, true});
    return AddResult::Added;
}

void CRecipientList::setChecked(int index, bool checked)
{
    if (index >= 0 && index < int(m_entries.size()))
        m_entries[size_t(index)].checked = checked;
}

void CRecipientList::remove(const std::vector<int>& indexes)
{
    std::vector<int> sorted = indexes;
    std::sort(sorted.rbegin(), sorted.rend());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    for (const int index : sorted) {
        if (index >= 0 && index < int(m_entries.size()))
            m_entries.erase(m_entries.begin() + index);
    }
}

std::vector<CRecipient> CRecipientList::checked() const
{
    std::vector<CRecipient> result;
    for (const CAddressEntry& entry : m_entries) {
        if (entry.checked)
            result.push_back({entry.name, entry.address});
    }
    return result;
}

int CRecipientList::importVCards(const QByteArray& vcf)
{
    int usable = 0;
    for (const CRecipient& person : VCard::read(vcf)) {
        if (add(person.address, person.name) != AddResult::Malformed)
            ++usable;
    }
    return usable;
}

namespace VCard {

namespace {

QString unescape(const QString& value)
{
    QString out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == QLatin1Char('\\') && i + 1 < value.size()) {
            const QChar next = value[++i];
            out += next == QLatin1Char('n') || next == QLatin1Char('N') ? QChar(QLatin1Char(' ')) : next;
        } else {
            out += value[i];
        }
    }
    return out;
}

QByteArray decodeQuotedPrintable(const QByteArray& value)
{
    QByteArray out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == '=' && i + 2 < value.size()) {
            bool ok = false;
            const int byte = value.mid(i + 1, 2).toInt(&ok, 16);
            if (ok) {
                out += char(byte);
                i += 2;
                continue;
            }
        }
        out += value[i];
    }
    return out;
}

// Unfolded lines: a line that starts with a blank continues the one before;
// in vCard 2.1 a quoted-printable value ending in "=" continues on the next.
QList<QByteArray> unfold(const QByteArray& vcf)
{
    QList<QByteArray> lines;
    QByteArray text = vcf;
    text.replace("\r\n", "\n");
    bool softBreak = false;
    for (const QByteArray& raw : text.split('\n')) {
        if (!lines.isEmpty() && (softBreak || raw.startsWith(' ') || raw.startsWith('\t'))) {
            lines.last().chop(softBreak ? 1 : 0);
            lines.last() += softBreak ? raw : raw.mid(1);
        } else {
            lines << raw;
        }
        softBreak = lines.last().toUpper().contains("QUOTED-PRINTABLE") && lines.last().endsWith('=');
    }
    return lines;
}

} // namespace

std::vector<CRecipient> read(const QByteArray& vcf)
{
    std::vector<CRecipient> people;
    QString name, structuredName, address, preferred;
    for (const QByteArray& line : unfold(vcf)) {
        const qsizetype colon = line.indexOf(':');
        if (colon < 0)
            continue;
        const QByteArray head = line.left(colon).toUpper();
        QByteArray raw = line.mid(colon + 1);
        QByteArray property = head.split(';').first();
        if (property.contains('.'))
            property = property.mid(property.lastIndexOf('.') + 1); // "ITEM1.EMAIL"

        if (head.contains("QUOTED-PRINTABLE"))
            raw = decodeQuotedPrintable(raw);
        const QString value = unescape(QString::fromUtf8(raw).trimmed());
        if (property == "BEGIN") {
            name.clear(), structuredName.clear(), address.clear(), preferred.clear();
        } else if (property == "FN") {
            name = value;
        } else if (property == "N") {
            const QStringList parts = value.split(QLatin1Char(';'));
            structuredName = (parts.value(1) + QLatin1Char(' ') + parts.value(0)).trimmed();
        } else if (property == "EMAIL") {
            if (address.isEmpty())
                address = value;
            if (head.contains("PREF") && preferred.isEmpty())
                preferred = value;
        } else if (property == "END") {
            const QString chosen = preferred.isEmpty() ? address : preferred;
            if (!chosen.isEmpty())
                people.push_back({name.isEmpty() ? structuredName : name, chosen});
        }
    }
    return people;
}

} // namespace VCard
