// Another process for the thumbnail store tests:
//   thumbstore_helper lock FILE     holds FILE as the editor would, says
//                                   "locked", and lets go when its standard
//                                   input closes;
//   thumbstore_helper crash FOLDER  commits one thumbnail, stores a second
//                                   without committing, and dies.
#include "thumbstore.h"

#include <QImage>

#include <csignal>
#include <cstdio>
#include <cstring>

#include <sqlite3.h>

namespace {

int holdLock(const char* path)
{
    sqlite3* db = nullptr;
    if (sqlite3_open(path, &db) != SQLITE_OK)
        return 1;
    if (sqlite3_exec(db, "PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE", nullptr, nullptr, nullptr) != SQLITE_OK)
        return 1;
    std::puts("locked");
    std::fflush(stdout);
    while (std::getchar() != EOF) {
    }
    sqlite3_close(db);
    return 0;
}

int crash(const char* folder)
{
    CThumbStore store(QString::fromLocal8Bit(folder));
    QImage red(8, 6, QImage::Format_RGB32);
    red.fill(Qt::red);
    if (store.AllocateThumb(red) != CThumbStore::kFirstSlot || !store.CommitThumbs())
        return 1;
    QImage blue(8, 6, QImage::Format_RGB32);
    blue.fill(Qt::blue);
    if (store.AllocateThumb(blue) != CThumbStore::kFirstSlot + 1)
        return 1;
    std::raise(SIGKILL);
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "lock") == 0)
        return holdLock(argv[2]);
    if (argc == 3 && std::strcmp(argv[1], "crash") == 0)
        return crash(argv[2]);
    std::fputs("usage: thumbstore_helper lock FILE | crash FOLDER\n", stderr);
    return 2;
}
