#include "kit/FrameDriver.hpp"

#include "state/Observable.hpp"

#include <QEvent>
#include <QJSEngine>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QQuickWindow>
#include <QRunnable>
#include <QSGRendererInterface>
#include <algorithm>
#include <cmath>
#include <functional>

namespace ZintraRadio {

namespace {

bool playingNow = false;

// A ticker whose cap is due this much early still advances: timers and frames jitter.
constexpr double capSlack = 0.004;
// An advance that changed something asks the window for a frame within a few milliseconds
// (the platform's update request); after this long without one, no frame is coming.
constexpr int requestGraceMs = 40;
// Waiting for a frame that was asked for ends after this long whatever happens.
constexpr int frameWatchdogMs = 1000;

// Reads the name of the OpenGL renderer on the render thread and hands it to the driver.
class ProbeRenderer : public QRunnable {
public:
    explicit ProbeRenderer(std::function<void(QByteArray)> report) : report_(std::move(report)) {}
    void run() override {
        QOpenGLContext* context = QOpenGLContext::currentContext();
        if (!context)
            return;
        const auto* name = reinterpret_cast<const char*>(context->functions()->glGetString(GL_RENDERER));
        report_(QByteArray(name ? name : ""));
    }

private:
    std::function<void(QByteArray)> report_;
};

} // namespace

int frameRateFor(RendererKind kind, bool playing) {
    if (kind == RendererKind::Software)
        return playing ? 30 : 12;
    return playing ? 60 : 30;
}

bool isSoftwareRasteriser(const QByteArray& glRenderer) {
    return glRenderer.contains("llvmpipe") || glRenderer.contains("softpipe");
}

// ---- FrameDriver

FrameDriver* FrameDriver::of(QQuickWindow* window) {
    if (!window)
        return nullptr;
    if (auto* driver = window->findChild<FrameDriver*>(QString(), Qt::FindDirectChildrenOnly))
        return driver;
    return new FrameDriver(window);
}

FrameDriver::FrameDriver(QQuickWindow* window) : QObject(window), window_(window) {
    clock_.start();
    next_.setSingleShot(true);
    next_.setTimerType(Qt::PreciseTimer);
    connect(&next_, &QTimer::timeout, this, &FrameDriver::advance);
    watchdog_.setSingleShot(true);
    connect(&watchdog_, &QTimer::timeout, this, &FrameDriver::waitEnded);
    window->installEventFilter(this);
    connect(window, &QQuickWindow::frameSwapped, this, &FrameDriver::frameShown, Qt::QueuedConnection);
    connect(window, &QWindow::visibleChanged, this, &FrameDriver::exposureChanged);
    connect(window, &QWindow::visibilityChanged, this, &FrameDriver::exposureChanged);
    connect(&Frames::instance(), &Frames::playingChanged, this, &FrameDriver::updateRate);

    QSGRendererInterface* renderer = window->rendererInterface();
    if (renderer && renderer->graphicsApi() != QSGRendererInterface::Software &&
        renderer->graphicsApi() != QSGRendererInterface::OpenGL)
        reported_ = RendererKind::Gpu;
    if (!renderer || renderer->graphicsApi() == QSGRendererInterface::OpenGL) {
        QPointer<FrameDriver> self(this);
        window->scheduleRenderJob(new ProbeRenderer([self](QByteArray name) {
                                      QMetaObject::invokeMethod(
                                          self,
                                          [self, name] {
                                              if (self)
                                                  self->noteRenderer(name);
                                          },
                                          Qt::QueuedConnection);
                                  }),
                                  QQuickWindow::BeforeSynchronizingStage);
    }
    kind_ = rendererKind();
    rate_ = frameRateFor(kind_, playing());
}

void FrameDriver::setPlaying(bool playing) {
    if (playing == playingNow)
        return;
    playingNow = playing;
    emit Frames::instance().playingChanged();
}

bool FrameDriver::playing() {
    return playingNow;
}

void FrameDriver::setRendererKind(std::optional<RendererKind> kind) {
    posed_ = kind;
    updateRate();
}

RendererKind FrameDriver::rendererKind() const {
    if (posed_)
        return *posed_;
    QSGRendererInterface* renderer = window_->rendererInterface();
    if (renderer && renderer->graphicsApi() == QSGRendererInterface::Software)
        return RendererKind::Software;
    return reported_;
}

int FrameDriver::frameRate() const {
    return rate_;
}

void FrameDriver::noteRenderer(const QByteArray& glRenderer) {
    reported_ = isSoftwareRasteriser(glRenderer) ? RendererKind::Software : RendererKind::Gpu;
    updateRate();
}

void FrameDriver::updateRate() {
    storeProperty(this, kind_, rendererKind(), &FrameDriver::rendererKindChanged);
    const int rate = frameRateFor(kind_, playing());
    if (!storeProperty(this, rate_, rate, &FrameDriver::frameRateChanged))
        return;
    next_.stop();
    schedule();
}

void FrameDriver::add(FrameTicker* ticker) {
    if (std::find(tickers_.begin(), tickers_.end(), ticker) == tickers_.end())
        tickers_.emplace_back(ticker);
    next_.stop();
    schedule();
}

void FrameDriver::remove(FrameTicker* ticker) {
    std::erase_if(tickers_, [ticker](const QPointer<FrameTicker>& held) { return !held || held == ticker; });
    if (tickers_.empty())
        next_.stop();
}

bool FrameDriver::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window_) {
        if (event->type() == QEvent::UpdateRequest && awaiting_ == Awaiting::request) {
            // The frame with the last advance is being made: the next waits until it shows.
            awaiting_ = Awaiting::frame;
            watchdog_.start(frameWatchdogMs);
        } else if (event->type() == QEvent::Expose) {
            // The window has taken its new state already; act once it has handled the event.
            QMetaObject::invokeMethod(this, &FrameDriver::exposureChanged, Qt::QueuedConnection);
        }
    }
    return QObject::eventFilter(watched, event);
}

bool FrameDriver::exposed() const {
    return window_->isVisible() && window_->isExposed() && window_->visibility() != QWindow::Minimized;
}

void FrameDriver::exposureChanged() {
    if (exposed()) {
        schedule();
        return;
    }
    next_.stop();
    watchdog_.stop();
    awaiting_ = Awaiting::nothing;
}

double FrameDriver::interval() const {
    double fastest = 0;
    for (const auto& ticker : tickers_) {
        if (!ticker || !ticker->active())
            continue;
        const double wanted = ticker->cap() > 0 ? std::min<double>(ticker->cap(), rate_) : rate_;
        fastest = std::max(fastest, wanted);
    }
    return fastest > 0 ? 1.0 / fastest : 0;
}

void FrameDriver::schedule() {
    if (awaiting_ != Awaiting::nothing || next_.isActive() || !exposed())
        return;
    const double wait = interval();
    if (wait <= 0)
        return;
    const double now = static_cast<double>(clock_.nsecsElapsed()) / 1e9;
    const double due = lastAdvance_ < 0 ? 0 : lastAdvance_ + wait - now;
    next_.start(std::max(0, static_cast<int>(std::lround(due * 1000))));
}

void FrameDriver::advance() {
    if (awaiting_ != Awaiting::nothing || !exposed())
        return;
    const double now = static_cast<double>(clock_.nsecsElapsed()) / 1e9;
    lastAdvance_ = now;
    bool moved = false;
    // A ticker may leave the list while it advances (its item goes away).
    const auto tickers = tickers_;
    for (const auto& ticker : tickers)
        if (ticker && ticker->active())
            moved = ticker->driverAdvance(now) || moved;
    if (moved) {
        ++advances_;
        awaiting_ = Awaiting::request;
        watchdog_.start(requestGraceMs);
        emit advanced();
    }
    schedule();
}

void FrameDriver::frameShown() {
    // A frame shown before the advance's request came was under way already: not this one.
    if (awaiting_ == Awaiting::frame)
        waitEnded();
}

void FrameDriver::waitEnded() {
    awaiting_ = Awaiting::nothing;
    watchdog_.stop();
    schedule();
}

// ---- FrameTicker

FrameTicker::FrameTicker(QQuickItem* parent) : QQuickItem(parent) {
    connect(this, &QQuickItem::visibleChanged, this, &FrameTicker::activityChanged);
}

FrameTicker::~FrameTicker() {
    if (driver_)
        driver_->remove(this);
    for (const auto& layer : stillLayers_)
        if (layer)
            layer->setMoving(this, false);
}

void FrameTicker::setRunning(bool running) {
    if (!storeProperty(this, running_, running, &FrameTicker::runningChanged))
        return;
    activityChanged();
}

void FrameTicker::setCap(double cap) {
    if (!storeProperty(this, cap_, cap, &FrameTicker::capChanged))
        return;
    if (driver_ && active())
        driver_->add(this);
}

bool FrameTicker::active() const {
    return running_ && isVisible() && window() != nullptr;
}

bool FrameTicker::driverAdvance(double now) {
    if (started_ < 0)
        started_ = now;
    if (last_ >= 0 && cap_ > 0 && now - last_ < 1.0 / cap_ - capSlack)
        return false;
    last_ = now;
    elapsed_ = now - started_;
    advance();
    return true;
}

void FrameTicker::advance() {
    emit triggered();
}

void FrameTicker::itemChange(ItemChange change, const ItemChangeData& data) {
    QQuickItem::itemChange(change, data);
    if (change == ItemSceneChange)
        activityChanged();
}

void FrameTicker::activityChanged() {
    updateStillLayers();
    FrameDriver* driver = active() ? FrameDriver::of(window()) : nullptr;
    if (driver_ && driver_ != driver) {
        driver_->remove(this);
        driver_ = nullptr;
    }
    if (!driver) {
        // The next start counts from then: motion that starts on appearing starts afresh.
        started_ = -1;
        last_ = -1;
        return;
    }
    driver_ = driver;
    driver->add(this);
}

void FrameTicker::updateStillLayers() {
    std::vector<QPointer<StillLayer>> around;
    if (active())
        for (QQuickItem* item = parentItem(); item; item = item->parentItem())
            if (auto* layer = qobject_cast<StillLayer*>(item))
                around.emplace_back(layer);
    for (const auto& layer : stillLayers_)
        if (layer && std::find(around.begin(), around.end(), layer) == around.end())
            layer->setMoving(this, false);
    for (const auto& layer : around)
        layer->setMoving(this, true);
    stillLayers_ = std::move(around);
}

// ---- StillLayer

StillLayer::StillLayer(QQuickItem* parent) : QQuickItem(parent) {}

void StillLayer::componentComplete() {
    QQuickItem::componentComplete();
    applyStill();
}

StillLayer::~StillLayer() {
    // Its tickers outlive it by a moment while its children go.
    for (FrameTicker* ticker : moving_)
        std::erase(ticker->stillLayers_, this);
}

void StillLayer::setMoving(FrameTicker* ticker, bool moving) {
    const bool wasStill = still();
    const auto found = std::find(moving_.begin(), moving_.end(), ticker);
    if (moving && found == moving_.end())
        moving_.push_back(ticker);
    else if (!moving && found != moving_.end())
        moving_.erase(found);
    if (still() == wasStill)
        return;
    applyStill();
    emit stillChanged();
}

void StillLayer::applyStill() {
    // Not before it is complete: a layer made while its item has no parent yet keeps asking
    // for frames after it is switched off.
    if (!isComponentComplete())
        return;
    if (auto* layer = property("layer").value<QObject*>())
        layer->setProperty("enabled", still());
}

// ---- Frames

Frames* Frames::create(QQmlEngine*, QJSEngine*) {
    Frames* frames = &instance();
    QJSEngine::setObjectOwnership(frames, QJSEngine::CppOwnership);
    return frames;
}

Frames& Frames::instance() {
    static Frames* frames = new Frames; // lives as long as the process
    return *frames;
}

} // namespace ZintraRadio
