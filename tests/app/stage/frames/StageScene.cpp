#include "StageScene.hpp"

#include "QtTestKit.hpp"

#include <QSet>
#include <QtTest/QTest>
#include <cmath>
#include <dlfcn.h>
#include <numbers>
#include <stdexcept>

// Mesa unloads its GL driver before the leak report runs, which then cannot name the driver's
// one-time allocations for tests/lsan.supp; held here, the driver stays loaded.
[[maybe_unused]] static void* const glDriver =
    dlopen("/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so", RTLD_NOW | RTLD_NODELETE);

namespace ZintraRadio::testkit {

ZazidEvoz::AudioFrame sampleFrame(int liftedBand, double t) {
    ZazidEvoz::AudioFrame frame = ZazidEvoz::AudioFrame::silent(64, 512);
    for (int i = 0; i < 64; ++i) {
        const double x = i / 63.0;
        double level = 0.75 * std::exp(-x * 5) + 0.25 * std::exp(-std::pow((x - 0.45) * 7, 2)) +
                       0.06 * (1 + std::sin(i * 0.45));
        if (liftedBand >= 0)
            level = i == liftedBand ? 0.9 : 0.05;
        frame.bands[i] = static_cast<float>(level);
        frame.peaks[i] = static_cast<float>(std::min(1.0, level + 0.08));
    }
    for (int i = 0; i < 512; ++i) {
        const double phase = 2 * std::numbers::pi * i / 512;
        frame.waveLeft[i] = static_cast<float>(0.5 * std::sin(3 * phase + 4 * t) +
                                               0.2 * std::sin(11 * phase) + 0.08 * std::sin(29 * phase));
        frame.waveRight[i] =
            static_cast<float>(0.45 * std::sin(3 * phase + 0.6 + 4 * t) + 0.25 * std::sin(7 * phase + 1));
    }
    frame.levelLeft = 0.6f;
    frame.levelRight = 0.55f;
    frame.bass = 0.55f;
    frame.mid = 0.35f;
    frame.treble = 0.25f;
    frame.beat = 0.4f;
    frame.energy = 0.5f;
    frame.brightness = 0.6f;
    return frame;
}

namespace {

StageFeed::Date at(double seconds) {
    return StageFeed::Date{} +
           std::chrono::duration_cast<StageFeed::Clock::duration>(std::chrono::duration<double>(seconds));
}

std::unique_ptr<StageFeed> feedOf(const std::function<ZazidEvoz::AudioFrame(double)>& frames) {
    auto feed = std::make_unique<StageFeed>(at(0));
    for (int i = 0; i <= 180; ++i)
        feed->update(frames(i / 60.0), at(i / 60.0), true);
    return feed;
}

} // namespace

std::unique_ptr<StageFeed> fixedFeed(int liftedBand) {
    return feedOf([&](double t) { return sampleFrame(liftedBand, t); });
}

std::unique_ptr<StageFeed> monoFeed() {
    return feedOf([](double t) {
        ZazidEvoz::AudioFrame frame = sampleFrame(-1, t);
        frame.waveRight = frame.waveLeft;
        return frame;
    });
}

StageScene::StageScene(QSize size) : window_(std::make_unique<QQuickWindow>()) {
    engine_.addImportPath(QStringLiteral("qrc:/qt/qml"));
    window_->setColor(Qt::black);
    window_->resize(size);
    window_->show();
    if (!QTest::qWaitForWindowExposed(window_.get()))
        throw std::runtime_error("the test window was never exposed");
}

StageScene::~StageScene() {
    root_.reset();
    window_.reset();
}

QQuickItem* StageScene::load(const QByteArray& qml, const QVariantMap& properties) {
    QQmlComponent component(&engine_);
    component.setData("import QtQuick\nimport ZintraRadio\n" + qml,
                      QUrl(QStringLiteral("file:///stage-test.qml")));
    if (component.isError())
        throw std::runtime_error(component.errorString().toStdString());
    QObject* object = component.createWithInitialProperties(properties);
    if (!object)
        throw std::runtime_error(component.errorString().toStdString());
    root_.reset(qobject_cast<QQuickItem*>(object));
    root_->setParentItem(window_->contentItem());
    root_->setSize(window_->size());
    return root_.get();
}

QImage StageScene::grab() {
    testkit::pumpFor(std::chrono::milliseconds(50));
    return window_->grabWindow().convertToFormat(QImage::Format_RGB32);
}

std::filesystem::path artefactFolder() {
    const auto folder = std::filesystem::path(ZINTRARADIO_TEST_BINARY_DIR) / "artefacts" / "stage";
    std::filesystem::create_directories(folder);
    return folder;
}

int distinctColours(const QImage& image) {
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 2)
        for (int x = 0; x < image.width(); x += 2)
            colours.insert(image.pixel(x, y));
    return static_cast<int>(colours.size());
}

} // namespace ZintraRadio::testkit
