// Throughput of the archive primitives and of the file checksum, the two
// costs every project save and open pays.
#include "archive.h"
#include "crc32.h"

#include <QBuffer>

#include <benchmark/benchmark.h>

namespace {

void BM_WriteMixedRecords(benchmark::State& state)
{
    const QString name = QStringLiteral("/home/someone/Pictures/2024/IMG_0001.jpg");
    for (auto _ : state) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        CArchive ar(&buffer, CArchive::Mode::Store);
        for (int i = 0; i < state.range(0); ++i) {
            ar.writeString(name);
            ar.writeF32(1.5f * i);
            ar.writeU32(i);
            ar.writeDate({COleDate::Valid, 45000.25});
        }
        ar.flush();
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_WriteMixedRecords)->Arg(10000);

void BM_ReadMixedRecords(benchmark::State& state)
{
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        CArchive ar(&buffer, CArchive::Mode::Store);
        for (int i = 0; i < state.range(0); ++i) {
            ar.writeString(QStringLiteral("/home/someone/Pictures/2024/IMG_0001.jpg"));
            ar.writeF32(1.5f * i);
            ar.writeU32(i);
            ar.writeDate({COleDate::Valid, 45000.25});
        }
    }
    for (auto _ : state) {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        CArchive ar(&buffer, CArchive::Mode::Load);
        for (int i = 0; i < state.range(0); ++i) {
            benchmark::DoNotOptimize(ar.readString());
            benchmark::DoNotOptimize(ar.readF32());
            benchmark::DoNotOptimize(ar.readU32());
            benchmark::DoNotOptimize(ar.readDate());
        }
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ReadMixedRecords)->Arg(10000);

void BM_Checksum(benchmark::State& state)
{
    QByteArray data(state.range(0), 'x');
    for (auto _ : state)
        benchmark::DoNotOptimize(Crc32::update(0, data.constData(), data.size()));
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Checksum)->Arg(8 << 20);

} // namespace

BENCHMARK_MAIN();
