// Views on the software scene graph (no OpenGL): every mode of the stage shows the fallback
// scope, and the panels keep their tinted backgrounds.
#include "QtTestKit.hpp"
#include "kit/GradientPaint.hpp"
#include "stage/StageModes.hpp"
#include "state/StageFeed.hpp"

#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSet>
#include <QtTest/QTest>
#include <cmath>
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

// The scene graph is chosen before the first window is made.
struct SoftwareSceneGraph {
    SoftwareSceneGraph() { QQuickWindow::setGraphicsApi(QSGRendererInterface::Software); }
};

// A window on the software scene graph, shown, with the application's QML module.
struct SoftwareWindow : SoftwareSceneGraph, QQuickWindow {
    SoftwareWindow(QColor ground, QSize size) {
        engine.addImportPath(QStringLiteral("qrc:/qt/qml"));
        setColor(ground);
        resize(size);
        show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(this));
    }
    // `body` made and placed in the window; null (and a failure) when it does not load.
    std::unique_ptr<QObject> place(const char* body) {
        QQmlComponent component(&engine);
        component.setData(QByteArray("import QtQuick\nimport ZintraRadio\n") + body,
                          QUrl(QStringLiteral("file:///placed.qml")));
        std::unique_ptr<QObject> object(component.create());
        EXPECT_TRUE(object) << component.errorString().toStdString();
        if (auto* item = qobject_cast<QQuickItem*>(object.get()))
            item->setParentItem(contentItem());
        return object;
    }
    QQmlEngine engine;
};

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

// A panel's background shows its tint and its light as on a GPU, corner colours blended
// smoothly between, through a resize.
TEST(KitOnSoftware, APanelBackdropDrawsItsTintAndLight) {
    SoftwareWindow window(Qt::white, {400, 250});
    std::unique_ptr<QObject> object =
        window.place("PanelBackdrop { color: '#101020'; "
                     "direction: GradientPaint.Diagonal; colors: ['#c0602080', '#2000c0c0']; "
                     "washColor: '#8040ff40'; washCentre: Qt.point(60, 50); washRadius: 120 }");
    auto* backdrop = qobject_cast<PanelBackdrop*>(object.get());
    ASSERT_NE(backdrop, nullptr);
    for (const QSize size : {QSize(300, 200), QSize(220, 170)}) {
        SCOPED_TRACE(size.width());
        backdrop->setSize(size);
        ASSERT_TRUE(testkit::pumpUntil(
            [&] {
                const QImage image = window.grabWindow();
                return image.pixelColor(size.width() + 5, 5) == QColor(Qt::white) &&
                       image.pixelColor(size.width() - 5, 5) != QColor(Qt::white);
            },
            std::chrono::seconds(10)));
        const QImage image = window.grabWindow();
        // The corners of the backdrop's grid carry the look's own colours; between them the
        // blend is linear, as on a GPU.
        const int columns = int(std::ceil(size.width() / PanelBackdrop::gridStep));
        const int rows = int(std::ceil(size.height() / PanelBackdrop::gridStep));
        for (const auto& [column, row] : {std::pair(0, 0), std::pair(1, 1), std::pair(2, 1), std::pair(1, 3),
                                          std::pair(columns / 2, rows / 2), std::pair(columns, rows)}) {
            const QPointF corner(size.width() * column / columns, size.height() * row / rows);
            SCOPED_TRACE(testing::Message() << corner.x() << "," << corner.y());
            const QColor expected = backdropColour(backdrop->look(), QSizeF(size), corner);
            const QColor drawn = image.pixelColor(std::min(int(corner.x()), size.width() - 1),
                                                  std::min(int(corner.y()), size.height() - 1));
            EXPECT_NEAR(drawn.red(), expected.red(), 6);
            EXPECT_NEAR(drawn.green(), expected.green(), 6);
            EXPECT_NEAR(drawn.blue(), expected.blue(), 6);
        }
    }
}

// A card plate draws its fill, its border and its rounded corners without custom geometry.
TEST(KitOnSoftware, ACardPlateDrawsItsFillBorderAndCorners) {
    SoftwareWindow window(Qt::black, {300, 200});
    std::unique_ptr<QObject> object =
        window.place("CardPlate { x: 20; y: 20; width: 200; height: 100; "
                     "radius: 20; color: '#4080ff'; borderWidth: 3; borderColor: '#ff0000' }");
    ASSERT_NE(object, nullptr);
    ASSERT_TRUE(
        testkit::pumpUntil([&] { return window.grabWindow().pixelColor(120, 70) == QColor("#4080ff"); },
                           std::chrono::seconds(10)));
    const QImage image = window.grabWindow();
    EXPECT_EQ(image.pixelColor(120, 21), QColor("#ff0000")); // the border along the top
    EXPECT_EQ(image.pixelColor(21, 70), QColor("#ff0000"));  // and down the left
    EXPECT_EQ(image.pixelColor(22, 22), QColor(Qt::black));  // outside the rounded corner
}
