#pragma once
// Export of the whole canvas as one image file: the encoders there are, and
// ExportImage, which renders the canvas for output at the size asked and
// writes it through the type's encoder. JPEG and PNG are rendered and
// written in bands of rows, so posters far larger than memory would hold
// in one piece export; other types are rendered in one piece.
//
// The file is written under a temporary name beside the target and renamed
// over it only when everything went well: a failed or cancelled export
// leaves no half-written file under the target name and an older file of
// that name as it was.
//
// User-interface thread (it draws through the collage renderer).

#include "framerenderer.h"
#include "surfaces.h"

#include <QByteArray>
#include <QRgb>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

class CCollageRenderer;
class CProgress;

struct CImageEncoder
{
    QByteArray mimeType;   // "image/jpeg"
    QByteArray format;     // Qt's format name: "jpeg"
    QStringList extensions; // "jpg", "jpeg", "jpe": the first is the one appended
    QString description;   // "JPEG image"
};

namespace ImageEncoders {

// The text of the first entry of the type lists.
inline constexpr const char* kAllImageTypes = "All Image Types";

// Every encoder Qt has that names at least one file extension, in Qt's order.
const std::vector<CImageEncoder>& ListEncoders();
// The encoder of a type given as an extension ("jpg"), a format name or a
// MIME type, letter case aside; none when Qt has no encoder for it.
std::optional<CImageEncoder> FindEncoder(const QString& type);
// The encoder the file name's extension names; none without a known one.
std::optional<CImageEncoder> EncoderForFileName(const QString& fileName);
// File-dialog filters: "All Image Types (*.bmp *.jpg ...)" first, then one
// per encoder, "JPEG image (*.jpg *.jpeg *.jpe)".
QStringList FileDialogFilters();

} // namespace ImageEncoders

// The canvas as the export sees it.
struct CExportCanvas
{
    float width = 0.0f;  // canvas units
    float height = 0.0f;
    CanvasUnit unit = CanvasUnit::Inch;
    QRgb colour = 0xFFFFFFFF;
};

struct CExportRequest
{
    QString path;          // the full target path, extension included
    QString type;          // extension, format or MIME type of the encoder
    int quality = 80;      // 0 to 100, for the encoders that take one
    int width = 0;         // CX, pixels
    int height = 0;        // CY, pixels
    float dotsPerInch = 96.0f; // written into the file
    int purpose = RenderPurpose::Export;
    // Leave the canvas transparent; honoured for PNG only.
    bool transparentCanvas = false;
    // Rows per band for JPEG and PNG; 0 takes as many as 16 MiB hold.
    int bandRows = 0;
};

struct CExportResult
{
    // The catalogue message to show: "NoFileEncoder", "ResTooHigh",
    // "ExportInterrupt" (a system error while writing) or "ExportErr";
    // empty on success and when the user cancelled.
    QString messageKey;
    bool cancelled = false;

    bool ok() const { return messageKey.isEmpty() && !cancelled; }
};

namespace ExportTexts {
inline constexpr const char* kProcessing = "Image being processed...";
inline constexpr const char* kSaving = "Now saving to file...";
} // namespace ExportTexts

// Renders the canvas at request.width × request.height pixels (the canvas
// fills the picture) for output and writes it. With a progress, it is begun
// and ended here, shows the texts above and the frames' file names, and its
// Cancel stops the export.
CExportResult ExportImage(CCollageRenderer& renderer, const CExportCanvas& canvas, const CExportRequest& request,
                          CProgress* progress = nullptr);
