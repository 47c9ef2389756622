// One picture request of an Image item, answered from another thread. The work holds the
// response's answer, which outlives whichever side ends first: the picture is handed over under
// its lock, and finished() reaches the response's own thread queued, exactly once, also after a
// cancel, as Qt Quick expects.
#pragma once

#include <QImage>
#include <QMutex>
#include <QQuickImageResponse>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>

namespace ZintraRadio {

class AsyncImageResponse : public QQuickImageResponse {
public:
    // What the work holds. Any thread.
    class Answer {
    public:
        // Hands `image` over (null: no picture) and finishes the response; only the first
        // answer or cancel counts.
        void give(QImage image);
        bool cancelled() const { return cancelled_; }

    private:
        friend class AsyncImageResponse;
        QMutex mutex_;
        QImage image_;                           // guarded by mutex_
        AsyncImageResponse* response_ = nullptr; // guarded by mutex_; none once destroyed
        std::atomic<bool> finished_{false};
        std::atomic<bool> cancelled_{false};
    };

    // `errorWhenNone`: what a null picture reports as its error; empty when none is an
    // expected answer, which Qt Quick would otherwise write on standard error.
    explicit AsyncImageResponse(QString errorWhenNone = {});
    ~AsyncImageResponse() override;

    const std::shared_ptr<Answer>& answer() const { return answer_; }
    // Stops the work behind the response when it is cancelled or destroyed.
    void setStop(std::function<void()> stop) { stop_ = std::move(stop); }

    QQuickTextureFactory* textureFactory() const override;
    QString errorString() const override;
    void cancel() override;

private:
    // Under the answer's lock; the first call wins.
    void finishOnce();

    std::shared_ptr<Answer> answer_;
    QString errorWhenNone_;
    std::function<void()> stop_;
};

} // namespace ZintraRadio
