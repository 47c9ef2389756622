#include "system/MainThread.hpp"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

namespace ZintraRadio {

namespace {

// Work from any thread goes through the application object, which outlives every model;
// whether the owner still exists is asked on the main thread, where owners are destroyed.
void queue(const QPointer<QObject>& owner, std::function<void()> work) {
    auto* application = QCoreApplication::instance();
    if (application == nullptr)
        return;
    QMetaObject::invokeMethod(
        application,
        [owner, work = std::move(work)] {
            if (!owner.isNull())
                work();
        },
        Qt::QueuedConnection);
}

} // namespace

void postToMainThread(QObject* owner, std::function<void()> work) {
    queue(QPointer<QObject>(owner), std::move(work));
}

ZazidEvoz::platform::Poster makeMainThreadPoster(QObject* owner) {
    // Made on the main thread; copies of a QPointer are safe on any thread.
    QPointer<QObject> guarded(owner);
    return [guarded](std::function<void()> work) { queue(guarded, std::move(work)); };
}

bool isMainThread() {
    auto* application = QCoreApplication::instance();
    return application != nullptr && QThread::currentThread() == application->thread();
}

} // namespace ZintraRadio
