// The stage on the software scene graph (no OpenGL): every mode shows the fallback scope.
#include "QtTestKit.hpp"
#include "stage/StageFeed.hpp"
#include "stage/StageModes.hpp"

#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSet>
#include <QtTest/QTest>
#include <filesystem>
#include <gtest/gtest.h>
#include <numbers>

using namespace ZintraRadio;

namespace {

std::unique_ptr<StageFeed> playedFeed() {
    auto feed = std::make_unique<StageFeed>(StageFeed::Date{});
    ZazidEvoz::AudioFrame frame = ZazidEvoz::AudioFrame::silent(64, 512);
    for (int i = 0; i < 512; ++i) {
        frame.waveLeft[i] = static_cast<float>(0.6 * std::sin(2 * std::numbers::pi * 3 * i / 512));
        frame.waveRight[i] = static_cast<float>(0.4 * std::sin(2 * std::numbers::pi * 5 * i / 512));
    }
    frame.bands.assign(64, 0.4f);
    frame.energy = 0.5f;
    for (int i = 0; i <= 120; ++i)
        feed->update(frame, StageFeed::Date{} + std::chrono::milliseconds(i * 16), true);
    return feed;
}

} // namespace

TEST(StageOnSoftware, EveryModeDrawsTheFallbackScope) {
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    auto feed = playedFeed();
    QQmlEngine engine;
    engine.addImportPath(QStringLiteral("qrc:/qt/qml"));
    QQuickWindow window;
    window.resize(640, 360);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    testing::internal::CaptureStderr();
    for (const StageMode& mode : stageModes()) {
        SCOPED_TRACE(mode.raw());
        QQmlComponent component(&engine);
        component.setData(
            "import QtQuick\nimport ZintraRadio\nModeRenderer { property QtObject theFeed; feed: theFeed }",
            QUrl(QStringLiteral("file:///software.qml")));
        std::unique_ptr<QObject> object(component.createWithInitialProperties(
            {{"theFeed", QVariant::fromValue<QObject*>(feed.get())},
             {"mode", QString::fromUtf8(mode.raw().data(), qsizetype(mode.raw().size()))}}));
        ASSERT_TRUE(object) << component.errorString().toStdString();
        auto* renderer = qobject_cast<QQuickItem*>(object.get());
        renderer->setParentItem(window.contentItem());
        renderer->setSize(window.size());
        testkit::pumpFor(std::chrono::milliseconds(50));

        auto* loader = renderer->findChild<QQuickItem*>(QStringLiteral("modeDrawing"));
        ASSERT_TRUE(loader);
        auto* drawing = loader->property("item").value<QObject*>();
        ASSERT_TRUE(drawing);
        EXPECT_EQ(drawing->objectName(), QStringLiteral("fallbackScope"));

        const QImage image = window.grabWindow();
        if (mode.mode == VisualizerMode::zintra) {
            const auto folder = std::filesystem::path(ZINTRARADIO_TEST_BINARY_DIR) / "artefacts" / "stage";
            std::filesystem::create_directories(folder);
            image.save(QString::fromStdString((folder / "fallback-software.png").string()));
        }
        QSet<QRgb> colours;
        for (int y = 0; y < image.height(); y += 3)
            for (int x = 0; x < image.width(); x += 3)
                colours.insert(image.pixel(x, y));
        EXPECT_GT(colours.size(), 3) << "two coloured waves over the night";
    }
    const std::string written = testing::internal::GetCapturedStderr();
    EXPECT_EQ(written, "shaders: ZintraRadioShaders.metallib not found, shader stages off\n");
}
