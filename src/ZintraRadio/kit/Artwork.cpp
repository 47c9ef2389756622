#include "kit/Artwork.hpp"

#include "kit/ArtworkRules.hpp"
#include "kit/ArtworkStore.hpp"
#include "kit/AsyncImageResponse.hpp"
#include "kit/QtColor.hpp"

#include <QPainter>
#include <QPainterPath>
#include <QQmlEngine>
#include <algorithm>

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

// A station or video without a fetchable picture is common and expected: the answer is then an
// empty picture, not an error. A response that goes away cancels its picture's transfer.
AsyncImageResponse* artworkResponse(ArtworkStore& store, const QString& url, const QSize& requestedSize,
                                    double cornerFraction) {
    auto* response = new AsyncImageResponse();
    if (url.isEmpty()) { // not a web picture: answer "none" without a transfer
        response->answer()->give({});
        return response;
    }
    std::weak_ptr<AsyncImageResponse::Answer> weak = response->answer();
    auto ticket = store.fetch(url.toStdString(), [weak, requestedSize, cornerFraction](const QImage& image) {
        if (auto answer = weak.lock())
            answer->give(framedArtwork(image, requestedSize, cornerFraction));
    });
    response->setStop([&store, ticket] { store.cancel(ticket); });
    return response;
}

} // namespace

QQuickImageResponse* ArtworkImageProvider::requestImageResponse(const QString& id,
                                                                const QSize& requestedSize) {
    // The id is "<corner fraction>/<percent-encoded address>". The address is checked again
    // here, so a hand-made "image://artwork/0/file:..." never reaches the network layer.
    const auto slash = id.indexOf(QLatin1Char('/'));
    const double cornerFraction = slash > 0 ? id.left(slash).toDouble() : 0;
    const QString decoded = QUrl::fromPercentEncoding(id.mid(slash + 1).toUtf8());
    const auto address = artworkAddress(decoded, {});
    return artworkResponse(store_, address ? address->toString(QUrl::FullyEncoded) : QString(), requestedSize,
                           cornerFraction);
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
