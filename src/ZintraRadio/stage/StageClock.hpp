// Drives the stage: on each advance of the window's frame driver, while the stage is visible
// and running, it takes one spectrum frame, advances the feed and moves its frame counter on,
// which the renderers watch.
#pragma once

#include "kit/FrameDriver.hpp"
#include "state/StageFeed.hpp"

#include <QPointer>
#include <QtQml/qqmlregistration.h>
#include <functional>

namespace ZintraRadio {

class StageClock : public FrameTicker {
    Q_OBJECT
    Q_PROPERTY(QObject* feed READ feedObject WRITE setFeed NOTIFY feedChanged)
    // The application model: its audio pulse gives the frames.
    Q_PROPERTY(QObject* model READ model WRITE setModel NOTIFY modelChanged)
    Q_PROPERTY(bool playing READ playing WRITE setPlaying NOTIFY playingChanged)
    Q_PROPERTY(int frame READ frame NOTIFY frameChanged)
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
    int frame() const { return frame_; }

Q_SIGNALS:
    void feedChanged();
    void modelChanged();
    void playingChanged();
    void frameChanged();

protected:
    // Advances the feed by one frame now.
    void advance() override;

private:
    StageFeed ownFeed_;
    QPointer<StageFeed> feed_;
    QPointer<QObject> model_;
    FrameSource source_;
    ZazidEvoz::AudioFrame silence_ = ZazidEvoz::AudioFrame::silent(64, 512);
    bool playing_ = false;
    int frame_ = 0;
};

} // namespace ZintraRadio
