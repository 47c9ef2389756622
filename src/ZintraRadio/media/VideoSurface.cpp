#include "media/VideoSurface.hpp"

#include "state/Observable.hpp"
#include "system/MainThread.hpp"

#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QOpenGLFunctions>
#include <QPainter>
#include <QPainterPath>
#include <QQuickOpenGLUtils>
#include <QQuickWindow>
#include <cstdio>
#include <mpv/client.h>
#include <mpv/render.h>
#include <mpv/render_gl.h>
#include <utility>

namespace ZintraRadio {

namespace video {

namespace {

// mpv's update callback, on one of its threads: only a queued call leaves from here.
void onMpvUpdate(void* relay) {
    static_cast<const Relay*>(relay)->frameSignalled();
}

void* glFunction(void*, const char* name) {
    QOpenGLContext* context = QOpenGLContext::currentContext();
    return context ? reinterpret_cast<void*>(context->getProcAddress(name)) : nullptr;
}

// The renderer's client reads no events: none are queued for it but the core's end.
void silenceEvents(mpv_handle* client) {
    for (int id = MPV_EVENT_NONE + 1; id <= MPV_EVENT_HOOK; ++id)
        if (id != MPV_EVENT_SHUTDOWN)
            mpv_request_event(client, static_cast<mpv_event_id>(id), 0);
}

} // namespace

// ---- Relay

Relay::Relay(SurfaceLink* link) : link_(link), poster_(makeMainThreadPoster(link)) {}

template <typename Call> void Relay::post(Call call) const {
    // Runs on the GUI thread; dropped if the link went first.
    poster_([link = link_, call] { call(*link); });
}

void Relay::frameSignalled() const {
    post([](SurfaceLink& link) { Q_EMIT link.updateWanted(); });
}

void Relay::contextMade(std::uint64_t generation) const {
    post([generation](SurfaceLink& link) { link.onContextMade(generation); });
}

void Relay::clientWanted(std::uint64_t generation) const {
    post([generation](SurfaceLink& link) { link.onClientWanted(generation); });
}

void Relay::frameDrawn() const {
    post([](SurfaceLink& link) { link.onFrameDrawn(); });
}

// ---- SurfaceLink

SurfaceLink::SurfaceLink(QObject* parent) : QObject(parent), relay_(std::make_shared<Relay>(this)) {}

SurfaceLink::~SurfaceLink() {
    disconnect(playerGone_);
    dropClient();
}

void SurfaceLink::setPlayer(VideoPlayer* player) {
    if (player == player_)
        return;
    disconnect(playerGone_);
    dropClient();
    player_ = player;
    ++generation_;
    if (player_ != nullptr) {
        playerGone_ = connect(player_, &QObject::destroyed, this, &SurfaceLink::forgetPlayer);
        prepareClient();
    }
    Q_EMIT playerChanged();
    Q_EMIT updateWanted();
}

// The player went without being taken away first: its surface shows nothing from now on.
void SurfaceLink::forgetPlayer() {
    setPlayer(nullptr);
}

mpv_handle* SurfaceLink::takeClient() {
    return std::exchange(client_, nullptr);
}

void SurfaceLink::prepareClient() {
    if (player_ == nullptr || client_ != nullptr)
        return;
    // Null once the player has shut down: the surface then stays empty.
    client_ = player_->createClient("stage");
    if (client_ != nullptr)
        silenceEvents(client_);
}

void SurfaceLink::dropClient() {
    // Never had a render context: nothing to free first.
    if (client_ != nullptr)
        mpv_destroy(std::exchange(client_, nullptr));
}

void SurfaceLink::onContextMade(std::uint64_t generation) {
    ++contextsMade_;
    Q_EMIT contextsMadeChanged();
    if (generation == generation_ && player_ != nullptr)
        player_->renderContextReady();
}

void SurfaceLink::onClientWanted(std::uint64_t generation) {
    if (generation != generation_)
        return;
    prepareClient();
    Q_EMIT updateWanted();
}

void SurfaceLink::onFrameDrawn() {
    ++framesDrawn_;
    Q_EMIT framesDrawnChanged();
}

// ---- MpvRenderer

MpvRenderer::MpvRenderer(Api api, std::shared_ptr<Relay> relay) : api_(api), relay_(std::move(relay)) {}

MpvRenderer::~MpvRenderer() {
    release();
}

void MpvRenderer::follow(SurfaceLink& link) {
    if (generation_ != link.generation()) {
        release();
        generation_ = link.generation();
        asked_ = false;
        failed_ = false;
    }
    if (context_ != nullptr || failed_ || link.player() == nullptr)
        return;
    mpv_handle* client = link.takeClient();
    if (client == nullptr) {
        // A renderer made anew (the window's graphics were recreated) needs a client of its own.
        if (!asked_)
            relay_->clientWanted(generation_);
        asked_ = true;
        return;
    }
    if (!create(client)) {
        mpv_destroy(client);
        failed_ = true;
        return;
    }
    relay_->contextMade(generation_);
}

bool MpvRenderer::create(mpv_handle* client) {
    mpv_opengl_init_params gl{&glFunction, nullptr};
    mpv_render_param openGL[] = {{MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_OPENGL)},
                                 {MPV_RENDER_PARAM_OPENGL_INIT_PARAMS, &gl},
                                 {MPV_RENDER_PARAM_INVALID, nullptr}};
    mpv_render_param software[] = {{MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_SW)},
                                   {MPV_RENDER_PARAM_INVALID, nullptr}};
    mpv_render_context* context = nullptr;
    const int error = mpv_render_context_create(&context, client, api_ == Api::openGL ? openGL : software);
    if (error < 0) {
        std::fprintf(stderr, "ZintraRadio: the video picture cannot be drawn: %s\n", mpv_error_string(error));
        return false;
    }
    client_ = client;
    context_ = context;
    mpv_render_context_set_update_callback(context_, &onMpvUpdate, relay_.get());
    return true;
}

bool MpvRenderer::takeFrame() {
    return context_ != nullptr && (mpv_render_context_update(context_) & MPV_RENDER_UPDATE_FRAME) != 0;
}

void MpvRenderer::release() {
    // libmpv's order: the render context goes before the handle it was made on.
    if (context_ != nullptr) {
        mpv_render_context_set_update_callback(context_, nullptr, nullptr);
        mpv_render_context_free(std::exchange(context_, nullptr));
    }
    if (client_ != nullptr)
        mpv_destroy(std::exchange(client_, nullptr));
}

} // namespace video

namespace {

// Both surfaces announce what their link announces, and draw when it asks.
template <typename Surface> void forwardLink(video::SurfaceLink* link, Surface* surface) {
    QObject::connect(link, &video::SurfaceLink::updateWanted, surface, &QQuickItem::update);
    QObject::connect(link, &video::SurfaceLink::playerChanged, surface, &Surface::playerChanged);
    QObject::connect(link, &video::SurfaceLink::framesDrawnChanged, surface, &Surface::framesDrawnChanged);
    QObject::connect(link, &video::SurfaceLink::contextsMadeChanged, surface, &Surface::contextsMadeChanged);
}

// Renders on the scene graph's render thread into the item's framebuffer object.
class FramebufferRenderer : public QQuickFramebufferObject::Renderer {
public:
    explicit FramebufferRenderer(std::shared_ptr<video::Relay> relay)
        : mpv_(video::MpvRenderer::Api::openGL, std::move(relay)) {}

    QOpenGLFramebufferObject* createFramebufferObject(const QSize& size) override {
        return new QOpenGLFramebufferObject(size);
    }

    void synchronize(QQuickFramebufferObject* item) override {
        mpv_.follow(static_cast<VideoSurface*>(item)->link());
    }

    void render() override {
        if (mpv_.context() == nullptr) {
            // A new framebuffer holds anything: show what lies behind instead.
            QOpenGLFunctions* gl = QOpenGLContext::currentContext()->functions();
            gl->glClearColor(0, 0, 0, 0);
            gl->glClear(GL_COLOR_BUFFER_BIT);
            return;
        }
        const bool fresh = mpv_.takeFrame();
        QOpenGLFramebufferObject* target = framebufferObject();
        mpv_opengl_fbo fbo{static_cast<int>(target->handle()), target->width(), target->height(), 0};
        // The scene graph samples the framebuffer as mpv draws it unflipped.
        int flip = 0;
        mpv_render_param params[] = {{MPV_RENDER_PARAM_OPENGL_FBO, &fbo},
                                     {MPV_RENDER_PARAM_FLIP_Y, &flip},
                                     {MPV_RENDER_PARAM_INVALID, nullptr}};
        mpv_render_context_render(mpv_.context(), params);
        // mpv leaves its own GL state behind.
        QQuickOpenGLUtils::resetOpenGLState();
        if (fresh)
            mpv_.reportFrameDrawn();
    }

private:
    video::MpvRenderer mpv_;
};

// The pixel layout mpv writes that QImage::Format_RGB32 reads (0xffRRGGBB as a native word).
constexpr const char* rgb32Layout = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? "bgr0" : "0rgb";

} // namespace

// ---- VideoSurface

VideoSurface::VideoSurface(QQuickItem* parent)
    : QQuickFramebufferObject(parent), LinkedSurface(new video::SurfaceLink(this)) {
    forwardLink(link_, this);
}

QQuickFramebufferObject::Renderer* VideoSurface::createRenderer() const {
    return new FramebufferRenderer(link_->relay());
}

// ---- SoftwareVideoSurface

SoftwareVideoSurface::SoftwareVideoSurface(QQuickItem* parent)
    : QQuickPaintedItem(parent), LinkedSurface(new video::SurfaceLink(this)),
      renderer_(video::MpvRenderer::Api::software, link_->relay()) {
    forwardLink(link_, this);
    setAntialiasing(true);
}

void SoftwareVideoSurface::setCornerRadius(double radius) {
    if (storeProperty(this, cornerRadius_, radius, &SoftwareVideoSurface::cornerRadiusChanged))
        update();
}

// Runs while the GUI thread waits, as paint() does.
void SoftwareVideoSurface::paint(QPainter* painter) {
    renderer_.follow(*link_);
    // Another player's last picture never shows.
    if (renderer_.context() == nullptr || paintedGeneration_ != link_->generation()) {
        frame_ = QImage();
        paintedGeneration_ = link_->generation();
    }
    if (renderer_.context() == nullptr)
        return;
    const qreal ratio = window() ? window()->effectiveDevicePixelRatio() : 1.0;
    const QSize size = (QSizeF(width(), height()) * ratio).toSize();
    if (size.isEmpty())
        return;
    // A new frame is drawn, and the last one again at a new size; nothing before the first.
    const bool fresh = renderer_.takeFrame();
    if ((fresh || (!frame_.isNull() && frame_.size() != size)) && renderFrame(size) && fresh)
        renderer_.reportFrameDrawn();
    if (frame_.isNull())
        return;
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    if (cornerRadius_ > 0) {
        QPainterPath rounded;
        rounded.addRoundedRect(boundingRect(), cornerRadius_, cornerRadius_);
        painter->setClipPath(rounded);
    }
    painter->drawImage(boundingRect(), frame_);
}

bool SoftwareVideoSurface::renderFrame(QSize size) {
    if (frame_.size() != size)
        frame_ = QImage(size, QImage::Format_RGB32);
    int pixels[] = {size.width(), size.height()};
    std::size_t stride = static_cast<std::size_t>(frame_.bytesPerLine());
    mpv_render_param params[] = {{MPV_RENDER_PARAM_SW_SIZE, pixels},
                                 {MPV_RENDER_PARAM_SW_FORMAT, const_cast<char*>(rgb32Layout)},
                                 {MPV_RENDER_PARAM_SW_STRIDE, &stride},
                                 {MPV_RENDER_PARAM_SW_POINTER, frame_.bits()},
                                 {MPV_RENDER_PARAM_INVALID, nullptr}};
    if (mpv_render_context_render(renderer_.context(), params) < 0) {
        frame_ = QImage();
        return false;
    }
    // mpv leaves the padding byte unset; an RGB32 image must hold 0xff there.
    for (int y = 0; y < frame_.height(); ++y) {
        auto* row = reinterpret_cast<quint32*>(frame_.scanLine(y));
        for (int x = 0; x < frame_.width(); ++x)
            row[x] |= 0xff000000u;
    }
    return true;
}

} // namespace ZintraRadio
