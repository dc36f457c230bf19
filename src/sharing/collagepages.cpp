#include "collagepages.h"

#include "messagecatalogue.h"

#include <QFile>
#include <QHash>
#include <QUrl>

#include <cmath>

namespace {

QString withCrLf(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return text;
}

// Replaces every placeholder in one pass, left to right; the values put in
// are never searched again.
QString fill(const QString& text, const QHash<QString, QString>& values)
{
    QString out;
    out.reserve(text.size() * 2);
    qsizetype at = 0;
    while (at < text.size()) {
        bool replaced = false;
        const QChar c = text[at];
        if (c == QLatin1Char('{') || c == QLatin1Char('<') || c == QLatin1Char('#')) {
            for (auto it = values.constBegin(); it != values.constEnd(); ++it) {
                if (QStringView(text).mid(at).startsWith(it.key())) {
                    out += it.value();
                    at += it.key().size();
                    replaced = true;
                    break;
                }
            }
        }
        if (!replaced)
            out += text[at++];
    }
    return out;
}

QString hexOfUtf8(const QString& text)
{
    QString out;
    for (const char byte : text.toUtf8())
        out += QStringLiteral("%1").arg(quint8(byte), 2, 16, QLatin1Char('0')).toUpper();
    return out;
}

QString hrefPart(const QString& link)
{
    if (!PageLinks::isAllowed(link))
        return {};
    return QStringLiteral(" href=\"%1\"").arg(escapeHtml(link, false));
}

} // namespace

bool PageLinks::isAllowed(const QString& link)
{
    const QUrl url(link.trimmed(), QUrl::StrictMode);
    if (!url.isValid())
        return false;
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("mailto"))
        return !url.path().isEmpty();
    return (scheme == QLatin1String("http") || scheme == QLatin1String("https") || scheme == QLatin1String("ftp"))
        && !url.host().isEmpty();
}

QString escapeHtml(const QString& text, bool lineBreaks)
{
    QString out;
    out.reserve(text.size() + 16);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('&'))
            out += QLatin1String("&amp;");
        else if (c == QLatin1Char('"'))
            out += QLatin1String("&quot;");
        else if (c == QLatin1Char('<'))
            out += QLatin1String("&lt;");
        else if (c == QLatin1Char('>'))
            out += QLatin1String("&gt;");
        else if (lineBreaks && c == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n')) {
            out += QLatin1String("<BR>");
            ++i;
        } else if (lineBreaks && c == QLatin1Char('\n'))
            out += QLatin1String("<BR>");
        else
            out += c;
    }
    return out;
}

CCollagePages::CCollagePages(const QString& pageTemplate, const QString& sectionTemplate,
                             const QString& previewMessage)
    : m_page(withCrLf(pageTemplate))
    , m_section(withCrLf(sectionTemplate))
    , m_previewMessage(previewMessage)
{
}

CCollagePages CCollagePages::fromResources(CMessageCatalogue& catalogue)
{
    QFile file(QString::fromLatin1(CollagePageText::kPageTemplate));
    const QString page = file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    return CCollagePages(page, catalogue.text(QStringLiteral("HTMLTable")) + QLatin1Char('\n'),
                         catalogue.text(QStringLiteral("HTMLPrevMsg")));
}

QString CCollagePages::areaLines(const CPageRequest& request) const
{
    QString lines;
    for (const CMapArea& area : request.areas) {
        QStringList coords;
        for (const QPointF& corner : area.corners) {
            coords << QString::number(int(corner.x())) << QString::number(int(corner.y()));
        }
        QString alt;
        QString link;
        if (request.includeOriginals) {
            alt = QString::fromLatin1(CollagePageText::kOriginalAlt);
            link = request.mode == PageMode::Publish
                ? QStringLiteral(" href=\"%1%2.htm\"").arg(QLatin1String(CollagePageText::kImageDirMarker)).arg(area.photoNumber)
                : QStringLiteral(" href=\"#a%1\"").arg(area.photoNumber);
        } else {
            alt = escapeHtml(area.description, false);
            link = hrefPart(area.link);
        }
        lines += QStringLiteral("<area alt=\"%1\" coords=\"%2\" shape=\"polygon\"%3>\r\n")
                     .arg(alt, coords.join(QLatin1String(", ")), link);
    }
    return lines;
}

QString CCollagePages::mainPage(const CPageRequest& request) const
{
    const bool preview = request.mode == PageMode::Preview;
    QHash<QString, QString> values;
    values[QStringLiteral("{thePrev}")] = preview ? m_previewMessage : QString();
    values[QStringLiteral("{theMsg}")] = request.mode == PageMode::Publish ? QString() : escapeHtml(request.message, true);
    values[QStringLiteral("{theFile}")] = request.collageFile;
    values[QStringLiteral("{theDir}")] = request.mode == PageMode::Publish
        ? QString::fromLatin1(CollagePageText::kImageDirMarker)
        : request.mode == PageMode::Email ? QStringLiteral("cid:") : QString();
    values[QStringLiteral("{theWho}")] = preview || request.senderAddress.isEmpty()
        ? QString::fromLatin1(CollagePageText::kVendorSite)
        : QString::fromLatin1(CollagePageText::kVendorSite) + QStringLiteral("?rid=") + hexOfUtf8(request.senderAddress);
    values[QStringLiteral("<mapgoeshere />")] = areaLines(request);
    QString sections;
    QString spacer;
    if (request.includeOriginals && request.mode != PageMode::Publish) {
        for (int i = 0; i < int(request.photos.size()); ++i)
            sections += section(request, i);
        spacer = QString::fromLatin1(CollagePageText::kSpacer);
    }
    values[QStringLiteral("<tablegoeshere />")] = sections;
    values[QStringLiteral("<spacergoeshere />")] = spacer;
    return fill(m_page, values);
}

QString CCollagePages::section(const CPageRequest& request, int index) const
{
    const std::vector<CPagePhoto>& photos = request.photos;
    const CPagePhoto& photo = photos[size_t(index)];
    QHash<QString, QString> values;
    values[QStringLiteral("{theFile}")] = photo.fileName;
    values[QStringLiteral("{theLink}")] = hrefPart(photo.link);
    values[QStringLiteral("{desc}")] = escapeHtml(photo.description, true);
    values[QStringLiteral("{theWidth}")] = QString::number(photo.size.width());
    values[QStringLiteral("{theHeight}")] = QString::number(photo.size.height());
    values[QStringLiteral("{theMap}")] = QString::number(photo.number);
    values[QStringLiteral("{anchor}")] = QString::number(photo.number);
    values[QStringLiteral("{theBack}")] = index > 0 ? QStringLiteral("a%1").arg(photos[size_t(index - 1)].number)
                                                    : QStringLiteral("Collage");
    values[QStringLiteral("{theNext}")] = index + 1 < int(photos.size())
        ? QStringLiteral("a%1").arg(photos[size_t(index + 1)].number)
        : QStringLiteral("Collage");
    values[QStringLiteral("{theDir}")] = request.mode == PageMode::Email ? QStringLiteral("cid:") : QString();
    return fill(m_section, values);
}

QString CCollagePages::photoPage(const CPageRequest& request, int index, const QString& mainPageName) const
{
    const std::vector<CPagePhoto>& photos = request.photos;
    const CPagePhoto& photo = photos[size_t(index)];
    const QString mainPage = QStringLiteral("../") + escapeHtml(mainPageName, false);
    QHash<QString, QString> values;
    values[QStringLiteral("{theFile}")] = photo.fileName;
    values[QStringLiteral("{theLink}")] = hrefPart(photo.link);
    values[QStringLiteral("{desc}")] = escapeHtml(photo.description, true);
    values[QStringLiteral("{theWidth}")] = QString::number(photo.size.width());
    values[QStringLiteral("{theHeight}")] = QString::number(photo.size.height());
    values[QStringLiteral("#Collage")] = mainPage;
    values[QStringLiteral("{theMap}")] = QString::number(photo.number);
    values[QStringLiteral("{anchor}")] = QString::number(photo.number);
    values[QStringLiteral("#{theBack}")] =
        index > 0 ? QStringLiteral("%1.htm").arg(photos[size_t(index - 1)].number) : mainPage;
    values[QStringLiteral("#{theNext}")] =
        index + 1 < int(photos.size()) ? QStringLiteral("%1.htm").arg(photos[size_t(index + 1)].number) : mainPage;
    values[QStringLiteral("{theDir}")] = QString();
    // Closed in order, and the charset declared like the main page's.
    return QStringLiteral("<HTML><HEAD><META http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">"
                          "</HEAD><BODY>\r\n")
        + fill(m_section, values) + QStringLiteral("</BODY></HTML>\r\n");
}
