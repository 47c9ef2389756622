#include "kit/Artwork.hpp"

#include "kit/ArtworkRules.hpp"
#include "kit/ArtworkStore.hpp"
#include "kit/QtColor.hpp"

#include <QMutex>
#include <QPainter>
#include <QPainterPath>
#include <QQmlEngine>
#include <QQuickTextureFactory>
#include <algorithm>
#include <atomic>

namespace ZintraRadio {

QImage framedArtwork(const QImage& picture, const QSize& requestedSize, double cornerFraction) {
    if (picture.isNull())
        return {};
    const QSize size = requestedSize.isValid() && !requestedSize.isEmpty() ? requestedSize : picture.size();
    const QImage cover = picture.scaled(size, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation);
    QImage framed(size, QImage::Format_ARGB32_Premultiplied);
    framed.fill(Qt::transparent);
    QPainter painter(&framed);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const double radius = std::clamp(cornerFraction, 0.0, 0.5) * std::min(size.width(), size.height());
    QPainterPath shape;
    shape.addRoundedRect(QRectF(QPointF(0, 0), QSizeF(size)), radius, radius);
    painter.setClipPath(shape);
    painter.fillRect(framed.rect(), qtColor(Palette::night)); // shows through transparent pixels
    painter.drawImage(QPointF((size.width() - cover.width()) / 2.0, (size.height() - cover.height()) / 2.0),
                      cover);
    return framed;
}

namespace {

// One picture request of an Image item. The store may answer on any thread; the answer is
// handed over through the shared state, which outlives whichever side ends first.
class ArtworkResponse : public QQuickImageResponse {
public:
    struct State {
        QMutex mutex;
        ArtworkResponse* response = nullptr; // cleared when the response is destroyed
        QImage image;
        std::atomic<bool> finished{false};
    };

    ArtworkResponse(ArtworkStore& store, const QString& url, const QSize& requestedSize,
                    double cornerFraction)
        : store_(store), state_(std::make_shared<State>()) {
        state_->response = this;
        if (url.isEmpty()) { // not a web picture: answer "none" without a transfer
            finishOnce();
            return;
        }
        std::weak_ptr<State> weak = state_;
        ticket_ = store_.fetch(url.toStdString(), [weak, requestedSize, cornerFraction](const QImage& image) {
            auto state = weak.lock();
            if (!state)
                return;
            QImage framed = framedArtwork(image, requestedSize, cornerFraction);
            QMutexLocker lock(&state->mutex);
            state->image = std::move(framed);
            if (state->response != nullptr)
                state->response->finishOnce();
        });
    }

    ~ArtworkResponse() override {
        store_.cancel(ticket_);
        QMutexLocker lock(&state_->mutex);
        state_->response = nullptr;
    }

    QQuickTextureFactory* textureFactory() const override {
        QMutexLocker lock(&state_->mutex);
        return QQuickTextureFactory::textureFactoryForImage(state_->image);
    }

    // A station or video without a fetchable picture is common and expected: the answer is
    // an empty picture, not an error, which Qt Quick would write on standard error.
    QString errorString() const override { return {}; }

    void cancel() override {
        store_.cancel(ticket_);
        finishOnce();
    }

private:
    // The engine expects exactly one finished(), also after a cancel; it may come from the
    // store's thread, so it is queued onto the response's own thread.
    void finishOnce() {
        if (state_->finished.exchange(true))
            return;
        QMetaObject::invokeMethod(this, &QQuickImageResponse::finished, Qt::QueuedConnection);
    }

    ArtworkStore& store_;
    std::shared_ptr<State> state_;
    std::shared_ptr<ArtworkStore::Ticket> ticket_;
};

} // namespace

QQuickImageResponse* ArtworkImageProvider::requestImageResponse(const QString& id,
                                                                const QSize& requestedSize) {
    // The id is "<corner fraction>/<percent-encoded address>". The address is checked again
    // here, so a hand-made "image://artwork/0/file:..." never reaches the network layer.
    const auto slash = id.indexOf(QLatin1Char('/'));
    const double cornerFraction = slash > 0 ? id.left(slash).toDouble() : 0;
    const QString decoded = QUrl::fromPercentEncoding(id.mid(slash + 1).toUtf8());
    const auto address = artworkAddress(decoded, {});
    return new ArtworkResponse(store_, address ? address->toString(QUrl::FullyEncoded) : QString(),
                               requestedSize, cornerFraction);
}

Artwork* Artwork::create(QQmlEngine* engine, QJSEngine*) {
    static Artwork* artwork = new Artwork();
    QQmlEngine::setObjectOwnership(artwork, QQmlEngine::CppOwnership);
    if (engine != nullptr && engine->imageProvider(QString::fromLatin1(providerName)) == nullptr)
        engine->addImageProvider(QString::fromLatin1(providerName),
                                 new ArtworkImageProvider(ArtworkStore::shared()));
    return artwork;
}

QString Artwork::source(const QString& thumbnailURL, const QString& faviconURL, double cornerFraction) const {
    const auto address = artworkAddress(thumbnailURL, faviconURL);
    if (!address)
        return {};
    const QByteArray encoded = QUrl::toPercentEncoding(address->toString(QUrl::FullyEncoded));
    return QStringLiteral("image://%1/%2/%3")
        .arg(QString::fromLatin1(providerName), QString::number(cornerFraction, 'f', 4),
             QString::fromLatin1(encoded));
}

QString Artwork::initial(const QString& name) const {
    return artworkInitial(name);
}

QColor Artwork::accent(const QString& name) const {
    return qtColor(ZintraRadio::accent(name.toStdString()));
}

QColor Artwork::mix(const QString& name) const {
    return qtColor(artworkMix(ZintraRadio::accent(name.toStdString())));
}

} // namespace ZintraRadio
