// The one clock that every continuous motion of a window follows. Each window has one driver;
// the things that move (the stage, the play button's ring, the live badge, glyphs, meters,
// pulses, lyrics, scrolling titles) are FrameTickers in that window. The driver advances all
// the tickers that are due together, so a window draws one frame per advance however many of
// them move, and it waits for that frame to be shown before the next advance. It never runs
// faster than the window's rate (frameRateFor), nor faster than its fastest ticker asks, and
// not at all while the window is not exposed (iconified, unmapped, on another workspace).
// Main thread only.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QQuickItem>
#include <QTimer>
#include <QtQml/qqmlregistration.h>
#include <optional>
#include <vector>

class QQmlEngine;
class QJSEngine;
class QQuickWindow;

namespace ZintraRadio {

enum class RendererKind { Gpu, Software };

// Frames a second a window advances at most: while something plays 60 on a GPU and 30 on a
// software rasteriser, else 30 and 12.
int frameRateFor(RendererKind kind, bool playing);
// Whether an OpenGL renderer name is a software rasteriser's (Mesa's llvmpipe or softpipe).
bool isSoftwareRasteriser(const QByteArray& glRenderer);

class FrameTicker;
class StillLayer;

class FrameDriver : public QObject {
    Q_OBJECT

public:
    // The driver of `window`, made on first use; it lives as long as the window.
    static FrameDriver* of(QQuickWindow* window);

    // Whether playback is on, for every window's rate.
    static void setPlaying(bool playing);
    static bool playing();

    // The renderer the window draws with: posed when set (tests), else what the window's scene
    // graph reports (a software rasteriser until it has said otherwise).
    void setRendererKind(std::optional<RendererKind> kind);
    RendererKind rendererKind() const;
    // Frames a second the window advances at most now.
    int frameRate() const;
    // Advances so far that moved something.
    int advances() const { return advances_; }
    // Whether an advance is due or its frame awaited; false while the window rests.
    bool ticking() const { return next_.isActive() || awaiting_ != Awaiting::nothing; }

    void add(FrameTicker* ticker);
    void remove(FrameTicker* ticker);

Q_SIGNALS:
    void frameRateChanged();
    void rendererKindChanged();
    void advanced();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit FrameDriver(QQuickWindow* window);

    bool exposed() const;
    void exposureChanged();
    void noteRenderer(const QByteArray& glRenderer); // from the render thread
    void updateRate();
    // The interval between advances: the window's rate, or slower when no ticker wants more.
    double interval() const;
    void schedule();
    void advance();
    void frameShown();
    void waitEnded();

    QQuickWindow* window_;
    std::vector<QPointer<FrameTicker>> tickers_;
    std::optional<RendererKind> posed_;
    RendererKind reported_ = RendererKind::Software;
    RendererKind kind_ = RendererKind::Software; // as last announced
    int rate_ = 0;
    int advances_ = 0;
    QElapsedTimer clock_;
    double lastAdvance_ = -1;
    // After an advance that moved something: its frame is asked for (request), then being
    // made (frame); the next advance waits until it shows.
    enum class Awaiting { nothing, request, frame };
    Awaiting awaiting_ = Awaiting::nothing;
    QTimer next_;
    QTimer watchdog_; // ends a wait for a request or a frame that does not come
};

// An invisible item that takes part in its window's frame driver: while it runs, is visible
// and is in a window, it advances with the driver's frames, at most `cap` times a second
// (0: on every frame of the driver).
class FrameTicker : public QQuickItem {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(bool running READ running WRITE setRunning NOTIFY runningChanged)
    Q_PROPERTY(double cap READ cap WRITE setCap NOTIFY capChanged)
    // Seconds since the ticker last started to advance (shown, running, in a window).
    Q_PROPERTY(double elapsed READ elapsed NOTIFY triggered)

public:
    explicit FrameTicker(QQuickItem* parent = nullptr);
    ~FrameTicker() override;

    bool running() const { return running_; }
    void setRunning(bool running);
    double cap() const { return cap_; }
    void setCap(double cap);
    double elapsed() const { return elapsed_; }
    bool active() const;

    // Called by the driver on its advance at `now` seconds of its clock; advances when its
    // cap allows and says whether it did.
    bool driverAdvance(double now);

Q_SIGNALS:
    void runningChanged();
    void capChanged();
    void triggered();

protected:
    // One advance; the default emits triggered().
    virtual void advance();
    void itemChange(ItemChange change, const ItemChangeData& data) override;

private:
    friend class StillLayer;
    void activityChanged();
    // Tells the still layers around the ticker whether it moves now.
    void updateStillLayers();

    bool running_ = true;
    double cap_ = 0;
    double elapsed_ = 0;
    double started_ = -1;
    double last_ = -1;
    QPointer<FrameDriver> driver_;
    std::vector<QPointer<StillLayer>> stillLayers_; // the ones it keeps live while it runs
};

// An item drawn from one cached picture of its content while no frame ticker inside it runs:
// on each window frame a software rasteriser then pays for one picture instead of every card,
// text and edge of a panel. While something inside moves, the picture would be drawn again on
// each of its advances, and a layer asks for one more window frame after every such update;
// then the content is drawn as it is, on the frames the driver makes anyway.
class StillLayer : public QQuickItem {
    Q_OBJECT
    QML_ELEMENT
    // Whether the content is drawn from its cached picture now.
    Q_PROPERTY(bool still READ still NOTIFY stillChanged)

public:
    explicit StillLayer(QQuickItem* parent = nullptr);
    ~StillLayer() override;

    bool still() const { return moving_.empty(); }

    void setMoving(FrameTicker* ticker, bool moving);

Q_SIGNALS:
    void stillChanged();

protected:
    void componentComplete() override;

private:
    void applyStill();

    std::vector<FrameTicker*> moving_; // each removes itself when it stops or goes
};

// The playback flag for QML: the main window binds it to the engine's state.
class Frames : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(bool playing READ playing WRITE setPlaying NOTIFY playingChanged)

public:
    static Frames* create(QQmlEngine*, QJSEngine*);
    static Frames& instance();
    bool playing() const { return FrameDriver::playing(); }
    void setPlaying(bool playing) { FrameDriver::setPlaying(playing); }

Q_SIGNALS:
    void playingChanged();

private:
    Frames() = default;
};

} // namespace ZintraRadio
