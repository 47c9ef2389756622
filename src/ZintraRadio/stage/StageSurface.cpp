#include "stage/StageSurface.hpp"

#include "kit/FrameDriver.hpp"
#include "stage/ModeShaderInput.hpp"
#include "stage/StageGeometry.hpp"
#include "stage/StageModes.hpp"
#include "stage/StageShaders.hpp"
#include "stage/TerrainCanvas.hpp"
#include "stage/VectorscopeCanvas.hpp"

#include <QFile>
#include <QOpenGLContext>
#include <QOpenGLExtraFunctions>
#include <QOpenGLFramebufferObject>
#include <QOpenGLShaderProgram>
#include <QQuickOpenGLUtils>
#include <QQuickWindow>
#include <map>
#include <memory>
#include <utility>

#ifndef GL_R32F
#define GL_R32F 0x822E
#endif
#ifndef GL_RED
#define GL_RED 0x1903
#endif

namespace ZintraRadio {

// What one frame of the surface draws, copied from the item while the scene graph
// synchronises.
struct StagePicture {
    const StageMode* mode = nullptr;
    QSizeF size; // the item's, in points
    double resolution = 1;
    QString shaderFile;   // the mode's shader, for a shader mode
    QString shaderFolder; // where the bloom's shaders are
    ModeShaderValues values;
    ModeShaderInput::Texels texels{};
    StripBuilder strip;
    QColor background = Qt::black;
    float bloomRadius = 6;
    float bloomStrength = 0.5f;
};

namespace {

// Every pass draws one quad over its whole target. The window shows the framebuffer's first
// row at the item's top, so every texture here holds its rows top-down, and the texture
// coordinates run from the item's top-left corner as a shader effect's do.
const char* const quadVertex = R"(#version 330
layout(location = 0) in vec2 corner;
out vec2 qt_TexCoord0;
void main() {
    qt_TexCoord0 = corner * 0.5 + 0.5;
    gl_Position = vec4(corner, 0.0, 1.0);
}
)";

// The geometry modes' strip: points of the item, premultiplied colours.
const char* const stripVertex = R"(#version 330
layout(location = 0) in vec2 point;
layout(location = 1) in vec4 colour;
uniform vec2 size;
out vec4 shade;
void main() {
    shade = colour;
    gl_Position = vec4(2.0 * point / size - 1.0, 0.0, 1.0);
}
)";

const char* const stripFragment = R"(#version 330
in vec4 shade;
layout(location = 0) out vec4 fragColor;
void main() { fragColor = shade; }
)";

// One linked program and where its uniforms are, by their names inside the shader's uniform
// block ("time", not "_134.time") or their own ("feedData").
class StageProgram {
public:
    bool link(const QByteArray& vertex, const QByteArray& fragment) {
        if (!program_.addShaderFromSourceCode(QOpenGLShader::Vertex, vertex) ||
            !program_.addShaderFromSourceCode(QOpenGLShader::Fragment, fragment) || !program_.link())
            return false;
        QOpenGLExtraFunctions* gl = QOpenGLContext::currentContext()->extraFunctions();
        GLint count = 0;
        gl->glGetProgramiv(program_.programId(), GL_ACTIVE_UNIFORMS, &count);
        for (GLint i = 0; i < count; ++i) {
            char name[256];
            GLsizei length = 0;
            GLint size = 0;
            GLenum type = 0;
            gl->glGetActiveUniform(program_.programId(), GLuint(i), sizeof name, &length, &size, &type, name);
            const QByteArray full(name, length);
            const QByteArray member = full.mid(full.lastIndexOf('.') + 1);
            locations_[member] = program_.uniformLocation(full);
        }
        return true;
    }
    void bind() { program_.bind(); }
    template <typename Value> void set(const char* name, const Value& value) {
        const auto found = locations_.find(name);
        if (found != locations_.end())
            program_.setUniformValue(found->second, value);
    }

private:
    QOpenGLShaderProgram program_;
    std::map<QByteArray, int> locations_;
};

// The programs of one GL context, kept as long as it lives: a mode switch makes a new surface
// but compiles nothing again. A program that failed stays failed (null).
class ProgramCache : public QObject {
public:
    static ProgramCache& of(QOpenGLContext* context) {
        auto* cache = context->findChild<ProgramCache*>(QString(), Qt::FindDirectChildrenOnly);
        return cache ? *cache : *new ProgramCache(context);
    }

    // The program under `key`, linked from `sources()` ({vertex, fragment}) on first use.
    template <typename Sources> StageProgram* program(const QString& key, Sources sources) {
        auto found = programs_.find(key);
        if (found == programs_.end()) {
            const auto [vertex, fragment] = sources();
            auto program = std::make_unique<StageProgram>();
            if (!program->link(vertex, fragment))
                program.reset();
            found = programs_.emplace(key, std::move(program)).first;
        }
        return found->second.get();
    }

private:
    explicit ProgramCache(QOpenGLContext* context) : QObject(context) {}
    std::map<QString, std::unique_ptr<StageProgram>> programs_;
};

void reportFailure(const QString& shader) {
    // From the render thread: the switch to the fallback happens on the GUI thread.
    QMetaObject::invokeMethod(
        &StageShaders::instance(),
        [shader] { StageShaders::instance().reportFailure(shader + QStringLiteral(" failed to load")); },
        Qt::QueuedConnection);
}

// The bound texture read between its texels and clamped at its edges, as a layer's is.
void filterLinearly() {
    QOpenGLFunctions* gl = QOpenGLContext::currentContext()->functions();
    gl->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    gl->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    gl->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    gl->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
}

// A texture a pass draws into and a later pass reads.
std::unique_ptr<QOpenGLFramebufferObject> targetOf(QSize size) {
    auto target = std::make_unique<QOpenGLFramebufferObject>(size);
    QOpenGLFunctions* gl = QOpenGLContext::currentContext()->functions();
    gl->glBindTexture(GL_TEXTURE_2D, target->texture());
    filterLinearly();
    gl->glBindTexture(GL_TEXTURE_2D, 0);
    return target;
}

class SurfaceRenderer : public QQuickFramebufferObject::Renderer {
public:
    ~SurfaceRenderer() override {
        if (QOpenGLContext* context = QOpenGLContext::currentContext()) {
            QOpenGLExtraFunctions* gl = context->extraFunctions();
            gl->glDeleteTextures(1, &feedTexture_);
            gl->glDeleteBuffers(1, &quad_);
            gl->glDeleteBuffers(1, &strip_);
            gl->glDeleteVertexArrays(1, &vertexArray_);
        }
    }

    QOpenGLFramebufferObject* createFramebufferObject(const QSize& size) override {
        return new QOpenGLFramebufferObject(scaled(size));
    }

    void synchronize(QQuickFramebufferObject* item) override {
        auto* surface = static_cast<StageSurface*>(item);
        surface->takePicture(picture_);
        // The size the item asks for, reckoned as the framebuffer item does; a new one when the
        // item or the resolution changed.
        const qreal ratio = item->window() ? item->window()->effectiveDevicePixelRatio() : 1;
        const QSize asked = QSize(std::max(1, int(item->width())), std::max(1, int(item->height()))) * ratio;
        if (framebufferObject() && framebufferObject()->size() != scaled(asked))
            invalidateFramebufferObject();
    }

    void render() override {
        QOpenGLContext* context = QOpenGLContext::currentContext();
        QOpenGLFramebufferObject* output = framebufferObject();
        if (!context || !output || !picture_.mode)
            return;
        gl_ = context->extraFunctions();
        prepare();
        gl_->glDisable(GL_DEPTH_TEST);
        gl_->glDisable(GL_SCISSOR_TEST);
        gl_->glDisable(GL_CULL_FACE);
        gl_->glDisable(GL_BLEND);
        gl_->glClearColor(0, 0, 0, 0);
        gl_->glClear(GL_COLOR_BUFFER_BIT);
        if (picture_.mode->drawing == StageDrawing::Shader)
            drawShader(*context);
        else
            drawWithBloom(*context, *output);
        gl_->glBindVertexArray(0);
        QQuickOpenGLUtils::resetOpenGLState();
    }

private:
    QSize scaled(QSize size) const {
        return QSize(std::max(1, int(std::lround(size.width() * picture_.resolution))),
                     std::max(1, int(std::lround(size.height() * picture_.resolution))));
    }

    void prepare() {
        if (vertexArray_ != 0)
            return;
        gl_->glGenVertexArrays(1, &vertexArray_);
        gl_->glGenBuffers(1, &quad_);
        gl_->glGenBuffers(1, &strip_);
        const GLfloat corners[] = {-1, -1, 1, -1, -1, 1, 1, 1};
        gl_->glBindBuffer(GL_ARRAY_BUFFER, quad_);
        gl_->glBufferData(GL_ARRAY_BUFFER, sizeof corners, corners, GL_STATIC_DRAW);
        gl_->glGenTextures(1, &feedTexture_);
        gl_->glBindTexture(GL_TEXTURE_2D, feedTexture_);
        gl_->glTexImage2D(GL_TEXTURE_2D, 0, GL_R32F, ModeShaderInput::textureWidth,
                          ModeShaderInput::textureRows, 0, GL_RED, GL_FLOAT, nullptr);
        gl_->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        gl_->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        gl_->glBindTexture(GL_TEXTURE_2D, 0);
    }

    // The program of a shader file with the quad's vertex shader; null (reported once) when
    // the file does not load or compile.
    StageProgram* quadProgram(QOpenGLContext& context, const QString& file, const QString& name) {
        StageProgram* program = ProgramCache::of(&context).program(file, [&file] {
            QFile source(file);
            return std::pair(QByteArray(quadVertex),
                             source.open(QIODevice::ReadOnly) ? source.readAll() : QByteArray());
        });
        if (!program && !reported_) {
            reported_ = true;
            reportFailure(name);
        }
        return program;
    }

    void drawQuad(StageProgram& program) {
        program.set("qt_Opacity", 1.0f);
        gl_->glBindVertexArray(vertexArray_);
        gl_->glBindBuffer(GL_ARRAY_BUFFER, quad_);
        gl_->glEnableVertexAttribArray(0);
        gl_->glDisableVertexAttribArray(1);
        gl_->glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
        gl_->glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    }

    void bindTexture(int unit, GLuint texture) {
        gl_->glActiveTexture(GL_TEXTURE0 + GLenum(unit));
        gl_->glBindTexture(GL_TEXTURE_2D, texture);
    }

    void drawShader(QOpenGLContext& context) {
        const QString name =
            QString::fromUtf8(picture_.mode->shader.data(), qsizetype(picture_.mode->shader.size()));
        StageProgram* program = quadProgram(context, picture_.shaderFile, name);
        if (!program)
            return;
        gl_->glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
        bindTexture(0, feedTexture_);
        gl_->glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, ModeShaderInput::textureWidth,
                             ModeShaderInput::textureRows, GL_RED, GL_FLOAT, picture_.texels.data());
        program->bind();
        program->set("feedData", 0);
        program->set("resolution", QVector2D(float(picture_.size.width()), float(picture_.size.height())));
        program->set("time", picture_.values.time);
        program->set("phase", picture_.values.phase);
        program->set("energies", picture_.values.energies);
        program->set("tone", picture_.values.tone);
        program->set("rows", picture_.values.rows);
        drawQuad(*program);
    }

    void drawStrip(QOpenGLContext& context) {
        StageProgram* program = ProgramCache::of(&context).program(QStringLiteral(":strip"), [] {
            return std::pair(QByteArray(stripVertex), QByteArray(stripFragment));
        });
        const auto& vertices = picture_.strip.vertices();
        if (!program || vertices.empty())
            return;
        program->bind();
        program->set("size", QVector2D(float(picture_.size.width()), float(picture_.size.height())));
        gl_->glBindVertexArray(vertexArray_);
        gl_->glBindBuffer(GL_ARRAY_BUFFER, strip_);
        gl_->glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(vertices.size() * sizeof(StageVertex)), vertices.data(),
                          GL_STREAM_DRAW);
        gl_->glEnableVertexAttribArray(0);
        gl_->glEnableVertexAttribArray(1);
        gl_->glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, sizeof(StageVertex), nullptr);
        gl_->glVertexAttribPointer(1, 4, GL_UNSIGNED_BYTE, GL_TRUE, sizeof(StageVertex),
                                   reinterpret_cast<const void*>(offsetof(StageVertex, r)));
        // Premultiplied colours, laid over what is below (alpha 0 adds light).
        gl_->glEnable(GL_BLEND);
        gl_->glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
        gl_->glDrawArrays(GL_TRIANGLE_STRIP, 0, GLsizei(vertices.size()));
        gl_->glDisable(GL_BLEND);
        gl_->glDisableVertexAttribArray(1);
    }

    void target(QOpenGLFramebufferObject& framebuffer) {
        framebuffer.bind();
        gl_->glViewport(0, 0, framebuffer.width(), framebuffer.height());
    }

    void drawWithBloom(QOpenGLContext& context, QOpenGLFramebufferObject& output) {
        const QString folder = picture_.shaderFolder;
        StageProgram* reduce = quadProgram(context, folder + QStringLiteral("/bloomReduce.frag.glsl"),
                                           QStringLiteral("bloomReduce"));
        StageProgram* blur = quadProgram(context, folder + QStringLiteral("/bloomBlur.frag.glsl"),
                                         QStringLiteral("bloomBlur"));
        StageProgram* composite = quadProgram(context, folder + QStringLiteral("/bloomComposite.frag.glsl"),
                                              QStringLiteral("bloomComposite"));
        if (!reduce || !blur || !composite)
            return;
        const QSize full = output.size();
        const QSize quarter(std::max(1, int(std::lround(full.width() / 4.0))),
                            std::max(1, int(std::lround(full.height() / 4.0))));
        if (!small_[0] || small_[0]->size() != quarter) {
            small_[0] = targetOf(quarter);
            small_[1] = targetOf(quarter);
        }
        const float width = float(std::max(1.0, picture_.size.width()));
        const float height = float(std::max(1.0, picture_.size.height()));
        // One tap of the blur: its reach (3.2 x radius) over the kernel's four taps each way.
        const float tap = picture_.bloomRadius * 3.2f / 4;

        // The sharp picture goes straight into the output; its light is added onto it last.
        target(output);
        const QColor& ground = picture_.background;
        gl_->glClearColor(ground.redF(), ground.greenF(), ground.blueF(), 1);
        gl_->glClear(GL_COLOR_BUFFER_BIT);
        drawStrip(context);

        target(*small_[0]);
        reduce->bind();
        bindTexture(0, output.texture());
        filterLinearly();
        reduce->set("source", 0);
        reduce->set("texel", QVector2D(1 / width, 1 / height));
        reduce->set("threshold", 0.3f);
        drawQuad(*reduce);

        target(*small_[1]);
        blur->bind();
        bindTexture(0, small_[0]->texture());
        blur->set("source", 0);
        blur->set("offset", QVector2D(tap / width, 0));
        drawQuad(*blur);

        target(*small_[0]);
        bindTexture(0, small_[1]->texture());
        blur->set("offset", QVector2D(0, tap / height));
        drawQuad(*blur);

        target(output);
        composite->bind();
        bindTexture(0, small_[0]->texture());
        composite->set("glow", 0);
        composite->set("strength", picture_.bloomStrength);
        gl_->glEnable(GL_BLEND);
        gl_->glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
        drawQuad(*composite);
        gl_->glDisable(GL_BLEND);
    }

    StagePicture picture_;
    QOpenGLExtraFunctions* gl_ = nullptr;
    GLuint vertexArray_ = 0, quad_ = 0, strip_ = 0, feedTexture_ = 0;
    std::unique_ptr<QOpenGLFramebufferObject> small_[2];
    bool reported_ = false;
};

} // namespace

StageSurface::StageSurface(QQuickItem* parent) : QQuickFramebufferObject(parent) {
    // The framebuffer follows the item at the resolution the renderer picks.
    setTextureFollowsItemSize(false);
    connect(this, &QQuickItem::widthChanged, this, &QQuickItem::update);
    connect(this, &QQuickItem::heightChanged, this, &QQuickItem::update);
}

namespace {

// Stores a changed value, says so and draws again.
template <typename Value>
void change(StageSurface& surface, Value& field, const Value& value, void (StageSurface::*changed)()) {
    if (field == value)
        return;
    field = value;
    emit(surface.*changed)();
    surface.update();
}

} // namespace

void StageSurface::setMode(const QString& mode) {
    change(*this, mode_, mode, &StageSurface::modeChanged);
    updateResolution();
}

void StageSurface::setFeed(QObject* feed) {
    change(*this, feed_, QPointer<StageFeed>(qobject_cast<StageFeed*>(feed)), &StageSurface::feedChanged);
}

void StageSurface::setFrame(int frame) {
    change(*this, frame_, frame, &StageSurface::frameChanged);
}

void StageSurface::setBackground(const QColor& background) {
    change(*this, background_, background, &StageSurface::backgroundChanged);
}

void StageSurface::setBloomRadius(double radius) {
    change(*this, bloomRadius_, radius, &StageSurface::bloomChanged);
}

void StageSurface::setBloomStrength(double strength) {
    change(*this, bloomStrength_, strength, &StageSurface::bloomChanged);
}

void StageSurface::poseValues(std::optional<ModeShaderValues> values) {
    posed_ = values;
    update();
}

void StageSurface::updateResolution() {
    const bool shader = stageModeOf(mode_).drawing == StageDrawing::Shader;
    FrameDriver* driver = FrameDriver::of(window());
    resolution_ = shader && driver && driver->rendererKind() == RendererKind::Software ? 0.5 : 1.0;
    update();
}

void StageSurface::itemChange(ItemChange change, const ItemChangeData& data) {
    QQuickFramebufferObject::itemChange(change, data);
    if (change != ItemSceneChange)
        return;
    disconnect(rendererKind_);
    if (FrameDriver* driver = FrameDriver::of(data.window))
        rendererKind_ =
            connect(driver, &FrameDriver::rendererKindChanged, this, &StageSurface::updateResolution);
    updateResolution();
}

QQuickFramebufferObject::Renderer* StageSurface::createRenderer() const {
    return new SurfaceRenderer;
}

void StageSurface::takePicture(StagePicture& picture) const {
    const StageMode& mode = stageModeOf(mode_);
    picture.mode = &mode;
    picture.size = size();
    picture.resolution = resolution_;
    picture.shaderFolder = StageShaders::instance().folder();
    picture.shaderFile = StageShaders::instance().shaderFile(
        QString::fromUtf8(mode.shader.data(), qsizetype(mode.shader.size())));
    picture.background = background_;
    picture.bloomRadius = float(bloomRadius_);
    picture.bloomStrength = float(bloomStrength_);
    picture.strip.clear();
    if (!feed_)
        return;
    switch (mode.drawing) {
    case StageDrawing::Shader:
        picture.values = posed_ ? *posed_ : ModeShaderInput::values(mode, *feed_);
        ModeShaderInput::fillTexture(mode, *feed_, picture.texels);
        break;
    case StageDrawing::Terrain:
        Terrain::build(picture.strip, *feed_, size());
        break;
    case StageDrawing::Vectorscope:
        Vectorscope::build(picture.strip, *feed_, size());
        break;
    }
}

} // namespace ZintraRadio
