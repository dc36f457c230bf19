// The photo collection at the sizes users reach: loading and saving
// "Collection.DAT" with 100,000 photos, finding a photo by path, and a
// refresh over 10,000 image files that have not changed since the last one.
//
// Run: bench_photos [--benchmark_filter=...]

#include "archive.h"
#include "messagecatalogue.h"
#include "myphotos.h"
#include "notificationbus.h"
#include "propmanager.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int kLargeCollection = 100'000;
constexpr int kRefreshFiles = 10'000;
constexpr int kFilesPerFolder = 250;

QString syntheticPath(int i)
{
    return QStringLiteral("/home/someone/Pictures/%1/%1-%2 Summer holiday/IMG_%3.JPG")
        .arg(2000 + i % 25)
        .arg(i / 1000 % 12 + 1, 2, 10, QChar('0'))
        .arg(i, 6, 10, QChar('0'));
}

// A "Collection.DAT" of `count` photos with varied records, written through
// the archive primitives so it does not depend on the code being measured.
QByteArray syntheticCollection(int count)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    CArchive ar(&buffer, CArchive::Mode::Store);
    ar.beginSection("Description", 1);
    ar.writeString({});
    ar.writeDate({COleDate::Valid, 45000.5});
    ar.endSection();
    ar.beginSection("Photos", 1);
    ar.writeCount(count);
    QRandomGenerator random(7);
    for (int i = 0; i < count; ++i) {
        ar.writeString(syntheticPath(i));
        if (i == 0) {
            ar.writeU16(0xFFFF);
            ar.writeU16(CPhotoItem::kSchema);
            ar.writeU16(10);
            ar.writeRaw("CPhotoItem", 10);
        } else {
            ar.writeU16(0x8001); // the class introduced first
        }
        const double day = 36526.0 + random.bounded(9000) + random.bounded(1.0);
        const QDateTime when = COleDate{COleDate::Valid, day}.toDateTime();
        ar.writeF64(day);
        ar.writeF64(day + 1.0);
        for (int field : {when.date().year(), when.date().month(), when.date().dayOfWeek() % 7,
                          when.date().day(), when.time().hour(), when.time().minute(),
                          when.time().second(), 0})
            ar.writeU16(quint16(field));
        ar.writeF64(day);
        ar.writeU32(1'000'000 + random.bounded(5'000'000));
        ar.writeU32(i % 3 == 0 ? 0x04 : 0x00);
        ar.writeF32(4000.0f);
        ar.writeF32(3000.0f);
        ar.writeU32(4 + i);
        ar.writeU16(0);
    }
    ar.endSection();
    ar.writeEndMarker();
    ar.flush();
    return bytes;
}

// A fresh set of the services the collection works with, in a temporary home.
struct Services
{
    Services()
    {
        qputenv("XDG_DATA_HOME", QFile::encodeName(home.path() + "/data"));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path() + "/config"));
    }
    QString folder() const { return home.path() + "/data/Tessary/ImageDatabase"; }
    std::unique_ptr<CMyPhotos> open() { return std::make_unique<CMyPhotos>(settings, catalogue, bus, nullptr, folder()); }
    void writeCollection(const QByteArray& bytes)
    {
        QDir().mkpath(folder());
        QFile file(folder() + "/Collection.DAT");
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
    }

    QTemporaryDir home;
    CPropManager settings;
    CMessageCatalogue catalogue{QByteArray()};
    CNotificationBus bus;
};

void BM_LoadCollection(benchmark::State& state)
{
    Services services;
    services.writeCollection(syntheticCollection(int(state.range(0))));
    for (auto _ : state) {
        auto photos = services.open();
        if (photos->Load() != CMyPhotos::LoadResult::Loaded || photos->photoCount() != state.range(0))
            state.SkipWithError("the collection did not load");
        state.PauseTiming();
        photos.reset(); // destruction is not loading
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_LoadCollection)->Arg(kLargeCollection)->Unit(benchmark::kMillisecond);

void BM_SaveCollection(benchmark::State& state)
{
    Services services;
    services.writeCollection(syntheticCollection(int(state.range(0))));
    auto photos = services.open();
    photos->Load();
    CPhotoItem* any = photos->ByDate().front();
    quint32 slot = 1;
    for (auto _ : state) {
        photos->setThumbnailSlot(*any, ++slot); // something to save
        if (photos->Save() != CMyPhotos::SaveResult::Saved)
            state.SkipWithError("the collection was not saved");
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_SaveCollection)->Arg(kLargeCollection)->Unit(benchmark::kMillisecond);

void BM_FindPhoto(benchmark::State& state)
{
    Services services;
    const int count = int(state.range(0));
    services.writeCollection(syntheticCollection(count));
    auto photos = services.open();
    photos->Load();
    std::vector<QString> wanted;
    QRandomGenerator random(11);
    for (int i = 0; i < 1024; ++i)
        wanted.push_back(syntheticPath(random.bounded(count)));
    size_t next = 0;
    for (auto _ : state) {
        CPhotoItem* photo = photos->FindPhoto(wanted[next++ & 1023]);
        benchmark::DoNotOptimize(photo);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FindPhoto)->Arg(1'000)->Arg(10'000)->Arg(kLargeCollection);

void BM_RefreshUnchanged(benchmark::State& state)
{
    Services services;
    const QString root = services.home.path() + "/Pictures";
    QByteArray jpeg;
    {
        QImage image(64, 48, QImage::Format_RGB32);
        image.fill(0xFF3080C0);
        QBuffer buffer(&jpeg);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "JPEG");
    }
    const int count = int(state.range(0));
    for (int i = 0; i < count; ++i) {
        const QString folder = QString("%1/album %2").arg(root).arg(i / kFilesPerFolder);
        if (i % kFilesPerFolder == 0)
            QDir().mkpath(folder);
        QFile file(QString("%1/IMG_%2.jpg").arg(folder).arg(i, 6, 10, QChar('0')));
        file.open(QIODevice::WriteOnly);
        file.write(jpeg);
    }
    auto photos = services.open();
    CRefreshRequest request;
    request.folders = {root};
    photos->Refresh(request); // the first refresh reads every file
    if (photos->photoCount() != count)
        state.SkipWithError("the first refresh did not find every file");

    for (auto _ : state) {
        const CRefreshResult result = photos->Refresh(request);
        if (result.counters.imagesFound != count)
            state.SkipWithError("the refresh did not see every file");
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_RefreshUnchanged)->Arg(kRefreshFiles)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    // Image decoders are plugins; they need the application object.
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
