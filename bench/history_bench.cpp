// The undo history's costs: recording and undoing a drag over many frames,
// pushing a step onto a long history, saving and loading a long history,
// and a project that carries frames and a history of thousands of records.
#include "collagedoc.h"
#include "frameops.h"
#include "picinfomanager.h"
#include "services.h"
#include "undo.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

// A document on fresh services in a temporary home, with `frameCount`
// frames made without recording.
class Session
{
public:
    explicit Session(int frameCount)
    {
        qputenv("XDG_DATA_HOME", (m_home.path() + "/data").toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", (m_home.path() + "/config").toLocal8Bit());
        services = std::make_unique<CServices>(m_home.path() + "/Settings.DAT", m_home.path() + "/photodb");
        doc = std::make_unique<CCollageDoc>(services->docServices());
        doc->releaseUpdates();
        doc->newDocument();
        CUndoSuspend quiet(&history());
        CFrameOps ops(frames());
        for (int i = 0; i < frameCount; ++i) {
            CPicInfo* frame = ops.createFrame({float(i % 20), float(i / 20), 0.9f, 0.9f});
            frame->setDescription(QStringLiteral("frame %1").arg(i));
        }
    }
    ~Session()
    {
        doc.reset();
        services.reset();
    }

    CPicInfoManager& frames() { return services->frames(); }
    CUndo& history() { return services->undo(); }
    QString path(const QString& name) const { return m_home.path() + '/' + name; }

    // One drag of every frame: pending mode, `moves` mouse movements each
    // moving all frames from where they started, then the release.
    void drag(int moves, float distance)
    {
        const auto& list = frames().frames();
        for (const auto& frame : list)
            frame->takeSnapshot();
        history().StartPending();
        for (int m = 1; m <= moves; ++m) {
            CUndoGroup group(&history());
            const float offset = distance * float(m) / float(moves);
            for (const auto& frame : list)
                frame->setFramePos(frame->snapshotFrameRect().x + offset, frame->snapshotFrameRect().y);
        }
        history().CommitPending();
    }

    std::unique_ptr<CServices> services;
    std::unique_ptr<CCollageDoc> doc;

private:
    QTemporaryDir m_home;
};

// A history of `steps` single-move steps, as a long editing session leaves.
void fillHistory(CUndo& history, int steps)
{
    for (int i = 0; i < steps; ++i) {
        auto leaf = std::make_unique<CUndoItem>(QStringLiteral("FramePos"), QStringLiteral("Move Image Frame"));
        CArchive* ar = leaf->snapshotWriter();
        ar->writeU32(quint32(i % 500));
        ar->writeF32(float(i));
        ar->writeF32(-float(i));
        history.Push(std::move(leaf));
    }
}

void BM_RecordDrag(benchmark::State& state)
{
    Session session(int(state.range(0)));
    float distance = 1.0f;
    for (auto _ : state) {
        session.drag(int(state.range(1)), distance);
        distance = -distance;
        state.PauseTiming();
        session.history().Clear();
        state.ResumeTiming();
    }
    state.counters["frames"] = double(state.range(0));
    state.counters["moves"] = double(state.range(1));
}
BENCHMARK(BM_RecordDrag)->Args({200, 1})->Args({200, 20})->Unit(benchmark::kMillisecond);

// Each iteration replays the drag one way: undo, then redo, alternately.
void BM_UndoRedoDrag(benchmark::State& state)
{
    Session session(int(state.range(0)));
    session.drag(5, 2.0f);
    bool undo = true;
    for (auto _ : state) {
        benchmark::DoNotOptimize(undo ? session.history().Undo() : session.history().Redo());
        undo = !undo;
    }
    state.counters["frames"] = double(state.range(0));
}
BENCHMARK(BM_UndoRedoDrag)->Arg(200)->Unit(benchmark::kMillisecond);

// One recorded edit on top of a history of range(0) steps.
void BM_PushStepOntoHistory(benchmark::State& state)
{
    Session session(1);
    fillHistory(session.history(), int(state.range(0)));
    CPicInfo& frame = *session.frames().frameAt(0);
    float x = 0.0f;
    for (auto _ : state) {
        x += 1.0f;
        frame.setFramePos(x, 0.0f);
    }
    state.counters["steps"] = double(state.range(0));
}
BENCHMARK(BM_PushStepOntoHistory)->Arg(0)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);

void BM_SaveHistory(benchmark::State& state)
{
    CUndo history;
    fillHistory(history, int(state.range(0)));
    for (auto _ : state) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        CArchive ar(&buffer, CArchive::Mode::Store);
        ar.setDocumentVersion(CCollageDoc::kFileVersion);
        history.serialize(ar);
        ar.flush();
        state.counters["bytes"] = double(bytes.size());
    }
}
BENCHMARK(BM_SaveHistory)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_LoadHistory(benchmark::State& state)
{
    QByteArray bytes;
    {
        CUndo history;
        fillHistory(history, int(state.range(0)));
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        CArchive ar(&buffer, CArchive::Mode::Store);
        ar.setDocumentVersion(CCollageDoc::kFileVersion);
        history.serialize(ar);
        ar.flush();
    }
    for (auto _ : state) {
        CUndo history;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        CArchive ar(&buffer, CArchive::Mode::Load);
        ar.setDocumentVersion(CCollageDoc::kFileVersion);
        history.serialize(ar);
        benchmark::DoNotOptimize(history.CanUndo());
    }
}
BENCHMARK(BM_LoadHistory)->Arg(100000)->Unit(benchmark::kMillisecond);

// 500 frames and a history of 5,000 leaf records: 1,000 steps of five
// leaves (moves, resizes, tone, descriptions, one deleted frame in twenty).
class ProjectSession : public Session
{
public:
    static constexpr int kFrames = 500;
    static constexpr int kSteps = 1000;

    ProjectSession()
        : Session(kFrames)
    {
        CFrameOps ops(frames());
        for (int s = 0; s < kSteps; ++s) {
            CUndoGroup group(&history());
            CPicInfo& frame = *frames().frameAt(s % frames().frameCount());
            frame.setFramePos(frame.frameRect().x + 0.1f, frame.frameRect().y);
            frame.setFrameSize(frame.frameRect().width + 0.1f, frame.frameRect().height);
            frame.setAlpha(0.5f + float(s % 5) / 10.0f);
            frame.setDescription(QStringLiteral("step %1").arg(s));
            if (s % 20 == 0)
                ops.deleteFrame(*frames().frameAt(frames().frameCount() - 1));
            else
                frame.setRotation(float(s));
        }
        while (frames().frameCount() < kFrames) {
            CUndoSuspend quiet(&history());
            ops.createFrame({0, 0, 1, 1});
        }
    }
};

void BM_SaveProject(benchmark::State& state)
{
    ProjectSession session;
    for (auto _ : state)
        benchmark::DoNotOptimize(session.doc->saveDocument(session.path("bench.Collage")));
    state.counters["frames"] = double(session.frames().frameCount());
}
BENCHMARK(BM_SaveProject)->Unit(benchmark::kMillisecond);

void BM_OpenProject(benchmark::State& state)
{
    ProjectSession session;
    session.doc->saveDocument(session.path("bench.Collage"));
    for (auto _ : state)
        benchmark::DoNotOptimize(session.doc->openDocument(session.path("bench.Collage")));
    state.counters["frames"] = double(session.frames().frameCount());
    state.counters["steps"] = double(session.history().undoList().size());
}
BENCHMARK(BM_OpenProject)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
