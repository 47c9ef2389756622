// CPU per frame of the fallback scope on the software scene graph (offscreen) at 1280 x 720,
// against an empty QML scene of the same size in the same run.
#include "BenchMain.hpp"
#include "StageBenchScene.hpp"

#include <QApplication>
#include <QtQml/qqmlextensionplugin.h>
#include <cstdlib>

Q_IMPORT_QML_PLUGIN(ZintraRadioPlugin)

namespace {

void BM_EmptyScene(benchmark::State& state) {
    stagebench::runFrames(state, stagebench::emptyScene);
}

void BM_FallbackScope(benchmark::State& state) {
    stagebench::runFrames(state, "FallbackScope { property QtObject theFeed; feed: theFeed }");
}

} // namespace

BENCHMARK(BM_EmptyScene)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_FallbackScope)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond)->MinTime(2);

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    QApplication application(argc, argv);
    return ZazidEvoz::benchkit::runBenchmarksInSandbox(argc, argv);
}
