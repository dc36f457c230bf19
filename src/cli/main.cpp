// collage-cli: the editor's core without a window, for scripts and tests.
#include "commands.h"
#include "updatecommands.h"
#include "sharecommands.h"
#include "thumbnailcommand.h"
#include "rendermemory.h"

#include <QGuiApplication>
#include <QTextStream>

namespace {

constexpr const char* kUsage =
    "usage: collage-cli <command> [arguments]\n"
    "\n"
    "Works on the same photo collection, settings and projects as the editor,\n"
    "without a window.\n"
    "\n"
    "  photos refresh FOLDER...   add the photos found in the folders to the collection\n"
    "                             and hide those whose files have gone\n"
    "  photos list [--json]       every photo of the collection, oldest first\n"
    "  photos moments [--json]    the Photo Moments and their photos\n"
    "  make PHOTO_OR_FOLDER... --out PROJECT.Collage [--canvas WxH] [--seed N] [--jumble]\n"
    "       [--export OUT]        a project with the photos laid out by ZadeDudaziz (the\n"
    "                             same collage for the same --seed), tilted by ZiraRadaru\n"
    "                             with --jumble, and exported to OUT at 100 dpi with --export\n"
    "  export PROJECT OUT [--width N | --height N | --dpi N] [--quality Q] [--transparent]\n"
    "                             the canvas as an image file of OUT's type (dpi 100 unless\n"
    "                             a size is given; --transparent for PNG)\n"
    "  print PROJECT --pdf OUT.pdf [--pages auto|portrait|landscape] [--paper A4|Letter|...]\n"
    "                             prints the collage to a PDF file, one page per printer page\n"
    "  info PROJECT               the whole project as JSON: document, canvas, frames, photos,\n"
    "                             dropper, undo and redo steps, macros, printer\n"
    "  dump PROJECT               part of info's JSON: document, canvas, frames and photos\n"
    "  resave IN OUT [--template] reads a project and writes it in the current version;\n"
    "                             as a template (its frames without photos) with --template\n"
    "  mail PROJECT --to ADDR... [--cc ADDR...] --from ADDR [--from-name NAME]\n"
    "       --server HOST[:PORT] [--starttls|--tls] [--user U] [--ca-file PEM] [--subject S]\n"
    "       [--message M] [--originals] [--write-transaction FILE]\n"
    "                             e-mails the collage as an HTML page with its image map\n"
    "                             (password from OMBRAVELLE_SMTP_PASSWORD)\n"
    "  publish PROJECT --folder DIR --page NAME.htm [--originals]\n"
    "  publish PROJECT --ftp URL --page NAME.htm [--user U] [--originals]\n"
    "                             the collage as a small web site in a folder or on a server\n"
    "  preview PROJECT --folder DIR\n"
    "                             the e-mail's page as the preview shows it\n"
    "  update check [--server URL]\n"
    "                             asks the update service for a newer build; JSON\n"
    "  update download --server URL --to FILE\n"
    "                             asks the update service and downloads the patch to FILE\n"
    "  thumbnail PROJECT OUT.png SIZE\n"
    "                             the project's picture within SIZE x SIZE pixels, as a PNG\n"
    "                             (the file managers' thumbnailer)\n"
    "  --version                  show the program's version\n"
    "  --help                     show this text\n";

} // namespace

int main(int argc, char** argv)
{
    RenderMemory::shareOneHeap();
    // Never needs a display, whatever the environment says.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc > 1 && qstrcmp(argv[1], "thumbnail") == 0)
        return runThumbnailCommand(argc, argv);
    QGuiApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QStringList args = app.arguments().mid(1);
    if (args.isEmpty() || args[0] == "--help" || args[0] == "-h") {
        out << kUsage;
        return args.isEmpty() ? 2 : 0;
    }
    if (args[0] == "--version") {
        out << "collage-cli " << OMBRAVELLE_VERSION << "\n";
        return 0;
    }
    if (const std::optional<int> shared = runShareCommand(args, out, err))
        return *shared;
    if (args[0] == "photos")
        return runPhotosCommand(args.mid(1), out, err);
    if (args[0] == "make")
        return runMakeCommand(args.mid(1), out, err);
    if (args[0] == "export")
        return runExportCommand(args.mid(1), out, err);
    if (args[0] == "print")
        return runPrintCommand(args.mid(1), out, err);
    if (args[0] == "info")
        return runInfoCommand(args.mid(1), out, err);
    if (args[0] == "resave")
        return runResaveCommand(args.mid(1), out, err);
    if (args[0] == "dump")
        return runDumpCommand(args.mid(1), out, err);
    if (args[0] == "update")
        return runUpdateCommand(args.mid(1), out, err);
    err << "collage-cli: unknown command \"" << args[0] << "\"\n" << kUsage;
    return 2;
}
