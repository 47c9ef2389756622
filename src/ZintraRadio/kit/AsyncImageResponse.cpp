#include "kit/AsyncImageResponse.hpp"

#include <QMutexLocker>
#include <QQuickTextureFactory>

namespace ZintraRadio {

void AsyncImageResponse::Answer::give(QImage image) {
    QMutexLocker lock(&mutex_);
    if (finished_)
        return;
    image_ = std::move(image);
    if (response_ != nullptr)
        response_->finishOnce();
    else
        finished_ = true;
}

AsyncImageResponse::AsyncImageResponse(QString errorWhenNone)
    : answer_(std::make_shared<Answer>()), errorWhenNone_(std::move(errorWhenNone)) {
    answer_->response_ = this;
}

AsyncImageResponse::~AsyncImageResponse() {
    if (stop_)
        stop_();
    QMutexLocker lock(&answer_->mutex_);
    answer_->response_ = nullptr;
}

QQuickTextureFactory* AsyncImageResponse::textureFactory() const {
    QMutexLocker lock(&answer_->mutex_);
    return QQuickTextureFactory::textureFactoryForImage(answer_->image_);
}

QString AsyncImageResponse::errorString() const {
    QMutexLocker lock(&answer_->mutex_);
    return answer_->image_.isNull() ? errorWhenNone_ : QString();
}

void AsyncImageResponse::cancel() {
    answer_->cancelled_ = true;
    if (stop_)
        stop_();
    QMutexLocker lock(&answer_->mutex_);
    finishOnce();
}

void AsyncImageResponse::finishOnce() {
    if (answer_->finished_.exchange(true))
        return;
    QMetaObject::invokeMethod(this, &QQuickImageResponse::finished, Qt::QueuedConnection);
}

} // namespace ZintraRadio
