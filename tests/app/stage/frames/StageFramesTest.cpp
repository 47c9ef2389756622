// The window's frames on OpenGL: one frame per advance of the stage, whatever else moves with
// it, the rate rule for a GPU and a software rasteriser, and no advance while nothing shows.
#include "QtTestKit.hpp"
#include "StageScene.hpp"
#include "kit/FrameDriver.hpp"
#include "stage/StageClock.hpp"

#include <QGuiApplication>
#include <atomic>
#include <gtest/gtest.h>
#include <memory>
#include <xcb/xcb.h>

using namespace ZintraRadio;
using namespace ZintraRadio::testkit;
using namespace std::chrono_literals;

namespace {

// Resets the process-wide playback flag when a test ends.
class Playing {
public:
    explicit Playing(bool playing) { FrameDriver::setPlaying(playing); }
    ~Playing() { FrameDriver::setPlaying(false); }
};

// What happened between one advance of the stage and the next.
struct Advance {
    int frames = 0;           // window frames shown since the previous advance
    double sincePrevious = 0; // seconds on the frame driver's clock
};

// Counts the window's frames on the render thread as they are swapped. Made before the
// window's frame driver, it counts each frame before the driver hears of it: the advance that
// follows a frame always finds it counted, however late the threads get to run.
class SwapCounter {
public:
    explicit SwapCounter(QQuickWindow& window) {
        EXPECT_EQ(window.findChild<FrameDriver*>(), nullptr) << "made before the driver";
        connection_ = QObject::connect(
            &window, &QQuickWindow::frameSwapped, &window, [count = count_] { ++*count; },
            Qt::DirectConnection);
    }
    ~SwapCounter() { QObject::disconnect(connection_); }
    int count() const { return *count_; }

private:
    // Shared with the slot: a frame swapped while the counter goes still finds it.
    std::shared_ptr<std::atomic<int>> count_ = std::make_shared<std::atomic<int>>(0);
    QMetaObject::Connection connection_;
};

// Records the window's frames and the stage's advances until `count` advances were seen.
std::vector<Advance> recordAdvances(const SwapCounter& swaps, StageClock& clock, int count) {
    std::vector<Advance> advances;
    int seen = swaps.count();
    double last = -1;
    // The driver's own time of each advance: how late this test gets to see it on a busy
    // machine does not matter.
    const auto advanced = QObject::connect(&clock, &StageClock::frameChanged, &clock, [&] {
        const double now = clock.elapsed();
        const int swapped = swaps.count();
        advances.push_back({swapped - seen, last < 0 ? 0 : now - last});
        seen = swapped;
        last = now;
    });
    const bool done = pumpUntil([&] { return static_cast<int>(advances.size()) > count; }, 60s);
    QObject::disconnect(advanced);
    EXPECT_TRUE(done) << "the stage stopped advancing";
    // The first advance came before the frames were counted.
    if (!advances.empty())
        advances.erase(advances.begin());
    return advances;
}

// One window frame for each advance over the span. On a machine loaded past its cores a frame
// can be swapped only after the next advance has begun, so a single span may count 0 and the
// next 2; a second frame per advance would double the whole.
void expectOneFrameEach(const std::vector<Advance>& advances) {
    int frames = 0;
    for (const Advance& advance : advances) {
        EXPECT_LE(advance.frames, 2) << "advance " << &advance - advances.data();
        frames += advance.frames;
    }
    EXPECT_NEAR(frames, static_cast<int>(advances.size()), 1);
}

StageClock* clockOf(QQuickItem* canvas) {
    return canvas->property("clock").value<StageClock*>();
}

// Unmaps the window as a window manager does for an iconified window or another workspace:
// Qt still holds it visible, but it is no longer exposed.
void mapWindow(QWindow& window, bool mapped) {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    ASSERT_TRUE(x11);
    const auto id = static_cast<xcb_window_t>(window.winId());
    if (mapped)
        xcb_map_window(x11->connection(), id);
    else
        xcb_unmap_window(x11->connection(), id);
    xcb_flush(x11->connection());
}

} // namespace

TEST(StageFrames, EachAdvanceOfTheStageIsOneWindowFrameAtTheRendersRate) {
    struct Case {
        const char* mode;
        RendererKind renderer;
        bool playing;
        int rate;
    };
    const Case cases[] = {
        {"zintra", RendererKind::Software, false, 12}, {"zintra", RendererKind::Software, true, 30},
        {"zintra", RendererKind::Gpu, false, 30},      {"zintra", RendererKind::Gpu, true, 60},
        {"terrain", RendererKind::Software, true, 30}, {"vectorscope", RendererKind::Gpu, false, 30},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.mode) + (c.renderer == RendererKind::Gpu ? ", GPU" : ", software") +
                     (c.playing ? ", playing" : ", idle"));
        Playing playing(c.playing);
        StageScene scene(QSize(480, 270));
        SwapCounter swaps(scene.window());
        FrameDriver::of(&scene.window())->setRendererKind(c.renderer);
        QQuickItem* canvas = scene.load("StageCanvas { mode: \"" + QByteArray(c.mode) + "\" }");
        StageClock* clock = clockOf(canvas);
        ASSERT_TRUE(clock);
        EXPECT_EQ(FrameDriver::of(&scene.window())->frameRate(), c.rate);
        // The first frames of a new window settle it (glyphs, framebuffers) on frames of their own.
        ASSERT_TRUE(pumpUntil([&] { return clock->frame() > 12; })) << "warmed up";

        // Over the span every advance is one window frame, and none comes sooner after the
        // one before than the rate allows (timers wake to the millisecond); a busy machine
        // only makes them later.
        const auto advances = recordAdvances(swaps, *clock, 24);
        for (const Advance& advance : advances)
            EXPECT_GE(advance.sincePrevious, 1.0 / c.rate - 0.001)
                << "advance " << &advance - advances.data();
        expectOneFrameEach(advances);
    }
}

TEST(StageFrames, DecorativeMotionMovesOnTheStagesFramesAddingNone) {
    Playing playing(true);
    StageScene scene(QSize(640, 270));
    SwapCounter swaps(scene.window());
    FrameDriver::of(&scene.window())->setRendererKind(RendererKind::Software);
    QQuickItem* root = scene.load(R"(Item {
        property alias canvas: canvas
        StageCanvas { id: canvas; width: 400; height: 270; mode: "zintra" }
        PlayButton { objectName: "play"; x: 420; y: 20; playing: true }
        LiveBadge { objectName: "badge"; x: 500; y: 30 }
        EqualizerGlyph { x: 580; y: 30 }
        LoadingWave { x: 420; y: 120 }
    })");
    StageClock* clock = clockOf(root->property("canvas").value<QQuickItem*>());
    ASSERT_TRUE(clock);
    auto* ring = root->findChild<QQuickItem*>(QStringLiteral("playRing"));
    auto* badge = root->findChild<QQuickItem*>(QStringLiteral("badge"));
    ASSERT_TRUE(ring && badge);
    ASSERT_TRUE(pumpUntil([&] { return clock->frame() > 12; }));

    const double turnedFrom = ring->rotation(), pulsedFrom = badge->property("pulse").toDouble();
    expectOneFrameEach(recordAdvances(swaps, *clock, 20));
    EXPECT_NE(ring->rotation(), turnedFrom) << "the ring turns";
    EXPECT_NE(badge->property("pulse").toDouble(), pulsedFrom) << "the badge pulses";
}

// A panel beside the stage is drawn from its cached picture while it stands still and as it is
// while something in it moves; either way the stage's advances cost one window frame each.
TEST(StageFrames, AStillLayerAddsNoFramesWhetherItsContentMovesOrNot) {
    StageScene scene(QSize(640, 270));
    SwapCounter swaps(scene.window());
    FrameDriver::of(&scene.window())->setRendererKind(RendererKind::Software);
    QQuickItem* root = scene.load(R"(Item {
        property alias canvas: canvas
        property alias panel: panel
        property alias glyph: glyph
        StageCanvas { id: canvas; width: 400; height: 270; mode: "zintra" }
        StillLayer {
            id: panel
            x: 400; width: 240; height: 270
            Rectangle { anchors.fill: parent; radius: 12; color: "#202040" }
            Text { x: 20; y: 20; text: "Deutschlandfunk"; color: "white" }
            Loader { id: glyph; x: 20; y: 60; active: false; sourceComponent: EqualizerGlyph {} }
            EqualizerGlyph { x: 60; y: 60; visible: false }
        }
    })");
    StageClock* clock = clockOf(root->property("canvas").value<QQuickItem*>());
    auto* panel = root->property("panel").value<QQuickItem*>();
    auto* glyph = root->property("glyph").value<QQuickItem*>();
    ASSERT_TRUE(clock && panel && glyph);
    auto cached = [panel] {
        return panel->property("layer").value<QObject*>()->property("enabled").toBool();
    };
    ASSERT_TRUE(pumpUntil([&] { return clock->frame() > 12; }));

    EXPECT_TRUE(panel->property("still").toBool()) << "a hidden glyph moves nothing";
    EXPECT_TRUE(cached());
    {
        SCOPED_TRACE("still");
        expectOneFrameEach(recordAdvances(swaps, *clock, 12));
    }

    glyph->setProperty("active", true);
    EXPECT_FALSE(panel->property("still").toBool());
    EXPECT_FALSE(cached());
    {
        SCOPED_TRACE("moving");
        expectOneFrameEach(recordAdvances(swaps, *clock, 12));
    }

    // The glyph goes with its loader; the panel stands still again.
    glyph->setProperty("active", false);
    EXPECT_TRUE(pumpUntil([&] { return panel->property("still").toBool(); }));
    EXPECT_TRUE(cached());
    glyph->setProperty("active", true); // and goes with the scene, still moving
}

TEST(StageFrames, NothingAdvancesWhileTheStageDoesNotShow) {
    enum class Hidden { item, stopped, unmapped };
    for (Hidden how : {Hidden::item, Hidden::stopped, Hidden::unmapped}) {
        SCOPED_TRACE(how == Hidden::item      ? "item hidden"
                     : how == Hidden::stopped ? "stopped"
                                              : "window unmapped");
        StageScene scene(QSize(480, 270));
        QQuickItem* canvas = scene.load("StageCanvas { mode: \"scope\" }");
        StageClock* clock = clockOf(canvas);
        FrameDriver* driver = FrameDriver::of(&scene.window());
        ASSERT_TRUE(pumpUntil([&] { return clock->frame() > 3; }));

        auto hide = [&](bool hidden) {
            if (how == Hidden::item)
                canvas->setVisible(!hidden);
            else if (how == Hidden::stopped)
                clock->setRunning(!hidden);
            else
                mapWindow(scene.window(), !hidden);
        };
        hide(true);
        ASSERT_TRUE(pumpUntil([&] { return !driver->ticking(); }, 20s)) << "the driver rests";
        if (how == Hidden::unmapped) {
            EXPECT_FALSE(scene.window().isExposed());
        }
        const int rested = clock->frame();
        QCoreApplication::processEvents();
        EXPECT_EQ(clock->frame(), rested);
        EXPECT_FALSE(driver->ticking());

        hide(false);
        EXPECT_TRUE(pumpUntil([&] { return clock->frame() > rested + 3; })) << "and starts again";
    }
}
