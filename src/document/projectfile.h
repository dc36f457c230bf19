#pragma once
// The project file (".Collage"): named, length-prefixed sections written by
// their owners, the end marker "Done", and a 4-byte checksum trailer.

#include <QString>

class CCollageDoc;
class CArchive;

class CProjectFile
{
public:
    enum class Check { Ok, NotFound, Corrupt, NewerVersion };
    enum class ReadResult { Ok, NewerVersion, FormatError };

    static constexpr quint32 kSectionVersion = 1;
    static constexpr quint32 kPrinterSectionVersion = 2;
    static constexpr int kPreviewSide = 256;
    static constexpr int kPreviewQuality = 95;

    // Everything that can be known before the document is touched: the file
    // exists, is not empty, its trailer matches the checksum of the bytes
    // before it, its section chain ends with "Done" right before the
    // trailer (so bytes appended to a valid file are refused too), and its
    // version is not above the program's.
    static Check check(const QString& path);

    // Streams the file into the (already cleared) document and its
    // services. An archive error or a section chain that ends early is a
    // FormatError; a version above the program's is refused with the
    // "WrongDocVersion" notification.
    static ReadResult read(CCollageDoc& doc, const QString& path);

    // Writes a temporary file beside `path`, appends the trailer computed by
    // re-reading it, then renames it over `path`. Any failure leaves `path`
    // as it was and returns false.
    static bool write(CCollageDoc& doc, const QString& path);

private:
    static void writeSections(CCollageDoc& doc, CArchive& ar);
    static ReadResult readSections(CCollageDoc& doc, CArchive& ar);
};
