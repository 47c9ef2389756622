// CPU per frame of each visualizer mode at 1280 x 720 on OpenGL under Xvfb (llvmpipe),
// against an empty QML scene of the same size in the same run. Without a display the program
// starts itself again under scripts/with-display.
#include "BenchMain.hpp"
#include "StageBenchScene.hpp"

#include <QApplication>
#include <QtQml/qqmlextensionplugin.h>
#include <cstdlib>
#include <unistd.h>
#include <vector>

Q_IMPORT_QML_PLUGIN(ZintraRadioPlugin)

namespace {

void BM_EmptyScene(benchmark::State& state) {
    stagebench::runFrames(state, stagebench::emptyScene);
}

// The empty scene drawn through a half-size layer, as the shader modes are on a software
// rasteriser: the least a shader mode can cost there, whatever its shader does.
void BM_EmptySceneInHalfLayer(benchmark::State& state) {
    stagebench::runFrames(state, stagebench::emptyScene.chopped(1) +
                                     "; layer.enabled: true; layer.textureSize: Qt.size(640, 360); "
                                     "layer.smooth: true }");
}

void BM_Mode(benchmark::State& state, const char* mode) {
    stagebench::runFrames(state, stagebench::modeScene(mode));
}

} // namespace

BENCHMARK(BM_EmptyScene)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_EmptySceneInHalfLayer)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK_CAPTURE(BM_Mode, zintra, "zintra")
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2);
BENCHMARK_CAPTURE(BM_Mode, scope, "scope")
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2);
BENCHMARK_CAPTURE(BM_Mode, spectrum, "spectrum")
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2);
BENCHMARK_CAPTURE(BM_Mode, terrain, "terrain")
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2);
BENCHMARK_CAPTURE(BM_Mode, vectorscope, "vectorscope")
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2);
BENCHMARK_CAPTURE(BM_Mode, plasma, "plasma")
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2);
BENCHMARK_CAPTURE(BM_Mode, aurora, "aurora")
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2);
BENCHMARK_CAPTURE(BM_Mode, warp, "warp")->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond)->MinTime(2);

int main(int argc, char** argv) {
    if (std::getenv("DISPLAY") == nullptr && std::getenv("ZINTRARADIO_BENCH_RESTARTED") == nullptr) {
        ::setenv("ZINTRARADIO_BENCH_RESTARTED", "1", 1);
        std::vector<char*> arguments{const_cast<char*>(ZINTRARADIO_WITH_DISPLAY)};
        for (int i = 0; i < argc; ++i)
            arguments.push_back(argv[i]);
        arguments.push_back(nullptr);
        ::execv(ZINTRARADIO_WITH_DISPLAY, arguments.data());
        std::perror("with-display");
        return 1;
    }
    QQuickWindow::setGraphicsApi(QSGRendererInterface::OpenGL);
    QApplication application(argc, argv);
    return ZazidEvoz::benchkit::runBenchmarksInSandbox(argc, argv);
}
