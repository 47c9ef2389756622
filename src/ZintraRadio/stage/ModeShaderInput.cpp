#include "stage/ModeShaderInput.hpp"

#include "stage/StageShaders.hpp"

#include <QOpenGLContext>
#include <QOpenGLExtraFunctions>
#include <QQuickWindow>
#include <QRunnable>
#include <QSGTexture>
#include <QSGTextureProvider>
#include <algorithm>

#ifndef GL_R32F
#define GL_R32F 0x822E
#endif
#ifndef GL_RED
#define GL_RED 0x1903
#endif
#ifndef GL_UNPACK_ROW_LENGTH
#define GL_UNPACK_ROW_LENGTH 0x0CF2
#endif

namespace ZintraRadio {

// Owns the GL texture and its scene-graph wrapper; lives and dies on the render thread.
class FeedTextureProvider : public QSGTextureProvider {
public:
    ~FeedTextureProvider() override { release(); }

    QSGTexture* texture() const override { return texture_; }

    // Creates the texture when a GL context of version 3 or later is current.
    bool ensure(QQuickWindow* window) {
        if (texture_)
            return true;
        QOpenGLContext* context = QOpenGLContext::currentContext();
        if (!context || context->format().majorVersion() < 3)
            return false;
        QOpenGLExtraFunctions* gl = context->extraFunctions();
        const auto* renderer = reinterpret_cast<const char*>(gl->glGetString(GL_RENDERER));
        StageShaders::noteRenderer(QByteArray(renderer ? renderer : ""));
        GLint bound = 0;
        gl->glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        gl->glGenTextures(1, &id_);
        gl->glBindTexture(GL_TEXTURE_2D, id_);
        gl->glTexImage2D(GL_TEXTURE_2D, 0, GL_R32F, ModeShaderInput::textureWidth,
                         ModeShaderInput::textureRows, 0, GL_RED, GL_FLOAT, nullptr);
        gl->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        gl->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        gl->glBindTexture(GL_TEXTURE_2D, GLuint(bound));
        if (gl->glGetError() != GL_NO_ERROR) {
            gl->glDeleteTextures(1, &id_);
            id_ = 0;
            return false;
        }
        texture_ = QNativeInterface::QSGOpenGLTexture::fromNative(
            id_, window, QSize(ModeShaderInput::textureWidth, ModeShaderInput::textureRows),
            QQuickWindow::TextureHasAlphaChannel);
        texture_->setFiltering(QSGTexture::Nearest);
        emit textureChanged();
        return true;
    }

    void upload(const float* texels) {
        QOpenGLContext* context = QOpenGLContext::currentContext();
        if (!texture_ || !context)
            return;
        // The scene graph keeps its own idea of the GL state: leave everything as found.
        QOpenGLExtraFunctions* gl = context->extraFunctions();
        GLint bound = 0, alignment = 4, rowLength = 0;
        gl->glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        gl->glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
        gl->glGetIntegerv(GL_UNPACK_ROW_LENGTH, &rowLength);
        gl->glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
        gl->glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
        gl->glBindTexture(GL_TEXTURE_2D, id_);
        gl->glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, ModeShaderInput::textureWidth,
                            ModeShaderInput::textureRows, GL_RED, GL_FLOAT, texels);
        gl->glBindTexture(GL_TEXTURE_2D, GLuint(bound));
        gl->glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
        gl->glPixelStorei(GL_UNPACK_ROW_LENGTH, rowLength);
    }

    void release() {
        delete texture_;
        texture_ = nullptr;
        if (id_ != 0) {
            if (QOpenGLContext* context = QOpenGLContext::currentContext())
                context->functions()->glDeleteTextures(1, &id_);
            id_ = 0;
        }
    }

private:
    QSGTexture* texture_ = nullptr;
    GLuint id_ = 0;
};

namespace {

class ReleaseProvider : public QRunnable {
public:
    explicit ReleaseProvider(FeedTextureProvider* provider) : provider_(provider) {}
    void run() override { delete provider_; }

private:
    FeedTextureProvider* provider_;
};

} // namespace

ModeShaderInput::ModeShaderInput(QQuickItem* parent) : StageLayer(parent) {
    connect(this, &StageLayer::frameChanged, this, &ModeShaderInput::takeValues);
    connect(this, &StageLayer::feedChanged, this, &ModeShaderInput::takeValues);
}

ModeShaderInput::~ModeShaderInput() {
    // Normally released with the window; an item destroyed without one never made a texture.
    delete provider_;
}

void ModeShaderInput::setMode(const QString& mode) {
    if (mode == mode_)
        return;
    mode_ = mode;
    emit modeChanged();
    takeValues();
}

QString ModeShaderInput::function() const {
    const auto name = stageModeOf(mode_).shader;
    return QString::fromUtf8(name.data(), qsizetype(name.size()));
}

void ModeShaderInput::takeValues() {
    if (!feed())
        return;
    const StageFeed& feed = *this->feed();
    const StageMode& mode = stageModeOf(mode_);
    time_ = StageFeed::wrapped(feed.time());
    phase_ = 0;
    rows_ = 0;
    for (const ShaderArgument& argument : mode.arguments) {
        if (argument.kind == ShaderArgument::Kind::Phase)
            phase_ = StageFeed::wrapped(phaseValue(feed, argument.source));
        else if (argument.kind == ShaderArgument::Kind::Constant)
            rows_ = argument.value;
    }
    energies_ = QVector4D(feed.bass(), feed.mid(), feed.treble(), feed.beat());
    tone_ = QVector2D(feed.energy(), feed.brightness());
    emit valuesChanged();
    update();
}

void ModeShaderInput::fillTexture(const StageMode& mode, const StageFeed& feed,
                                  std::array<float, textureWidth * textureRows>& texels) {
    texels.fill(0.0f);
    int row = 0;
    for (const ShaderArgument& argument : mode.arguments) {
        if (argument.kind != ShaderArgument::Kind::Array || row == textureRows)
            continue;
        const auto values = arrayValues(feed, argument.source);
        const std::size_t count = std::min<std::size_t>(values.size(), textureWidth);
        std::copy_n(values.begin(), count, texels.begin() + row * textureWidth);
        ++row;
    }
}

QSGTextureProvider* ModeShaderInput::textureProvider() const {
    if (!provider_) {
        provider_ = new FeedTextureProvider;
        if (window())
            connect(window(), &QQuickWindow::sceneGraphInvalidated, this,
                    &ModeShaderInput::invalidateSceneGraph,
                    Qt::ConnectionType(Qt::DirectConnection | Qt::UniqueConnection));
    }
    if (window())
        provider_->ensure(window());
    return provider_;
}

QSGNode* ModeShaderInput::updatePaintNode(QSGNode* old, UpdatePaintNodeData*) {
    delete old;
    if (!feed())
        return nullptr;
    textureProvider();
    if (provider_->ensure(window())) {
        fillTexture(stageModeOf(mode_), *feed(), texels_);
        provider_->upload(texels_.data());
    }
    return nullptr;
}

void ModeShaderInput::invalidateSceneGraph() {
    delete provider_; // the context is current while the scene graph is invalidated
    provider_ = nullptr;
}

void ModeShaderInput::releaseResources() {
    if (provider_ && window()) {
        window()->scheduleRenderJob(new ReleaseProvider(provider_), QQuickWindow::BeforeSynchronizingStage);
        provider_ = nullptr;
    }
}

void ModeShaderInput::itemChange(ItemChange change, const ItemChangeData& data) {
    StageLayer::itemChange(change, data);
    if (change == ItemSceneChange && data.window)
        update();
}

void ModeShaderInput::geometryChange(const QRectF& newGeometry, const QRectF& oldGeometry) {
    StageLayer::geometryChange(newGeometry, oldGeometry);
    if (newGeometry.size() != oldGeometry.size())
        emit valuesChanged();
}

} // namespace ZintraRadio
