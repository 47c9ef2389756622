// A mode of the stage drawn on OpenGL by the item itself, into a framebuffer of its own that
// the window shows stretched over the item: a shader mode as one quad under its shader; the
// terrain and the vectorscope as their strip of triangles under a bloom (the bright parts
// shrunk to a quarter, blurred across and down, added back as light). On a software
// rasteriser the shader modes draw at half the resolution. Everything is drawn in the window
// frame that shows it, so each advance of the feed costs one window frame (Qt's layers ask
// for a second one after every update of their texture).
#pragma once

#include "stage/ModeShaderInput.hpp"
#include "state/StageFeed.hpp"

#include <QPointer>
#include <QQuickFramebufferObject>
#include <QtQml/qqmlregistration.h>
#include <optional>

namespace ZintraRadio {

struct StagePicture;

class StageSurface : public QQuickFramebufferObject {
    Q_OBJECT
    Q_PROPERTY(QString mode READ mode WRITE setMode NOTIFY modeChanged)
    Q_PROPERTY(QObject* feed READ feedObject WRITE setFeed NOTIFY feedChanged)
    Q_PROPERTY(int frame READ frame WRITE setFrame NOTIFY frameChanged)
    // The opaque ground the geometry modes draw on (a shader mode covers everything itself).
    Q_PROPERTY(QColor background READ background WRITE setBackground NOTIFY backgroundChanged)
    // The geometry modes' glow: its reach in points and how much light it adds.
    Q_PROPERTY(double bloomRadius READ bloomRadius WRITE setBloomRadius NOTIFY bloomChanged)
    Q_PROPERTY(double bloomStrength READ bloomStrength WRITE setBloomStrength NOTIFY bloomChanged)
    QML_ELEMENT

public:
    explicit StageSurface(QQuickItem* parent = nullptr);

    QString mode() const { return mode_; }
    void setMode(const QString& mode);
    QObject* feedObject() const { return feed_; }
    void setFeed(QObject* feed);
    int frame() const { return frame_; }
    void setFrame(int frame);
    QColor background() const { return background_; }
    void setBackground(const QColor& background);
    double bloomRadius() const { return bloomRadius_; }
    void setBloomRadius(double radius);
    double bloomStrength() const { return bloomStrength_; }
    void setBloomStrength(double strength);

    // Draws a shader mode with these scalars instead of the feed's (tests).
    void poseValues(std::optional<ModeShaderValues> values);

    // The framebuffer's resolution against the item's: 0.5 for a shader mode on a software
    // rasteriser, else 1.
    double resolution() const { return resolution_; }

    Renderer* createRenderer() const override;
    // What the next frame draws; called by the renderer while the scene graph synchronises
    // (the GUI thread waits).
    void takePicture(StagePicture& picture) const;

protected:
    void itemChange(ItemChange change, const ItemChangeData& data) override;

Q_SIGNALS:
    void modeChanged();
    void feedChanged();
    void frameChanged();
    void backgroundChanged();
    void bloomChanged();

private:
    void updateResolution();

    QString mode_ = QStringLiteral("zintra");
    QPointer<StageFeed> feed_;
    int frame_ = 0;
    QColor background_ = Qt::black;
    double bloomRadius_ = 6;
    double bloomStrength_ = 0.5;
    std::optional<ModeShaderValues> posed_;
    double resolution_ = 1;
    QMetaObject::Connection rendererKind_;
};

} // namespace ZintraRadio
