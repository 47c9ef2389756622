// The music views over a 100 000-track library on a real display (run it under
// scripts/with-display: Xvfb, OpenGL on llvmpipe), each against the same Qt Quick view over a
// plain model of 100 000 strings in the same run:
//   - scrolling the track list and the album grid: process CPU time per rendered frame;
//   - opening the tracks tab: the time from creating the list to its first frame, the first
//     time after a change of the titles (the library is sorted) and again (the order is kept).
#include "BenchMain.hpp"
#include "MusicBenchData.hpp"
#include "music/TitleOrder.hpp"
#include "state/AppModel.hpp"
#include "state/UIState.hpp"

#include <QApplication>
#include <QElapsedTimer>
#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QStringListModel>
#include <QtQml/qqmlextensionplugin.h>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <ctime>
#include <fmt/format.h>
#include <memory>

Q_IMPORT_QML_PLUGIN(ZintraRadioPlugin)

namespace {

using namespace ZazidEvoz;

constexpr int scrolledFrames = 400;
constexpr double pixelsPerFrame = 37;

double cpuSeconds() {
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

ZintraRadio::AppModel::Options appOptions() {
    ZintraRadio::AppModel::Options options;
    options.supportFolder = benchkit::modelFolder();
    options.scheduler = std::make_shared<ZintraRadio::ManualScheduler>();
    options.settingsFile = QString::fromStdString((benchkit::modelFolder() / "settings.conf").string());
    options.directoryMirrors = std::vector<std::string>{"http://127.0.0.1:9"};
    options.loadDirectory = false;
    options.sessionBus = false;
    options.music.lyricsFiller = false;
    options.music.lyricsBaseURL = "http://127.0.0.1:9";
    return options;
}

// The library, its models and a window, made once for every benchmark of the run.
struct Stage {
    std::unique_ptr<ZintraRadio::AppModel> app;
    std::unique_ptr<ZintraRadio::UIState> ui;
    QStringListModel strings;
    QQmlEngine engine;
    QQuickWindow window;

    Stage() {
        benchkit::prepareModelLibrary();
        app = std::make_unique<ZintraRadio::AppModel>(appOptions());
        while (app->music()->scanning())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        ZintraRadio::UIState::Options uiOptions;
        uiOptions.settingsFile = QString::fromStdString((benchkit::modelFolder() / "ui.conf").string());
        uiOptions.hooks = [](std::string_view) { return std::nullopt; };
        ui = std::make_unique<ZintraRadio::UIState>(uiOptions);
        QStringList rows;
        rows.reserve(benchkit::modelTrackCount);
        for (const auto& track : app->music()->tracks())
            rows.append(QString::fromStdString(track.title));
        strings.setStringList(rows);
        engine.addImportPath(QStringLiteral("qrc:/qt/qml"));
        engine.rootContext()->setContextProperty(QStringLiteral("app"), app.get());
        engine.rootContext()->setContextProperty(QStringLiteral("uiState"), ui.get());
        engine.rootContext()->setContextProperty(QStringLiteral("plainRows"), &strings);
        window.resize(1100, 800);
        window.setColor(Qt::black);
        window.show();
    }

    static std::unique_ptr<Stage>& instance() {
        static std::unique_ptr<Stage> stage;
        return stage;
    }
    static Stage& shared() {
        if (!instance())
            instance() = std::make_unique<Stage>();
        return *instance();
    }

    std::unique_ptr<QQuickItem> make(const QByteArray& body) {
        QQmlComponent component(&engine);
        component.setData("import QtQuick\nimport ZintraRadio\n" + body,
                          QUrl(QStringLiteral("qrc:/bench/View.qml")));
        std::unique_ptr<QQuickItem> item(qobject_cast<QQuickItem*>(component.create()));
        if (item) {
            item->setParentItem(window.contentItem());
            item->setSize(window.size());
        }
        return item;
    }

    // Runs until the window has shown `frames` more frames; `each` runs before every frame.
    void frames(int count, const std::function<void(int)>& each) {
        int shown = 0;
        auto connection = QObject::connect(&window, &QQuickWindow::frameSwapped, [&] { ++shown; });
        for (int frame = 0; frame < count; ++frame) {
            each(frame);
            window.requestUpdate();
            const int target = shown + 1;
            while (shown < target)
                QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
        }
        QObject::disconnect(connection);
    }

    // Seconds from creating the view to its first frame.
    std::pair<std::unique_ptr<QQuickItem>, double> open(const QByteArray& body) {
        QElapsedTimer timer;
        timer.start();
        bool shown = false;
        auto item = make(body);
        auto connection = QObject::connect(&window, &QQuickWindow::frameSwapped, [&] { shown = true; });
        window.requestUpdate();
        while (!shown)
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
        QObject::disconnect(connection);
        return {std::move(item), timer.nsecsElapsed() / 1e9};
    }
};

QQuickItem* flickableIn(QQuickItem* root, const char* name) {
    return root->findChild<QQuickItem*>(QString::fromLatin1(name));
}

// CPU seconds per frame while the view scrolls down by the same distance every frame.
double scrollCost(Stage& stage, QQuickItem* view) {
    view->setProperty("contentY", 0);
    stage.frames(20, [](int) {}); // settles the first rows and textures
    const double start = cpuSeconds();
    stage.frames(scrolledFrames,
                 [view](int frame) { view->setProperty("contentY", frame * pixelsPerFrame); });
    return (cpuSeconds() - start) / scrolledFrames;
}

const QByteArray trackList = R"(
    TrackList { model: app; ui: uiState; tracks: TrackListModel { music: app.music } })";
const QByteArray plainList = R"(
    ListView {
        objectName: "trackListView"
        model: plainRows
        spacing: 5
        clip: true
        delegate: Text {
            required property string display
            width: ListView.view.width
            height: 52
            text: display
            color: "white"
            verticalAlignment: Text.AlignVCenter
        }
    })";
const QByteArray albumGrid = "AlbumGrid { model: app; ui: uiState }";
const QByteArray plainGrid = R"(
    GridView {
        objectName: "albumGridView"
        model: plainRows
        cellWidth: 172
        cellHeight: 196
        clip: true
        delegate: Text {
            required property string display
            width: 150
            height: 174
            text: display
            color: "white"
            wrapMode: Text.Wrap
        }
    })";

bool hasDisplay(benchmark::State& state) {
    if (std::getenv("DISPLAY") != nullptr)
        return true;
    benchkit::fail(state, "needs a display: run it under scripts/with-display");
    return false;
}

// The shared stage once its library is there whole; null (the benchmark failed) otherwise.
Stage* stageWithLibrary(benchmark::State& state) {
    if (!hasDisplay(state))
        return nullptr;
    Stage& stage = Stage::shared();
    const std::size_t loaded = stage.app->music()->tracks().size();
    state.counters["tracks_loaded"] = double(loaded);
    if (loaded == std::size_t(benchkit::modelTrackCount) && stage.strings.rowCount() == int(loaded))
        return &stage;
    benchkit::fail(state,
                   fmt::format("the model loaded {} of {} tracks", loaded, benchkit::modelTrackCount).c_str());
    return nullptr;
}

void compareScrolling(benchmark::State& state, const QByteArray& music, const QByteArray& plain,
                      const char* viewName) {
    Stage* shared = stageWithLibrary(state);
    if (!shared)
        return;
    Stage& stage = *shared;
    auto musicView = stage.make(music);
    auto plainView = stage.make(plain);
    if (!musicView || !plainView) {
        benchkit::fail(state, "a view did not load");
        return;
    }
    QQuickItem* musicFlickable = flickableIn(musicView.get(), viewName);
    QQuickItem* plainFlickable =
        plainView->objectName() == QLatin1String(viewName) ? plainView.get() : nullptr;
    if (!musicFlickable || !plainFlickable) {
        benchkit::fail(state, "no scrolling view found");
        return;
    }
    double musicCost = 0, plainCost = 0;
    for (auto _ : state) {
        plainView->setVisible(true);
        musicView->setVisible(false);
        plainCost += scrollCost(stage, plainFlickable);
        plainView->setVisible(false);
        musicView->setVisible(true);
        const double cost = scrollCost(stage, musicFlickable);
        musicCost += cost;
        state.SetIterationTime(cost);
    }
    const auto runs = double(state.iterations());
    state.counters["music_cpu_ms_per_frame"] = 1000 * musicCost / runs;
    state.counters["plain_cpu_ms_per_frame"] = 1000 * plainCost / runs;
    state.counters["ratio_music_to_plain"] = musicCost / plainCost;
}

void BM_ScrollTrackList(benchmark::State& state) {
    compareScrolling(state, trackList, plainList, "trackListView");
}
BENCHMARK(BM_ScrollTrackList)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ScrollAlbumGrid(benchmark::State& state) {
    compareScrolling(state, albumGrid, plainGrid, "albumGridView");
}
BENCHMARK(BM_ScrollAlbumGrid)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_OpenTracksTab(benchmark::State& state) {
    Stage* shared = stageWithLibrary(state);
    if (!shared)
        return;
    Stage& stage = *shared;
    stage.open(plainList); // the first view made pays for the engine's first use
    double cold = 0, warm = 0, plain = 0;
    for (auto _ : state) {
        plain += stage.open(plainList).second;
        ZintraRadio::TitleOrder::of(*stage.app->music()).invalidate();
        const double first = stage.open(trackList).second;
        cold += first;
        warm += stage.open(trackList).second;
        state.SetIterationTime(first);
    }
    const auto runs = double(state.iterations());
    state.counters["music_first_ms"] = 1000 * cold / runs;
    state.counters["music_again_ms"] = 1000 * warm / runs;
    state.counters["plain_ms"] = 1000 * plain / runs;
    state.counters["ratio_first_to_plain"] = cold / plain;
    state.counters["ratio_again_to_plain"] = warm / plain;
}
BENCHMARK(BM_OpenTracksTab)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char** argv) {
    // The window goes before the application object.
    return ZazidEvoz::benchkit::runBenchmarksInSandboxWith<QApplication>(argc, argv,
                                                                         [] { Stage::instance().reset(); });
}
