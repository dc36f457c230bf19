// The collage pages: area lines, escaping, photo sections and pages.
#include "collagepages.h"
#include "picinfo.h"
#include "shareimages.h"

#include <gtest/gtest.h>

namespace {

const char* const kPage = "<p>{thePrev}{theMsg}</p>\n<map>\n<mapgoeshere /></map>\n"
                          "<img src=\"{theDir}{theFile}\"><a href=\"{theWho}\">x</a>\n<tablegoeshere /><spacergoeshere />";
const char* const kSection = "[{theMap}|{anchor}|#{theBack}|#Collage|#{theNext}|{theDir}{theFile}|"
                             "<a{theLink}>|{theWidth}x{theHeight}|{desc}]";

CCollagePages pages()
{
    return CCollagePages(QString::fromLatin1(kPage), QString::fromLatin1(kSection), QStringLiteral("PREVIEW"));
}

CMapArea area(int number, const QString& description, const QString& link)
{
    CMapArea result;
    result.photoNumber = number;
    result.description = description;
    result.link = link;
    result.corners = {QPointF(10.9, 20.2), QPointF(110.5, 20), QPointF(110, 80.99), QPointF(-0.5, 80)};
    return result;
}

CPageRequest twoPhotos(PageMode mode)
{
    CPageRequest request;
    request.mode = mode;
    request.includeOriginals = true;
    request.areas = {area(1, "one", {}), area(2, "two", {})};
    request.photos = {{1, "one", {}, "1.jpg", QSize(40, 30)}, {2, "two", "https://example.com/", "2.jpg", QSize(30, 40)}};
    return request;
}

} // namespace

TEST(CollagePages, WithoutLinksOrOriginalsAreasCarryAltTextsOnlyAndTheMarkersVanish)
{
    CPageRequest request;
    request.areas = {area(1, "Tom & \"Jerry\"\r\nagain", {})};
    request.message = "Hi <all>\r\nbye";
    request.senderAddress = "me@example.com";
    const QString page = pages().mainPage(request);
    EXPECT_EQ(page, "<p>Hi &lt;all&gt;<BR>bye</p>\r\n<map>\r\n"
                    "<area alt=\"Tom &amp; &quot;Jerry&quot;\r\nagain\" coords=\"10, 20, 110, 20, 110, 80, 0, 80\" "
                    "shape=\"polygon\">\r\n</map>\r\n"
                    "<img src=\"cid:Collage.jpg\"><a href=\"http://www.tessary.com/?rid=6D65406578616D706C652E636F6D\">x</a>\r\n");
}

TEST(CollagePages, UserTextsStayAsTypedEvenWhenTheyLookLikePlaceholders)
{
    CPageRequest request;
    request.mode = PageMode::Preview;
    request.message = "see {theFile} and <mapgoeshere />";
    const QString page = pages().mainPage(request);
    EXPECT_TRUE(page.startsWith("<p>PREVIEWsee {theFile} and &lt;mapgoeshere /&gt;</p>"));
    EXPECT_TRUE(page.contains("<img src=\"Collage.jpg\"><a href=\"http://www.tessary.com/\">"));
}

TEST(CollagePages, LinksAreWrittenOnlyForWebMailAndFtpAddressesAndEscaped)
{
    CPageRequest request;
    request.areas = {area(1, "a", "javascript:alert(1)"), area(2, "b", "http://example.com/?a=1&b=2"),
                     area(3, "c", "mailto:ann@example.com"), area(4, "d", "file:///etc/passwd")};
    const QString lines = pages().areaLines(request);
    EXPECT_FALSE(lines.contains("javascript"));
    EXPECT_FALSE(lines.contains("file:"));
    EXPECT_TRUE(lines.contains("href=\"http://example.com/?a=1&amp;b=2\""));
    EXPECT_TRUE(lines.contains("href=\"mailto:ann@example.com\""));
    for (const char* allowed : {"http://a.org", "https://a.org/x", "ftp://a.org/", "mailto:a@b.org"})
        EXPECT_TRUE(PageLinks::isAllowed(allowed)) << allowed;
    for (const char* refused : {"javascript:alert(1)", "data:text/html,x", "www.example.com", "http://", "vbscript:x"})
        EXPECT_FALSE(PageLinks::isAllowed(refused)) << refused;
}

TEST(CollagePages, EmailSectionsLeadFromPhotoToPhotoAndBackToTheCollage)
{
    const CPageRequest request = twoPhotos(PageMode::Email);
    const QString page = pages().mainPage(request);
    EXPECT_TRUE(page.contains("alt=\"Click for larger photo\" coords=\"10, 20, 110, 20, 110, 80, 0, 80\" shape=\"polygon\" href=\"#a1\">"));
    EXPECT_TRUE(page.contains("[1|1|#Collage|#Collage|#a2|cid:1.jpg|<a>|40x30|one]"));
    EXPECT_TRUE(page.contains("[2|2|#a1|#Collage|#Collage|cid:2.jpg|<a href=\"https://example.com/\">|30x40|two]"));
    EXPECT_TRUE(page.endsWith(CollagePageText::kSpacer));
}

TEST(CollagePages, PublishedPhotoPagesLinkToTheirNeighboursAndTheMainPageOneFolderUp)
{
    const CPageRequest request = twoPhotos(PageMode::Publish);
    const CCollagePages generator = pages();
    const QString main = generator.mainPage(request);
    EXPECT_TRUE(main.contains("href=\"<imageDir/>2.htm\""));
    EXPECT_TRUE(main.contains("src=\"<imageDir/>Collage.jpg\""));
    EXPECT_FALSE(main.contains("[1|")) << "published photos have pages of their own";
    const QString first = generator.photoPage(request, 0, "My Page.htm");
    EXPECT_TRUE(first.contains("[1|1|../My Page.htm|../My Page.htm|2.htm|1.jpg|<a>|40x30|one]"));
    EXPECT_TRUE(first.contains("charset=utf-8"));
    EXPECT_TRUE(first.endsWith("</BODY></HTML>\r\n"));
    EXPECT_TRUE(generator.photoPage(request, 1, "p.htm").contains("[2|2|1.htm|../p.htm|../p.htm|2.jpg|"));
}

TEST(CollagePages, ASinglePhotoLeadsBackToTheCollageBothWays)
{
    CPageRequest request = twoPhotos(PageMode::Email);
    request.photos.resize(1);
    EXPECT_TRUE(pages().mainPage(request).contains("[1|1|#Collage|#Collage|#Collage|"));
}

TEST(CollagePages, ATurnedFrameGivesASlantedPolygon)
{
    CPicInfo straight;
    straight.setFramePos(1.0f, 1.0f);
    straight.setFrameSize(2.0f, 1.0f);
    CPicInfo turned;
    turned.setFramePos(1.0f, 1.0f);
    turned.setFrameSize(2.0f, 1.0f);
    turned.setRotation(30.0f);
    const auto areas = ShareImages::mapAreas({&straight, &turned}, QSizeF(4, 3), QSize(400, 300));
    ASSERT_EQ(areas.size(), 2u);
    EXPECT_EQ(areas[0].photoNumber, 1);
    EXPECT_EQ(areas[1].photoNumber, 2);
    EXPECT_EQ(areas[0].corners[0], QPointF(100, 100));
    EXPECT_EQ(areas[0].corners[2], QPointF(300, 200));
    const auto& c = areas[1].corners;
    EXPECT_GT(std::abs(c[0].y() - c[1].y()), 50.0) << "the top edge slants";
    // Turned about the frame's centre.
    EXPECT_NEAR((c[0].x() + c[2].x()) / 2, 200.0, 1e-6);
    EXPECT_NEAR((c[0].y() + c[2].y()) / 2, 150.0, 1e-6);
}

TEST(CollagePages, TheCollageFitsTheBoxKeepingItsShape)
{
    EXPECT_EQ(ShareImages::fittedSize(QSizeF(10, 7.5), QSize(800, 800)), QSize(800, 600));
    EXPECT_EQ(ShareImages::fittedSize(QSizeF(3, 6), QSize(800, 800)), QSize(400, 800));
}
