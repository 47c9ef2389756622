// The picture of a VideoPlayer in the Qt Quick scene, drawn by libmpv's render API.
// VideoSurface renders through OpenGL into a framebuffer object on the scene graph's render
// thread; SoftwareVideoSurface has mpv draw into memory and paints that, for scene graphs
// that do not draw with OpenGL. VideoPicture.qml picks one from the window's graphics API.
//
// A renderer works on a client handle of its own on the player's core, made on the GUI
// thread and handed over while the GUI thread waits for the scene graph's sync. The render
// context is made and freed where it renders (for OpenGL with the window's context current),
// and always freed before its client handle is destroyed; the player's own handle and the
// core's end are the player's business. mpv's update callback runs on mpv's threads and only
// posts a queued call to the GUI thread.
#pragma once

#include "ZazidEvoz/platform/Threads.hpp"
#include "state/VideoPlayer.hpp"

#include <QImage>
#include <QQuickFramebufferObject>
#include <QQuickPaintedItem>
#include <QtQml/qqmlregistration.h>
#include <cstdint>
#include <memory>

struct mpv_handle;
struct mpv_render_context;

namespace ZintraRadio {

// The model hands players to QML, which hands them to the surfaces.
struct VideoPlayerForeign {
    Q_GADGET
    QML_FOREIGN(ZintraRadio::VideoPlayer)
    QML_ANONYMOUS
};

namespace video {

class SurfaceLink;

// What mpv's threads and the render thread reach of a surface's GUI side: queued calls, which
// come to nothing once the surface has gone.
class Relay {
public:
    // Made on the GUI thread.
    explicit Relay(SurfaceLink* link);

    // Any thread.
    void frameSignalled() const;
    void contextMade(std::uint64_t generation) const;
    void clientWanted(std::uint64_t generation) const;
    void frameDrawn() const;

private:
    template <typename Call> void post(Call call) const;

    SurfaceLink* const link_; // reached only on the GUI thread, by work the poster still runs
    const ZazidEvoz::platform::Poster poster_;
};

// The GUI side of a surface: the player it shows, counted in generations (a different player
// is a new generation), and the client handle made for the renderer of that generation.
class SurfaceLink : public QObject {
    Q_OBJECT

public:
    explicit SurfaceLink(QObject* parent = nullptr);
    ~SurfaceLink() override;
    SurfaceLink(const SurfaceLink&) = delete;
    SurfaceLink& operator=(const SurfaceLink&) = delete;

    VideoPlayer* player() const { return player_; }
    // The same player again changes nothing.
    void setPlayer(VideoPlayer* player);
    std::uint64_t generation() const { return generation_; }
    int framesDrawn() const { return framesDrawn_; }
    int contextsMade() const { return contextsMade_; }
    const std::shared_ptr<Relay>& relay() const { return relay_; }

    // For the renderer while the GUI thread waits: the client made for it, or null.
    mpv_handle* takeClient();

Q_SIGNALS:
    void playerChanged();
    void updateWanted();
    void framesDrawnChanged();
    void contextsMadeChanged();

private:
    friend class Relay;
    void prepareClient();
    void dropClient();
    void forgetPlayer();
    void onContextMade(std::uint64_t generation);
    void onClientWanted(std::uint64_t generation);
    void onFrameDrawn();

    VideoPlayer* player_ = nullptr; // cleared when the player is destroyed
    QMetaObject::Connection playerGone_;
    std::uint64_t generation_ = 0;
    mpv_handle* client_ = nullptr; // made for the renderer, not yet taken
    int framesDrawn_ = 0;
    int contextsMade_ = 0;
    std::shared_ptr<Relay> relay_;
};

// The render side: one render context on one client handle, for one generation of the link's
// player. Used only where the surface renders (with the GUI thread waiting while it follows).
class MpvRenderer {
public:
    enum class Api { openGL, software };

    MpvRenderer(Api api, std::shared_ptr<Relay> relay);
    ~MpvRenderer();
    MpvRenderer(const MpvRenderer&) = delete;
    MpvRenderer& operator=(const MpvRenderer&) = delete;

    // While the GUI thread waits: frees the context of a player that is no longer the link's,
    // and makes one for the link's player from the client it prepared (or asks for one).
    void follow(SurfaceLink& link);
    mpv_render_context* context() const { return context_; }
    // Reads mpv's update flags: whether a new frame is due.
    bool takeFrame();
    void reportFrameDrawn() const { relay_->frameDrawn(); }
    // Frees the render context, then destroys its client handle.
    void release();

private:
    bool create(mpv_handle* client);

    const Api api_;
    const std::shared_ptr<Relay> relay_;
    std::uint64_t generation_ = 0;
    bool asked_ = false;  // a client was asked for in this generation
    bool failed_ = false; // this generation's context could not be made
    mpv_handle* client_ = nullptr;
    mpv_render_context* context_ = nullptr;
};

// What both surfaces read and write through their link: the player shown and the counters
// behind their properties.
class LinkedSurface {
public:
    VideoPlayer* player() const { return link_->player(); }
    void setPlayer(VideoPlayer* player) { link_->setPlayer(player); }
    int framesDrawn() const { return link_->framesDrawn(); }
    int contextsMade() const { return link_->contextsMade(); }
    // The renderer's way to the GUI side, while the GUI thread waits.
    SurfaceLink& link() const { return *link_; }

protected:
    // `link` is a child of the surface item, which owns it.
    explicit LinkedSurface(SurfaceLink* link) : link_(link) {}

    SurfaceLink* const link_;
};

} // namespace video

// The OpenGL surface. `player` shows that player's picture; the same player again leaves
// everything as it is, a different one is swapped in (its old context freed first).
class VideoSurface : public QQuickFramebufferObject, public video::LinkedSurface {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(ZintraRadio::VideoPlayer* player READ player WRITE setPlayer NOTIFY playerChanged)
    // New frames drawn, and render contexts made, since the surface was made. A frame drawn
    // later than mpv waits for it (0.2 s) shows but does not count as new.
    Q_PROPERTY(int framesDrawn READ framesDrawn NOTIFY framesDrawnChanged)
    Q_PROPERTY(int contextsMade READ contextsMade NOTIFY contextsMadeChanged)

public:
    explicit VideoSurface(QQuickItem* parent = nullptr);

    Renderer* createRenderer() const override;

Q_SIGNALS:
    void playerChanged();
    void framesDrawnChanged();
    void contextsMadeChanged();
};

// The software surface: the same contract, drawn with QPainter into the item with rounded
// corners of `cornerRadius`.
class SoftwareVideoSurface : public QQuickPaintedItem, public video::LinkedSurface {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(ZintraRadio::VideoPlayer* player READ player WRITE setPlayer NOTIFY playerChanged)
    Q_PROPERTY(int framesDrawn READ framesDrawn NOTIFY framesDrawnChanged)
    Q_PROPERTY(int contextsMade READ contextsMade NOTIFY contextsMadeChanged)
    Q_PROPERTY(double cornerRadius READ cornerRadius WRITE setCornerRadius NOTIFY cornerRadiusChanged)

public:
    explicit SoftwareVideoSurface(QQuickItem* parent = nullptr);

    double cornerRadius() const { return cornerRadius_; }
    void setCornerRadius(double radius);

    void paint(QPainter* painter) override;

Q_SIGNALS:
    void playerChanged();
    void framesDrawnChanged();
    void contextsMadeChanged();
    void cornerRadiusChanged();

private:
    // Has mpv draw the current frame into frame_ at `size`; whether it drew.
    bool renderFrame(QSize size);

    // A member, so it (the render context, then its client) goes before the link, a child
    // object that QObject deletes after the members.
    video::MpvRenderer renderer_;
    QImage frame_;
    std::uint64_t paintedGeneration_ = 0; // the link's generation that frame_ belongs to
    double cornerRadius_ = 0;
};

} // namespace ZintraRadio
