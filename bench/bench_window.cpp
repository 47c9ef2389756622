// The main window against an empty Qt Quick window, both under a private X display:
//   start   wall time from starting the process to its first frame on screen (median of runs);
//   scenes  CPU time over a span (30 s by default, after 5 s of settling) and the window's
//           frames per second, for the window idle with the stage shown, idle with the music
//           module over the stage, playing a local stream in each visual mode, and unmapped
//           (as an iconified window or one on another workspace is). Each scene runs with the
//           software rasteriser's default threads and with LP_NUM_THREADS=2, against the empty
//           window with the same threads; per-frame CPU is the main window's CPU above the
//           empty window's, over its frames.
// Run as `bench_window [--span seconds] [--settle seconds] [--only text]`; it starts itself
// under scripts/with-display when there is no display, and runs its subjects as child
// processes of itself ("--subject app" and "--subject empty").
#include "ZazidEvoz/platform/Process.hpp"
#include "shell/AppEntry.hpp"
#include "stage/StageClock.hpp"
#include "state/AppRuntime.hpp"
#include "support/Sandbox.hpp"
#include "support/StreamServer.hpp"

#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QQuickWindow>
#include <QTimer>
#include <QtQml/qqmlextensionplugin.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <poll.h>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>
#include <xcb/xcb.h>

Q_IMPORT_QML_PLUGIN(ZintraRadioPlugin)

namespace {

using namespace std::chrono_literals;
namespace platform = ZazidEvoz::platform;
using Clock = std::chrono::steady_clock;

constexpr int startRuns = 5;

// ---- The subjects, run in child processes.

// Tells the parent about the first frame; with `quit`, ends the application right after.
void reportFirstFrame(QQuickWindow& window, bool quit) {
    std::puts("first-frame");
    std::fflush(stdout);
    if (quit)
        QTimer::singleShot(0, &window, [] { QCoreApplication::quit(); });
}

// The advances of every stage clock in the item tree.
long stageAdvances(QQuickItem* item) {
    long advances = 0;
    if (auto* clock = qobject_cast<ZintraRadio::StageClock*>(item))
        advances += clock->frame();
    for (QQuickItem* child : item->childItems())
        advances += stageAdvances(child);
    return advances;
}

// Four times a second: the frames shown so far, the stage's advances and the playback state.
// Printing wakes the process but asks the window for nothing.
void reportFrames(QQuickWindow& window) {
    auto frames = std::make_shared<long>(0);
    QObject::connect(&window, &QQuickWindow::frameSwapped, &window, [frames] { ++*frames; });
    auto* timer = new QTimer(&window);
    QObject::connect(timer, &QTimer::timeout, &window, [&window, frames] {
        const long advances = stageAdvances(window.contentItem());
        const QString state = ZintraRadio::AppRuntime::hasModel()
                                  ? ZintraRadio::AppRuntime::model().property("stateName").toString()
                                  : QStringLiteral("none");
        std::printf("frames %ld advances %ld state %s\n", *frames, advances, qPrintable(state));
        std::fflush(stdout);
    });
    timer->start(250);
}

// Unmaps the window behind Qt's back, the way a window manager does when it iconifies a window
// or shows another workspace: the window stays visible to Qt but is no longer exposed.
void unmap(QQuickWindow& window) {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 == nullptr)
        return;
    xcb_unmap_window(x11->connection(), static_cast<xcb_window_t>(window.winId()));
    xcb_flush(x11->connection());
}

int runApp(int argc, char** argv, bool quitAfterFirstFrame, bool hidden) {
    ZintraRadio::EntryOptions options;
    options.firstFrame = [quitAfterFirstFrame, hidden](QQuickWindow& window) {
        reportFirstFrame(window, quitAfterFirstFrame);
        reportFrames(window);
        if (hidden)
            QTimer::singleShot(1000, &window, [&window] { unmap(window); });
    };
    return ZintraRadio::runApplication(argc, argv, options);
}

int runEmpty(int argc, char** argv, bool quitAfterFirstFrame) {
    QGuiApplication application(argc, argv);
    QQmlApplicationEngine engine;
    engine.loadData("import QtQuick\nWindow { visible: true; width: 1400; height: 860; color: \"#04050f\" }");
    auto* window = qobject_cast<QQuickWindow*>(engine.rootObjects().value(0));
    if (window == nullptr)
        return 1;
    QObject::connect(window, &QQuickWindow::frameSwapped, window,
                     [window, quitAfterFirstFrame, reported = false]() mutable {
                         if (reported)
                             return;
                         reported = true;
                         reportFirstFrame(*window, quitAfterFirstFrame);
                         reportFrames(*window);
                     });
    return QGuiApplication::exec();
}

// ---- The parent.

using Environment = std::map<std::string, std::string>;

struct Subject {
    std::string flag; // "app" or "empty"
    Environment environment;
    bool hidden = false;
};

struct Options {
    std::chrono::seconds span = 30s;
    std::chrono::seconds settle = 5s;
    std::string only;
};

platform::Process launch(const std::string& self, const Subject& subject, bool quitAfterFirstFrame) {
    platform::ProcessOptions options({self, "--subject", subject.flag});
    if (quitAfterFirstFrame)
        options.arguments.push_back("--quit");
    if (subject.hidden)
        options.arguments.push_back("--hidden");
    options.environment = platform::currentEnvironment();
    (*options.environment)["SDL_AUDIODRIVER"] = "dummy";
    (*options.environment)["ZINTRARADIO_SKIP_BOOT"] = "1";
    for (const auto& [name, value] : subject.environment)
        (*options.environment)[name] = value;
    options.output = platform::StreamMode::Pipe;
    options.error = platform::StreamMode::Null;
    return platform::Process::start(options);
}

// Reads the subject's lines as they come and keeps the latest frame report.
class Reader {
public:
    explicit Reader(platform::Process& process) : process_(process) {}

    // Reads until `until`, or until `stop` holds for a line; whether it held.
    template <typename Stop> bool readUntil(Clock::time_point until, Stop stop) {
        char buffer[512];
        while (Clock::now() < until) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now());
            pollfd ready{process_.outputFd(), POLLIN, 0};
            if (::poll(&ready, 1, static_cast<int>(std::max<long long>(1, left.count()))) <= 0)
                continue;
            const auto got = platform::readRetrying(process_.outputFd(), buffer, sizeof buffer);
            if (got <= 0)
                return false;
            pending_.append(buffer, static_cast<std::size_t>(got));
            for (auto end = pending_.find('\n'); end != std::string::npos; end = pending_.find('\n')) {
                const std::string line = pending_.substr(0, end);
                pending_.erase(0, end + 1);
                take(line);
                if (stop(line))
                    return true;
            }
        }
        return false;
    }

    // Waits for the next frame report and returns it with the process's CPU time then.
    struct Sample {
        double cpu = 0;
        long frames = 0;
        long advances = 0;
        std::string state;
    };
    Sample sample() {
        readUntil(Clock::now() + 5s, [](const std::string& line) { return line.rfind("frames ", 0) == 0; });
        return {cpuSeconds(process_.pid()), frames_, advances_, state_};
    }

    static double cpuSeconds(pid_t pid) {
        std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
        std::string line;
        std::getline(stat, line);
        std::istringstream fields(line.substr(line.rfind(')') + 2));
        std::string field;
        long ticks = 0;
        for (int index = 3; fields >> field; ++index)
            if (index == 14 || index == 15)
                ticks += std::stol(field);
        return static_cast<double>(ticks) / static_cast<double>(::sysconf(_SC_CLK_TCK));
    }

private:
    void take(const std::string& line) {
        std::istringstream words(line);
        std::string frames, advances, state;
        long frameCount = 0, advanceCount = 0;
        if (words >> frames >> frameCount >> advances >> advanceCount >> state >> state_) {
            frames_ = frameCount;
            advances_ = advanceCount;
        }
    }

    platform::Process& process_;
    std::string pending_;
    long frames_ = 0;
    long advances_ = 0;
    std::string state_;
};

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

double startTime(const std::string& self, const Subject& subject) {
    std::vector<double> times;
    for (int run = 0; run < startRuns; ++run) {
        const auto started = Clock::now();
        auto process = launch(self, subject, true);
        Reader reader(process);
        if (reader.readUntil(started + 60s, [](const std::string& line) { return line == "first-frame"; }))
            times.push_back(std::chrono::duration<double>(Clock::now() - started).count());
        if (!process.waitFor(30s))
            process.kill();
    }
    return median(times);
}

struct Measurement {
    double cpu = 0; // seconds over the span
    double seconds = 0;
    long frames = 0;
    long advances = 0;
    std::string state;
};

Measurement measureScene(const std::string& self, const Subject& subject, const Options& options) {
    auto process = launch(self, subject, false);
    Reader reader(process);
    reader.readUntil(Clock::now() + 60s, [](const std::string& line) { return line == "first-frame"; });
    reader.readUntil(Clock::now() + options.settle, [](const std::string&) { return false; });
    const auto begun = Clock::now();
    const Reader::Sample first = reader.sample();
    reader.readUntil(begun + options.span, [](const std::string&) { return false; });
    const Reader::Sample last = reader.sample();
    const double seconds = std::chrono::duration<double>(Clock::now() - begun).count();
    process.kill();
    return {last.cpu - first.cpu, seconds, last.frames - first.frames, last.advances - first.advances,
            last.state};
}

struct Scene {
    std::string name;
    Environment environment;
    bool hidden = false;
};

std::vector<Scene> scenes(const std::string& streamUrl) {
    std::vector<Scene> list{
        {"idle, stage shown", {{"ZINTRARADIO_PANEL", "stations"}, {"ZINTRARADIO_MODE", "zintra"}}, false},
        {"idle, music module", {{"ZINTRARADIO_PANEL", "music"}, {"ZINTRARADIO_MODE", "zintra"}}, false},
    };
    for (const char* mode :
         {"zintra", "scope", "spectrum", "terrain", "vectorscope", "plasma", "aurora", "warp"})
        list.push_back({std::string("playing, stage ") + mode,
                        {{"ZINTRARADIO_PANEL", "stations"},
                         {"ZINTRARADIO_MODE", mode},
                         {"ZINTRARADIO_AUTOPLAY", streamUrl}},
                        false});
    list.push_back(
        {"hidden (unmapped)", {{"ZINTRARADIO_PANEL", "stations"}, {"ZINTRARADIO_MODE", "zintra"}}, true});
    return list;
}

int measure(const std::string& self, const Options& options) {
    ZazidEvoz::testkit::StreamServer server;
    ZazidEvoz::testkit::StreamSpec spec;
    spec.media = ZazidEvoz::testkit::toneMp3();
    spec.bytesPerSecond = ZazidEvoz::testkit::streamBytesPerSecond;
    server.addStream("/tone", spec);
    server.start();

    const Subject app{"app", {}, false};
    const Subject empty{"empty", {}, false};
    if (options.only.empty() || options.only == "start") {
        const double appStart = startTime(self, app);
        const double emptyStart = startTime(self, empty);
        std::printf("start to first frame: main window %.3f s, empty window %.3f s, ratio %.2f\n", appStart,
                    emptyStart, emptyStart > 0 ? appStart / emptyStart : 0.0);
        std::fflush(stdout);
    }

    for (const char* threads : {"", "2"}) {
        const std::string label = *threads ? std::string("LP_NUM_THREADS=") + threads : "default threads";
        Environment base;
        if (*threads)
            base["LP_NUM_THREADS"] = threads;
        std::optional<Measurement> emptyScene;
        for (const Scene& scene : scenes(server.url("/tone"))) {
            if (!options.only.empty() && scene.name.find(options.only) == std::string::npos)
                continue;
            if (!emptyScene)
                emptyScene = measureScene(self, {"empty", base, false}, options);
            Environment environment = base;
            environment.insert(scene.environment.begin(), scene.environment.end());
            const Measurement m = measureScene(self, {"app", environment, scene.hidden}, options);
            const double core = 100 * m.cpu / m.seconds;
            const double emptyCore = 100 * emptyScene->cpu / emptyScene->seconds;
            const double perFrame =
                m.frames > 0 ? 1000 * (m.cpu - emptyScene->cpu * m.seconds / emptyScene->seconds) / m.frames
                             : 0;
            std::printf("%-28s %-16s CPU %6.1f %% of a core (empty window %.1f %%), %5.1f frames/s, "
                        "%5.1f stage advances/s, %5.1f ms CPU per frame, state %s\n",
                        scene.name.c_str(), label.c_str(), core, emptyCore, m.frames / m.seconds,
                        m.advances / m.seconds, perFrame, m.state.c_str());
            std::fflush(stdout);
        }
    }
    return 0;
}

Options parseOptions(const std::vector<std::string>& arguments) {
    Options options;
    for (std::size_t i = 1; i + 1 < arguments.size(); ++i) {
        if (arguments[i] == "--span")
            options.span = std::chrono::seconds(std::stoi(arguments[++i]));
        else if (arguments[i] == "--settle")
            options.settle = std::chrono::seconds(std::stoi(arguments[++i]));
        else if (arguments[i] == "--only")
            options.only = arguments[++i];
    }
    return options;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv, argv + argc);
    const auto has = [&](const char* flag) {
        return std::find(arguments.begin(), arguments.end(), flag) != arguments.end();
    };
    const auto flag = std::find(arguments.begin(), arguments.end(), "--subject");
    if (flag != arguments.end() && flag + 1 != arguments.end()) {
        int childArgc = 1;
        return flag[1] == "app" ? runApp(childArgc, argv, has("--quit"), has("--hidden"))
                                : runEmpty(childArgc, argv, has("--quit"));
    }
    if (std::getenv("DISPLAY") == nullptr) {
        // A private X display for every subject.
        std::vector<char*> relaunch{const_cast<char*>(ZINTRARADIO_WITH_DISPLAY)};
        for (char* argument : std::vector<char*>(argv, argv + argc))
            relaunch.push_back(argument);
        relaunch.push_back(nullptr);
        ::execv(ZINTRARADIO_WITH_DISPLAY, relaunch.data());
        std::perror("bench_window: with-display");
        return 1;
    }
    ZazidEvoz::testkit::initialiseSandbox();
    const int status = measure(argv[0], parseOptions(arguments));
    ZazidEvoz::testkit::removeSandbox();
    return status;
}
