#pragma once
// The HTML of a shared collage: the main page with the collage image and its
// image map (one polygon per photo frame), and, with the scaled-down
// originals, one section per photo (e-mail, preview) or one page per photo
// (published site). The templates are resources (":/sharing/collage.htm")
// and the catalogue entry "HTMLTable".
//
// Filling is one pass over a template: text put in for one placeholder is
// never searched for another, so a description that says "{theFile}" stays
// as typed. User texts are escaped for HTML; links are written only when
// they are web, mail or FTP addresses.

#include <QPointF>
#include <QSize>
#include <QString>

#include <array>
#include <vector>

class CMessageCatalogue;

enum class PageMode { Email, Preview, Publish };

// One photo frame drawn into the collage image: its corners in pixels of
// the image (a turned frame gives a slanted polygon).
struct CMapArea
{
    int photoNumber = 0;
    QString description;
    QString link;
    std::array<QPointF, 4> corners;
};

// One photo of the collage with its scaled-down image.
struct CPagePhoto
{
    int number = 0;       // positive, unique: names the anchor and the files
    QString description;
    QString link;
    QString fileName;     // "3.jpg"
    QSize size;           // pixels of the scaled-down image
};

struct CPageRequest
{
    PageMode mode = PageMode::Email;
    bool includeOriginals = false;
    QString message;        // e-mail and preview
    QString senderAddress;  // for the referral link
    QString collageFile = QStringLiteral("Collage.jpg");
    std::vector<CMapArea> areas;
    std::vector<CPagePhoto> photos;
};

namespace CollagePageText {
inline constexpr const char* kPageTemplate = ":/sharing/collage.htm";
inline constexpr const char* kNavigationImage = ":/sharing/PrevNext.png";
inline constexpr const char* kNavigationFile = "PrevNext.jpg";
inline constexpr const char* kMainPageFile = "Collage.htm";
inline constexpr const char* kImageDirMarker = "<imageDir/>";
inline constexpr const char* kVendorSite = "http://www.tessary.com/";
inline constexpr const char* kSpacer = "<div align=\"center\" style=\"width: 0; height: 600\"></div>";
inline constexpr const char* kOriginalAlt = "Click for larger photo";
} // namespace CollagePageText

namespace PageLinks {
// http, https, ftp or mailto with something after the scheme.
bool isAllowed(const QString& link);
}

// HTML escaping: & " < > always; line breaks become "<BR>" outside
// attribute values.
QString escapeHtml(const QString& text, bool lineBreaks);

class CCollagePages
{
public:
    // Both templates as text; line ends become CR LF.
    CCollagePages(const QString& pageTemplate, const QString& sectionTemplate, const QString& previewMessage);
    // The templates of the program's resources and catalogue.
    static CCollagePages fromResources(CMessageCatalogue& catalogue);

    QString mainPage(const CPageRequest& request) const;
    // The page of photo `index` of a published site, beside its image in the
    // images folder; `mainPageName` is the main page one folder up.
    QString photoPage(const CPageRequest& request, int index, const QString& mainPageName) const;

    // The area lines, in drawing order.
    QString areaLines(const CPageRequest& request) const;

private:
    QString section(const CPageRequest& request, int index) const;

    QString m_page;
    QString m_section;
    QString m_previewMessage;
};
