// The file managers' thumbnailer, `collage-cli thumbnail PROJECT OUT.png
// SIZE`, on a project that stores its preview (the target: under 50 ms):
//
// - the real program as a file manager starts it, a process per thumbnail;
//   besides the wall time, `cpu_ms` is the child's own processor time;
// - the same program when it has nothing to do (a usage error), which is
//   what starting it costs: the dynamic loader and Qt's libraries;
// - the command's work in this process (read, scale, write), without the
//   start.
//
// The project: 24 camera-like photos laid out by collage-cli make, so the
// file carries its photo copies (megabytes) before the preview.
//
// Run: bench_thumbnail [--benchmark_filter=...]

#include "photolike.h"
#include "thumbnailcommand.h"

#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <chrono>
#include <string>
#include <vector>

extern char** environ;

namespace {

constexpr int kPhotos = 24;

class Workspace
{
public:
    static Workspace& instance()
    {
        static Workspace workspace;
        return workspace;
    }
    const QString& project() const { return m_project; }
    QString file(const QString& name) const { return m_dir.filePath(name); }

private:
    Workspace()
    {
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir.filePath("data")));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.filePath("config")));
        QStringList arguments{"make"};
        for (int i = 0; i < kPhotos; ++i) {
            arguments << m_dir.filePath(QString("IMG_%1.jpg").arg(i));
            photoLikePicture(i % 3 ? QSize(2000, 1500) : QSize(1500, 2000), quint32(i + 1), true)
                .save(arguments.last(), "JPEG", 90);
        }
        m_project = m_dir.filePath("Trip.Collage");
        arguments << "--out" << m_project;
        QProcess::execute(QStringLiteral(COLLAGE_CLI_BINARY), arguments);
    }

    QTemporaryDir m_dir;
    QString m_project;
};

struct Child
{
    bool ran = false;
    int exitCode = -1;
    double wallMs = 0;
    double cpuMs = 0;
};

// Starts the program and waits for it, as a file manager does.
Child runProgram(const std::vector<std::string>& arguments)
{
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    // A file manager reads only the picture; the program's words go nowhere.
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&quiet, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &quiet, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&quiet);
    if (spawned != 0)
        return {};
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid)
        return {};
    const auto end = std::chrono::steady_clock::now();
    const auto ms = [](const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
    return {WIFEXITED(status), WIFEXITED(status) ? WEXITSTATUS(status) : -1, std::chrono::duration<double, std::milli>(end - start).count(),
            ms(usage.ru_utime) + ms(usage.ru_stime)};
}

void runAndTime(benchmark::State& state, const std::vector<std::string>& arguments, int expectedExit)
{
    double cpuMs = 0;
    for (auto _ : state) {
        const Child child = runProgram(arguments);
        if (!child.ran || child.exitCode != expectedExit) {
            state.SkipWithError("collage-cli did not run as expected");
            break;
        }
        state.SetIterationTime(child.wallMs / 1e3);
        cpuMs += child.cpuMs;
    }
    state.counters["cpu_ms"] = benchmark::Counter(cpuMs, benchmark::Counter::kAvgIterations);
}

void BM_ThumbnailProgram(benchmark::State& state)
{
    const std::string out = Workspace::instance().file("thumb.png").toStdString();
    runAndTime(state,
               {COLLAGE_CLI_BINARY, "thumbnail", Workspace::instance().project().toStdString(), out,
                std::to_string(state.range(0))},
               0);
}
BENCHMARK(BM_ThumbnailProgram)->Arg(128)->Arg(256)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_ProgramStartOnly(benchmark::State& state)
{
    Workspace::instance();
    runAndTime(state, {COLLAGE_CLI_BINARY, "thumbnail"}, 2);
}
BENCHMARK(BM_ProgramStartOnly)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_ThumbnailInProcess(benchmark::State& state)
{
    std::string project = Workspace::instance().project().toStdString();
    std::string out = Workspace::instance().file("inprocess.png").toStdString();
    std::string size = std::to_string(state.range(0));
    std::string program = COLLAGE_CLI_BINARY;
    std::string command = "thumbnail";
    for (auto _ : state) {
        char* argv[] = {program.data(), command.data(), project.data(), out.data(), size.data(), nullptr};
        int argc = 5;
        if (runThumbnailCommand(argc, argv) != 0) {
            state.SkipWithError("thumbnail failed");
            break;
        }
    }
}
BENCHMARK(BM_ThumbnailInProcess)->Arg(128)->Arg(256)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    // Only for painting the photos; the thumbnail command itself needs no
    // application object on this path.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
