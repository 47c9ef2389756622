// One window of 1280 x 720 that draws a stage view frame after frame as fast as the scene
// graph renders (Xvfb has no vertical sync), for the render benchmarks: each benchmark
// iteration is one frame, timed as the CPU time of the whole process (GUI thread, render
// thread and the software rasteriser's threads) against an empty scene in the same run.
#pragma once

#include "StageBenchFrames.hpp"
#include "state/StageFeed.hpp"

#include <QCoreApplication>
#include <QEventLoop>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <benchmark/benchmark.h>
#include <chrono>
#include <memory>

namespace stagebench {

class Scene {
public:
    explicit Scene(const QByteArray& qml) : window_(std::make_unique<QQuickWindow>()) {
        engine_.addImportPath(QStringLiteral("qrc:/qt/qml"));
        window_->resize(1280, 720);
        QQmlComponent component(&engine_);
        component.setData("import QtQuick\nimport ZintraRadio\n" + qml,
                          QUrl(QStringLiteral("file:///bench.qml")));
        root_.reset(qobject_cast<QQuickItem*>(
            component.createWithInitialProperties({{"theFeed", QVariant::fromValue<QObject*>(&feed_)}})));
        if (!root_)
            qFatal("%s", qPrintable(component.errorString()));
        root_->setParentItem(window_->contentItem());
        root_->setSize(window_->size());
        window_->show();
        for (int i = 0; i < 30; ++i) // warm up: shaders compiled, textures made
            frame();
    }

    // Advances the feed, lets the view take the new frame and waits until it is on screen.
    void frame() {
        feed_.update(liveFrame(t_), date_, true);
        t_ += 1.0 / 60;
        date_ += std::chrono::microseconds(16667);
        root_->setProperty("frame", ++frame_);
        // Sleeps until the render thread reports the frame shown, so waiting costs no CPU.
        QEventLoop wait;
        QObject::connect(window_.get(), &QQuickWindow::frameSwapped, &wait, &QEventLoop::quit,
                         Qt::QueuedConnection);
        window_->update();
        wait.exec();
    }

private:
    QQmlEngine engine_;
    ZintraRadio::StageFeed feed_{ZintraRadio::StageFeed::Date{}};
    std::unique_ptr<QQuickWindow> window_;
    std::unique_ptr<QQuickItem> root_;
    double t_ = 0;
    ZintraRadio::StageFeed::Date date_{};
    int frame_ = 0;
};

// The empty scene: a plain item whose colour changes every frame, so every frame is drawn.
inline const QByteArray emptyScene = "Rectangle { property QtObject theFeed; property int frame; color: "
                                     "Qt.rgba(0.01 * (frame % 2), 0.02, 0.06, 1) }";

inline QByteArray modeScene(const char* mode) {
    return QByteArray("ModeRenderer { property QtObject theFeed; feed: theFeed; mode: \"") + mode + "\" }";
}

inline void runFrames(benchmark::State& state, const QByteArray& qml) {
    Scene scene(qml);
    for (auto _ : state)
        scene.frame();
}

} // namespace stagebench
