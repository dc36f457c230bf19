// collage-cli: the editor's core without a window, for scripts and tests.
#include <QCoreApplication>
#include <QTextStream>

namespace {

constexpr const char* kUsage =
    "usage: collage-cli <command> [arguments]\n"
    "\n"
    "Makes and exports collages without a window.\n"
    "\n"
    "  --help            show this text\n";

} // namespace

int main(int argc, char** argv)
{
    // Never needs a display, whatever the environment says.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList args = app.arguments();
    if (args.size() < 2 || args[1] == "--help" || args[1] == "-h") {
        QTextStream(stdout) << kUsage;
        return args.size() < 2 ? 2 : 0;
    }
    err << "collage-cli: unknown command \"" << args[1] << "\"\n" << kUsage;
    return 2;
}
