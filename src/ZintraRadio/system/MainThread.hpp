// The Qt side of "hand this to the main thread": the engine's poster, and a check for code
// that must run there.
#pragma once

#include "ZazidEvoz/platform/Threads.hpp"

#include <QObject>
#include <QPointer>
#include <functional>

namespace ZintraRadio {

// A poster that queues work onto the main thread's event loop. Work that arrives after
// `owner` was destroyed is dropped, never run. Make it on the main thread; call it anywhere.
ZazidEvoz::platform::Poster makeMainThreadPoster(QObject* owner);

// Queues one call onto the main thread; dropped when `owner` is gone by then. `owner` must
// be alive when this is called (use the poster from other threads).
void postToMainThread(QObject* owner, std::function<void()> work);

bool isMainThread();

} // namespace ZintraRadio
