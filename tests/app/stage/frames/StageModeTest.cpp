// The modes on OpenGL: what each shows of the sound, the fallback when shaders are missing
// or broken, and the mode switch.
#include "MessageGate.hpp"
#include "QtTestKit.hpp"
#include "StageScene.hpp"
#include "stage/ModeShaderInput.hpp"
#include "stage/StageModes.hpp"
#include "stage/StageShaders.hpp"
#include "stage/StageSurface.hpp"
#include "stage/VectorscopeCanvas.hpp"
#include "support/Sandbox.hpp"

#include <QFile>
#include <gtest/gtest.h>

using namespace ZintraRadio;
using namespace ZintraRadio::testkit;
using namespace std::chrono_literals;

namespace {

const QByteArray rendererQml = "ModeRenderer { property QtObject theFeed; feed: theFeed }";

QVariantMap feedProperty(StageFeed& feed) {
    return {{"theFeed", QVariant::fromValue<QObject*>(&feed)}};
}

double luminance(QRgb pixel) {
    return 0.2126 * qRed(pixel) + 0.7152 * qGreen(pixel) + 0.0722 * qBlue(pixel);
}

// The x of the column whose light reaches highest.
int tallestColumn(const QImage& image) {
    int best = 0, bestTop = image.height();
    for (int x = 0; x < image.width(); ++x)
        for (int y = 0; y < bestTop; ++y)
            if (luminance(image.pixel(x, y)) > 120) {
                best = x;
                bestTop = y;
                break;
            }
    return best;
}

// What the renderer draws now (an item it let go of may linger until deleted).
QObject* drawingItem(QQuickItem* renderer) {
    auto* loader = renderer->findChild<QQuickItem*>(QStringLiteral("modeDrawing"));
    return loader ? loader->property("item").value<QObject*>() : nullptr;
}

StageSurface* surfaceOf(QQuickItem* renderer) {
    return qobject_cast<StageSurface*>(drawingItem(renderer));
}

// "fallback", or the mode a surface draws.
QString drawingOf(QQuickItem* renderer) {
    QObject* item = drawingItem(renderer);
    if (!item)
        return {};
    if (item->objectName() == QLatin1String("fallbackScope"))
        return QStringLiteral("fallback");
    if (auto* surface = qobject_cast<StageSurface*>(item))
        return surface->mode();
    return QStringLiteral("other");
}

QString modeName(const StageMode& mode) {
    return QString::fromUtf8(mode.raw().data(), qsizetype(mode.raw().size()));
}

// Points the shader lookup at `folder` for the life of the object.
class ShaderFolder {
public:
    explicit ShaderFolder(const QString& folder) { StageShaders::instance().setFolder(folder); }
    ~ShaderFolder() { StageShaders::instance().setFolder(QStringLiteral(":/shaders/stage/shaders")); }
};

} // namespace

TEST(StageModes, SpectrumBarFollowsTheLiftedBand) {
    int columns[2] = {};
    const int bands[2] = {8, 52};
    for (int i = 0; i < 2; ++i) {
        auto feed = fixedFeed(bands[i]);
        StageScene scene;
        QQuickItem* renderer = scene.load(rendererQml, feedProperty(*feed));
        renderer->setProperty("mode", QStringLiteral("spectrum"));
        const QImage image = scene.grab();
        columns[i] = tallestColumn(image);
        image.save(QString::fromStdString(
            (artefactFolder() / ("spectrum-band-" + std::to_string(bands[i]) + ".png")).string()));
    }
    // Bands run from left to right over the width: band 8 in the left quarter, 52 in the right.
    EXPECT_LT(columns[0], 1280 / 4);
    EXPECT_GT(columns[1], 1280 * 3 / 4);
}

TEST(StageModes, MonoSoundStandsOnTheVectorscopesVerticalAxis) {
    auto feed = monoFeed();
    StageScene scene;
    QQuickItem* renderer = scene.load(rendererQml, feedProperty(*feed));
    renderer->setProperty("mode", QStringLiteral("vectorscope"));
    const QImage image = scene.grab();
    image.save(QString::fromStdString((artefactFolder() / "vectorscope-mono.png").string()));
    const VectorscopeLayout scope = Vectorscope::layout(image.size());
    double vertical = 0, horizontal = 0;
    for (int d = -int(scope.radius / 2); d <= int(scope.radius / 2); ++d) {
        if (std::abs(d) < 6)
            continue; // the crossing of the axes belongs to both
        vertical += luminance(image.pixel(int(scope.centre.x()), int(scope.centre.y()) + d));
        horizontal += luminance(image.pixel(int(scope.centre.x()) + d, int(scope.centre.y())));
    }
    EXPECT_GT(vertical, 2.5 * horizontal);

    // The bloom lays light beside the thin line, which its shrunk copy must not lose.
    auto besideTheLine = [&](const QImage& picture) {
        double sum = 0;
        for (int y = int(scope.centre.y() - 0.45 * scope.radius);
             y < int(scope.centre.y() - 0.3 * scope.radius); ++y)
            for (int dx : {-9, -8, -7, 7, 8, 9})
                sum += luminance(picture.pixel(int(scope.centre.x()) + dx, y));
        return sum;
    };
    StageSurface* bloom = surfaceOf(renderer);
    ASSERT_TRUE(bloom);
    EXPECT_EQ(bloom->bloomRadius(), 6);
    EXPECT_EQ(bloom->bloomStrength(), 0.45);
    bloom->setBloomStrength(0);
    const double unlit = besideTheLine(scene.grab());
    EXPECT_GT(besideTheLine(image), 1.3 * unlit);
}

TEST(StageModes, WithoutShaderFilesEveryModeDrawsTheFallbackScope) {
    auto feed = fixedFeed();
    testing::internal::CaptureStderr();
    {
        ShaderFolder missing(
            QString::fromStdString(ZazidEvoz::testkit::makeTemporaryFolder("no-shaders").string()));
        for (const StageMode& mode : stageModes()) {
            SCOPED_TRACE(mode.raw());
            StageScene scene(QSize(480, 270));
            QQuickItem* renderer = scene.load(rendererQml, feedProperty(*feed));
            renderer->setProperty("mode", modeName(mode));
            const QImage image = scene.grab();
            EXPECT_EQ(drawingOf(renderer), QStringLiteral("fallback"));
            EXPECT_GT(distinctColours(image), 3);
        }
    }
    const std::string written = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), 1) << written;
    EXPECT_NE(written.find("shaders: "), std::string::npos) << written;
    EXPECT_NE(written.find("shader stages off"), std::string::npos) << written;
}

TEST(StageModes, ABrokenShaderTurnsEveryModeToTheFallback) {
    const auto folder = ZazidEvoz::testkit::makeTemporaryFolder("broken-shaders");
    for (const QString& name : StageShaders::requiredShaders()) {
        QFile file(QString::fromStdString((folder / (name.toStdString() + ".frag.glsl")).string()));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("not a shader");
    }
    auto feed = fixedFeed();
    // What Qt says of the sources that do not compile is expected here.
    testkit::expectMessage(QStringLiteral(
        "^QOpenGLShader::compile\\(Fragment\\)|^\\*\\*\\* Problematic Fragment shader source code"));
    testing::internal::CaptureStderr();
    {
        ShaderFolder broken(QString::fromStdString(folder.string()));
        StageScene scene(QSize(480, 270));
        QQuickItem* renderer =
            scene.load("ModeRenderer { property QtObject theFeed; feed: theFeed; mode: \"aurora\" }",
                       feedProperty(*feed));
        scene.grab();
        EXPECT_TRUE(pumpUntil([&] { return drawingOf(renderer) == QLatin1String("fallback"); }, 5s));
        renderer->setProperty("mode", QStringLiteral("terrain"));
        EXPECT_EQ(drawingOf(renderer), QStringLiteral("fallback"));
    }
    const std::string written = testing::internal::GetCapturedStderr();
    EXPECT_NE(written.find("shaders: auroraSky failed to load, shader stages off\n"), std::string::npos)
        << written;
}

TEST(StageModes, EachModeDrawsItsOwnPictureWhileShadersWork) {
    auto feed = fixedFeed();
    StageScene scene(QSize(480, 270));
    QQuickItem* renderer = scene.load(rendererQml, feedProperty(*feed));
    QList<QImage> pictures;
    for (const StageMode& mode : stageModes()) {
        renderer->setProperty("mode", modeName(mode));
        pictures.append(scene.grab());
        EXPECT_EQ(drawingOf(renderer), modeName(mode));
        EXPECT_FALSE(pictures.mid(0, pictures.size() - 1).contains(pictures.last())) << mode.raw();
    }
}

TEST(StageModes, ShaderMotionRepeatsOnTheWrapPeriod) {
    // The feed hands time and phases over modulo the period; a shader whose motion does not
    // repeat on it jumps every time they wrap round.
    auto feed = fixedFeed();
    const double period = StageFeed::shaderPeriod;
    for (const StageMode& mode : stageModes()) {
        if (mode.drawing != StageDrawing::Shader)
            continue;
        SCOPED_TRACE(mode.raw());
        StageScene scene(QSize(480, 270));
        QQuickItem* renderer = scene.load(rendererQml, feedProperty(*feed));
        renderer->setProperty("mode", modeName(mode));
        scene.grab();
        StageSurface* surface = surfaceOf(renderer);
        ASSERT_TRUE(surface);
        auto frameAt = [&](double value) {
            ModeShaderValues values = ModeShaderInput::values(mode, *feed);
            values.time = static_cast<float>(value);
            values.phase = static_cast<float>(value);
            surface->poseValues(values);
            return scene.grab();
        };
        const QImage start = frameAt(0);
        const QImage wrapped = frameAt(period);
        int differing = 0;
        for (int y = 0; y < start.height(); ++y)
            for (int x = 0; x < start.width(); ++x) {
                const QRgb a = start.pixel(x, y), b = wrapped.pixel(x, y);
                const int difference = std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                                                 std::abs(qBlue(a) - qBlue(b))});
                differing += difference > 24;
            }
        EXPECT_LT(differing, start.width() * start.height() / 1000) << "pixels that jump at the wrap";
        if (mode.mode != VisualizerMode::spectrum) { // the bars stand on the bands alone
            EXPECT_FALSE(frameAt(period / 2) == start) << "the shader moves with time and phase";
        }
    }
}

TEST(StageCanvas, ModeSwitchGrowsTheNewRendererInAndShrinksTheOldOut) {
    for (bool reduced : {false, true}) {
        SCOPED_TRACE(reduced ? "reduced motion" : "full motion");
        StageScene scene(QSize(480, 270));
        QQuickItem* canvas = scene.load("StageCanvas { mode: \"scope\" }");
        canvas->setProperty("reducedMotion", reduced);
        scene.grab();
        auto* first = canvas->property("renderer").value<QQuickItem*>();
        ASSERT_TRUE(first);
        canvas->setProperty("mode", QStringLiteral("warp"));
        auto* second = canvas->property("renderer").value<QQuickItem*>();
        ASSERT_NE(first, second);
        EXPECT_EQ(second->property("mode").toString(), QStringLiteral("warp"));
        pumpFor(60ms);
        if (reduced) {
            EXPECT_EQ(second->scale(), 1.0);
            EXPECT_EQ(first->scale(), 1.0);
        } else {
            EXPECT_GT(second->scale(), 1.0);
            EXPECT_LT(first->scale(), 1.0);
        }
        EXPECT_LT(second->opacity(), 1.0);
        QPointer<QQuickItem> old(first);
        EXPECT_TRUE(pumpUntil([&] { return old.isNull(); }, 3s)) << "the old renderer goes once faded";
        EXPECT_EQ(second->scale(), 1.0);
        EXPECT_EQ(second->opacity(), 1.0);
    }
}

TEST(StageCanvas, UnknownStoredModeShowsZintra) {
    StageScene scene(QSize(480, 270));
    QQuickItem* canvas = scene.load("StageCanvas { mode: \"\" }");
    EXPECT_EQ(canvas->property("renderer").value<QQuickItem*>()->property("mode").toString(),
              QStringLiteral("zintra"));
}
