// The main window against an empty Qt Quick window, both under a private X display:
//   start   wall time from starting the process to its first frame on screen (median of runs);
//   idle    CPU time used over 30 s with the window open and nothing playing.
// Prints both measurements and their ratios. Run as `bench_window`; it starts itself under
// scripts/with-display when there is no display, and runs its two subjects as child processes
// of itself ("--subject app" and "--subject empty").
#include "ZazidEvoz/platform/Process.hpp"
#include "shell/AppEntry.hpp"
#include "support/Sandbox.hpp"

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
#include <poll.h>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

Q_IMPORT_QML_PLUGIN(ZintraRadioPlugin)

namespace {

using namespace std::chrono_literals;
namespace platform = ZazidEvoz::platform;
using Clock = std::chrono::steady_clock;

constexpr int startRuns = 5;
constexpr auto idleSpan = 30s;
constexpr auto idleSettle = 5s;

// ---- The subjects, run in child processes.

// Tells the parent about the first frame; with `quit`, ends the application right after.
void reportFirstFrame(QQuickWindow& window, bool quit) {
    std::puts("first-frame");
    std::fflush(stdout);
    if (quit)
        QTimer::singleShot(0, &window, [] { QCoreApplication::quit(); });
}

int runApp(int argc, char** argv, bool quitAfterFirstFrame) {
    ZintraRadio::EntryOptions options;
    options.firstFrame = [quitAfterFirstFrame](QQuickWindow& window) {
        reportFirstFrame(window, quitAfterFirstFrame);
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
                         if (!reported)
                             reportFirstFrame(*window, quitAfterFirstFrame);
                         reported = true;
                     });
    return QGuiApplication::exec();
}

// ---- The parent.

struct Subject {
    const char* name;
    std::string flag;
};

platform::Process launch(const std::string& self, const Subject& subject, bool quitAfterFirstFrame) {
    platform::ProcessOptions options({self, "--subject", subject.flag});
    if (quitAfterFirstFrame)
        options.arguments.push_back("--quit");
    options.environment = platform::currentEnvironment();
    (*options.environment)["SDL_AUDIODRIVER"] = "dummy";
    options.output = platform::StreamMode::Pipe;
    options.error = platform::StreamMode::Null;
    return platform::Process::start(options);
}

// Waits for the "first-frame" line; the time it took, or nothing.
std::optional<double> waitForFirstFrame(platform::Process& process, Clock::time_point started) {
    std::string seen;
    char buffer[256];
    while (Clock::now() - started < 60s) {
        pollfd ready{process.outputFd(), POLLIN, 0};
        if (::poll(&ready, 1, 200) <= 0)
            continue;
        const auto got = platform::readRetrying(process.outputFd(), buffer, sizeof buffer);
        if (got <= 0)
            return std::nullopt;
        seen.append(buffer, static_cast<std::size_t>(got));
        if (seen.find("first-frame") != std::string::npos)
            return std::chrono::duration<double>(Clock::now() - started).count();
    }
    return std::nullopt;
}

double cpuSeconds(pid_t pid) {
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

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

int measure(const std::string& self) {
    const Subject app{"main window", "app"};
    const Subject empty{"empty window", "empty"};
    double start[2] = {};
    double idle[2] = {};
    int index = 0;
    for (const Subject* subject : {&app, &empty}) {
        std::vector<double> times;
        for (int run = 0; run < startRuns; ++run) {
            const auto started = Clock::now();
            auto process = launch(self, *subject, true);
            if (auto seconds = waitForFirstFrame(process, started))
                times.push_back(*seconds);
            if (!process.waitFor(30s))
                process.kill();
        }
        start[index] = median(times);

        auto process = launch(self, *subject, false);
        waitForFirstFrame(process, Clock::now());
        std::this_thread::sleep_for(idleSettle);
        const double before = cpuSeconds(process.pid());
        std::this_thread::sleep_for(idleSpan);
        idle[index] = cpuSeconds(process.pid()) - before;
        process.kill();
        ++index;
    }
    std::printf("start to first frame: main window %.3f s, empty window %.3f s, ratio %.2f\n", start[0],
                start[1], start[1] > 0 ? start[0] / start[1] : 0.0);
    const double tick = 1.0 / static_cast<double>(::sysconf(_SC_CLK_TCK));
    std::printf("idle CPU over %lld s: main window %.3f s (%.3f %%), empty window %.3f s (%.3f %%), ",
                static_cast<long long>(idleSpan.count()), idle[0], 100 * idle[0] / idleSpan.count(), idle[1],
                100 * idle[1] / idleSpan.count());
    // Below one clock tick the kernel counts nothing: the ratio is against one tick then.
    std::printf("ratio %.2f%s\n", idle[0] / std::max(idle[1], tick),
                idle[1] < tick ? " (against one tick)" : "");
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv, argv + argc);
    const auto flag = std::find(arguments.begin(), arguments.end(), "--subject");
    if (flag != arguments.end() && flag + 1 != arguments.end()) {
        const bool quit = std::find(arguments.begin(), arguments.end(), "--quit") != arguments.end();
        int childArgc = 1;
        return flag[1] == "app" ? runApp(childArgc, argv, quit) : runEmpty(childArgc, argv, quit);
    }
    if (std::getenv("DISPLAY") == nullptr) {
        // A private X display for both subjects.
        std::vector<char*> relaunch{const_cast<char*>(ZINTRARADIO_WITH_DISPLAY), argv[0], nullptr};
        ::execv(ZINTRARADIO_WITH_DISPLAY, relaunch.data());
        std::perror("bench_window: with-display");
        return 1;
    }
    ZazidEvoz::testkit::initialiseSandbox();
    const int status = measure(argv[0]);
    ZazidEvoz::testkit::removeSandbox();
    return status;
}
