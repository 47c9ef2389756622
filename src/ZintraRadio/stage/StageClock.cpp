#include "stage/StageClock.hpp"

#include "stage/StageShaders.hpp"
#include "state/AppModel.hpp"

#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QQuickWindow>
#include <QRunnable>
#include <QSGRendererInterface>

namespace ZintraRadio {

namespace {

// Tells the stage which renderer the window's GL context runs on.
class ProbeRenderer : public QRunnable {
public:
    void run() override {
        if (QOpenGLContext* context = QOpenGLContext::currentContext()) {
            const auto* name = reinterpret_cast<const char*>(context->functions()->glGetString(GL_RENDERER));
            StageShaders::noteRenderer(QByteArray(name ? name : ""));
        }
    }
};

constexpr int toleranceMs = 4; // vsync jitter: a frame this early still counts as due

} // namespace

StageClock::StageClock(QQuickItem* parent) : QQuickItem(parent), feed_(&ownFeed_) {
    next_.setSingleShot(true);
    next_.setTimerType(Qt::PreciseTimer);
    connect(&next_, &QTimer::timeout, this, &StageClock::advance);
    watchdog_.setSingleShot(true);
    connect(&watchdog_, &QTimer::timeout, this, &StageClock::frameShown);
    connect(this, &QQuickItem::visibleChanged, this, &StageClock::activityChanged);
}

void StageClock::setFeed(QObject* feed) {
    StageFeed* stageFeed = qobject_cast<StageFeed*>(feed);
    if (!stageFeed)
        stageFeed = &ownFeed_;
    if (stageFeed == feed_)
        return;
    feed_ = stageFeed;
    emit feedChanged();
}

void StageClock::setModel(QObject* model) {
    if (model == model_)
        return;
    model_ = model;
    source_ = {};
    if (auto* appModel = qobject_cast<AppModel*>(model)) {
        QPointer<AppModel> guarded(appModel);
        source_ = [guarded, this]() -> ZazidEvoz::AudioFrame {
            // Readers within 4 ms of each other share the pulse's one analysis.
            return guarded ? guarded->pulse().frame(ZazidEvoz::platform::now()) : silence_;
        };
    }
    emit modelChanged();
}

void StageClock::setPlaying(bool playing) {
    if (playing == playing_)
        return;
    playing_ = playing;
    emit playingChanged();
}

void StageClock::setRunning(bool running) {
    if (running == running_)
        return;
    running_ = running;
    emit runningChanged();
    activityChanged();
}

int StageClock::frameRateFor(bool softwareSceneGraph, const QByteArray& glRenderer) {
    if (softwareSceneGraph || StageShaders::isSoftwareRenderer(glRenderer))
        return 30;
    return 60;
}

bool StageClock::active() const {
    return running_ && isVisible() && window_ && window_->isVisible() &&
           window_->visibility() != QWindow::Minimized;
}

void StageClock::advance() {
    next_.stop();
    if (!feed_)
        feed_ = &ownFeed_;
    sinceAdvance_.start();
    feed_->update(source_ ? source_() : silence_, StageFeed::Clock::now(), playing_);
    ++frame_;
    emit frameChanged();
    if (active()) {
        updateFrameRate();
        watchdog_.start(2 * 1000 / frameRate_);
    }
}

void StageClock::frameShown() {
    if (!active() || next_.isActive())
        return;
    const qint64 due = 1000 / frameRate_ - (sinceAdvance_.isValid() ? sinceAdvance_.elapsed() : 1000);
    if (due <= toleranceMs)
        advance();
    else
        next_.start(int(due));
}

void StageClock::activityChanged() {
    if (active()) {
        if (!next_.isActive() && !watchdog_.isActive())
            advance();
    } else {
        next_.stop();
        watchdog_.stop();
    }
}

void StageClock::updateFrameRate() {
    const bool software = window_ && window_->rendererInterface() &&
                          window_->rendererInterface()->graphicsApi() == QSGRendererInterface::Software;
    const int rate = frameRateFor(software, StageShaders::rendererName());
    if (rate != frameRate_) {
        frameRate_ = rate;
        emit frameRateChanged();
    }
}

void StageClock::itemChange(ItemChange change, const ItemChangeData& data) {
    QQuickItem::itemChange(change, data);
    if (change != ItemSceneChange)
        return;
    disconnect(swapped_);
    disconnect(windowVisible_);
    disconnect(windowVisibility_);
    window_ = data.window;
    if (window_) {
        swapped_ = connect(window_, &QQuickWindow::frameSwapped, this, &StageClock::frameShown,
                           Qt::QueuedConnection);
        windowVisible_ = connect(window_, &QWindow::visibleChanged, this, &StageClock::activityChanged);
        windowVisibility_ = connect(window_, &QWindow::visibilityChanged, this, &StageClock::activityChanged);
        window_->scheduleRenderJob(new ProbeRenderer, QQuickWindow::BeforeSynchronizingStage);
    }
    activityChanged();
}

} // namespace ZintraRadio
