// A window that shows stage views from QML text, fed by a feed that is always the same.
#pragma once

#include "state/StageFeed.hpp"

#include <QImage>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QVariantMap>
#include <filesystem>
#include <memory>

namespace ZintraRadio::testkit {

// A lively signal: a bass hill, a few strong bands, a stereo chord; `lift` sets one band.
ZazidEvoz::AudioFrame sampleFrame(int liftedBand = -1, double t = 0);
// A feed after three seconds of the sample signal at 60 frames a second, playing.
std::unique_ptr<StageFeed> fixedFeed(int liftedBand = -1);
// A feed fed with mono sound (left equal to right).
std::unique_ptr<StageFeed> monoFeed();

class StageScene {
public:
    explicit StageScene(QSize size = QSize(1280, 720));
    ~StageScene();

    // Creates `qml` (imports QtQuick and ZintraRadio are added) under the window's content item.
    QQuickItem* load(const QByteArray& qml, const QVariantMap& properties = {});
    QImage grab();
    QQuickWindow& window() { return *window_; }
    QQmlEngine& engine() { return engine_; }

private:
    QQmlEngine engine_;
    std::unique_ptr<QQuickWindow> window_;
    std::unique_ptr<QQuickItem> root_;
};

// Where the pictures of a run go (build/.../artefacts/stage).
std::filesystem::path artefactFolder();

// Number of distinct colours, and whether two images are the same pixel for pixel.
int distinctColours(const QImage& image);

} // namespace ZintraRadio::testkit
