// Drives the stage: on the window's frames, while the stage is visible and running, it takes
// one spectrum frame, advances the feed and moves its frame counter on, which the renderers
// watch. At most 60 frames a second on a GPU, 30 on a software renderer.
#pragma once

#include "stage/StageFeed.hpp"

#include <QElapsedTimer>
#include <QPointer>
#include <QQuickItem>
#include <QTimer>
#include <QtQml/qqmlregistration.h>
#include <functional>

namespace ZintraRadio {

class StageClock : public QQuickItem {
    Q_OBJECT
    Q_PROPERTY(QObject* feed READ feedObject WRITE setFeed NOTIFY feedChanged)
    // The application model: its audio pulse gives the frames.
    Q_PROPERTY(QObject* model READ model WRITE setModel NOTIFY modelChanged)
    Q_PROPERTY(bool playing READ playing WRITE setPlaying NOTIFY playingChanged)
    Q_PROPERTY(bool running READ running WRITE setRunning NOTIFY runningChanged)
    Q_PROPERTY(int frame READ frame NOTIFY frameChanged)
    Q_PROPERTY(int frameRate READ frameRate NOTIFY frameRateChanged)
    QML_ELEMENT

public:
    using FrameSource = std::function<ZazidEvoz::AudioFrame()>;

    explicit StageClock(QQuickItem* parent = nullptr);

    // Where the frames come from; silence when unset. Setting a model sets its pulse.
    void setFrameSource(FrameSource source) { source_ = std::move(source); }
    QObject* model() const { return model_; }
    void setModel(QObject* model);

    // The feed the stage draws: its own until another one is given.
    QObject* feedObject() const { return feed_; }
    StageFeed* feed() const { return feed_; }
    void setFeed(QObject* feed);
    bool playing() const { return playing_; }
    void setPlaying(bool playing);
    bool running() const { return running_; }
    void setRunning(bool running);
    int frame() const { return frame_; }
    int frameRate() const { return frameRate_; }

    // 30 on software renderers (the scene graph's own, or OpenGL on llvmpipe), else 60.
    static int frameRateFor(bool softwareSceneGraph, const QByteArray& glRenderer);

    // Advances the feed by one frame now.
    Q_INVOKABLE void advance();

Q_SIGNALS:
    void feedChanged();
    void modelChanged();
    void playingChanged();
    void runningChanged();
    void frameChanged();
    void frameRateChanged();

protected:
    void itemChange(ItemChange change, const ItemChangeData& data) override;

private:
    bool active() const;
    void activityChanged();
    void frameShown();
    void updateFrameRate();

    StageFeed ownFeed_;
    QPointer<StageFeed> feed_;
    QPointer<QObject> model_;
    FrameSource source_;
    ZazidEvoz::AudioFrame silence_ = ZazidEvoz::AudioFrame::silent(64, 512);
    bool playing_ = false;
    bool running_ = true;
    int frame_ = 0;
    int frameRate_ = 60;
    QPointer<QQuickWindow> window_;
    QMetaObject::Connection swapped_, windowVisible_, windowVisibility_;
    QTimer next_;     // the next frame, when the window shows frames faster than the cap
    QTimer watchdog_; // keeps going when a frame brought nothing new to the window
    QElapsedTimer sinceAdvance_;
};

} // namespace ZintraRadio
