// The updater replaces the editor with a newer build once the editor has
// closed. It is started by the editor with one argument of four
// ";"-separated fields.
#include <cstdio>
#include <cstring>

namespace {

void printUsage(const char* program)
{
    std::fprintf(stderr,
                 "usage: %s \"<downloaded file>;<patch file name>;<local name>;<patch parameters>\"\n"
                 "Started by the collage editor after it has downloaded an update.\n",
                 program);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2 || std::strcmp(argv[1], "--help") == 0 || std::strchr(argv[1], ';') == nullptr) {
        printUsage(argv[0]);
        return 2;
    }
    std::fprintf(stderr, "updater: installing updates is not available in this build\n");
    return 1;
}
