// Driving the Qt event loop from tests.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <chrono>
#include <functional>

namespace ZintraRadio::testkit {

// Processes events until `done` holds or `timeout` passes; true when `done` held.
inline bool pumpUntil(const std::function<bool()>& done,
                      std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeout.count())
            return done();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return true;
}

// Processes events for `duration`.
inline void pumpFor(std::chrono::milliseconds duration) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < duration.count())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

} // namespace ZintraRadio::testkit
