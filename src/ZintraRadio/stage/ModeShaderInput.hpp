// What a shader mode is drawn with: the scalar arguments of its list as properties that the
// ShaderEffect binds by name, and its arrays in one float texture that is updated in place
// every frame (one row per array, in argument order, each at its full length).
#pragma once

#include "stage/StageLayer.hpp"
#include "stage/StageModes.hpp"

#include <QVector2D>
#include <QVector4D>
#include <array>

class QSGTexture;

namespace ZintraRadio {

class FeedTextureProvider;

class ModeShaderInput : public StageLayer {
    Q_OBJECT
    Q_PROPERTY(QString mode READ mode WRITE setMode NOTIFY modeChanged)
    Q_PROPERTY(QString function READ function NOTIFY modeChanged)
    Q_PROPERTY(QVector2D resolution READ resolution NOTIFY valuesChanged)
    Q_PROPERTY(qreal time READ time NOTIFY valuesChanged)
    Q_PROPERTY(qreal phase READ phase NOTIFY valuesChanged)
    Q_PROPERTY(QVector4D energies READ energies NOTIFY valuesChanged)
    Q_PROPERTY(QVector2D tone READ tone NOTIFY valuesChanged)
    Q_PROPERTY(qreal rows READ rows NOTIFY valuesChanged)
    QML_ELEMENT

public:
    static constexpr int textureWidth = 640;
    static constexpr int textureRows = 3;

    explicit ModeShaderInput(QQuickItem* parent = nullptr);
    ~ModeShaderInput() override;

    QString mode() const { return mode_; }
    void setMode(const QString& mode);
    QString function() const;
    QVector2D resolution() const { return QVector2D(float(width()), float(height())); }
    qreal time() const { return time_; }
    qreal phase() const { return phase_; }
    QVector4D energies() const { return energies_; }
    QVector2D tone() const { return tone_; }
    qreal rows() const { return rows_; }

    // The texture's contents for `mode` from `feed`: row r holds the r-th array argument.
    static void fillTexture(const StageMode& mode, const StageFeed& feed,
                            std::array<float, textureWidth * textureRows>& texels);

    bool isTextureProvider() const override { return true; }
    QSGTextureProvider* textureProvider() const override;

Q_SIGNALS:
    void modeChanged();
    void valuesChanged();

public Q_SLOTS:
    void invalidateSceneGraph();

protected:
    QSGNode* updatePaintNode(QSGNode* old, UpdatePaintNodeData*) override;
    void releaseResources() override;
    void itemChange(ItemChange change, const ItemChangeData& data) override;
    void geometryChange(const QRectF& newGeometry, const QRectF& oldGeometry) override;

private:
    void takeValues();

    QString mode_ = QStringLiteral("zintra");
    qreal time_ = 0;
    qreal phase_ = 0;
    QVector4D energies_;
    QVector2D tone_;
    qreal rows_ = 0;

    // Render thread only.
    mutable FeedTextureProvider* provider_ = nullptr;
    std::array<float, textureWidth * textureRows> texels_{};
};

} // namespace ZintraRadio
