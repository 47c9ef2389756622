// The output's real-time thread must never wait for another thread or for the allocator. This
// program's operator new and pthread lock functions note what SDL's audio thread asks of them
// while a test plays, and hand every call on to the library that would have served it.
// ThreadSanitizer intercepts the same functions and tells callers apart by their address, so
// under it the counting is left out.
#include "EngineTestKit.hpp"
#include "ZazidEvoz/playback/AudioEngine.hpp"
#include "support/StreamServer.hpp"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <new>
#include <pthread.h>
#include <sys/prctl.h>

using namespace ZazidEvoz;
using namespace ZazidEvoz::testkit;
using namespace std::chrono_literals;
using Kind = PlaybackState::Kind;

namespace {

std::atomic<bool> watching{false};
std::atomic<long> renderLocks{0};       // taken on the audio thread by anything but SDL itself
std::atomic<long> renderAllocations{0}; // SDL is C: every operator new there is ours
std::atomic<long> sdlLocks{0};          // SDL's own, once per period: shows the thread was seen

} // namespace

#if !defined(__SANITIZE_THREAD__)
namespace {

// SDL names its output threads "SDLAudioP<device>".
bool onAudioThread() {
    char name[16] = {};
    ::prctl(PR_GET_NAME, name);
    return std::strncmp(name, "SDLAudio", 8) == 0;
}

bool isInsideSdl(void* caller) {
    Dl_info info{};
    return ::dladdr(caller, &info) != 0 && info.dli_fname && std::strstr(info.dli_fname, "libSDL2");
}

void noteLock(void* caller) {
    if (watching.load(std::memory_order_relaxed) && onAudioThread())
        ++(isInsideSdl(caller) ? sdlLocks : renderLocks);
}

void noteAllocation() {
    if (watching.load(std::memory_order_relaxed) && onAudioThread())
        ++renderAllocations;
}

template <typename Function> Function following(const char* symbol) {
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, symbol));
}

} // namespace

// What std::mutex and std::shared_mutex come down to.
#define COUNTED_LOCK(function, type)                                                                         \
    extern "C" int function(type* lock) {                                                                    \
        static auto next = following<int (*)(type*)>(#function);                                             \
        noteLock(__builtin_return_address(0));                                                               \
        return next(lock);                                                                                   \
    }
COUNTED_LOCK(pthread_mutex_lock, pthread_mutex_t)
COUNTED_LOCK(pthread_mutex_trylock, pthread_mutex_t)
COUNTED_LOCK(pthread_rwlock_rdlock, pthread_rwlock_t)
COUNTED_LOCK(pthread_rwlock_wrlock, pthread_rwlock_t)

// operator delete is left to the library: every block still comes from its operator new.
void* operator new(std::size_t size) {
    static auto next = following<void* (*)(std::size_t)>("_Znwm");
    noteAllocation();
    return next(size);
}
void* operator new[](std::size_t size) {
    static auto next = following<void* (*)(std::size_t)>("_Znam");
    noteAllocation();
    return next(size);
}
void* operator new(std::size_t size, std::align_val_t alignment) {
    static auto next = following<void* (*)(std::size_t, std::align_val_t)>("_ZnwmSt11align_val_t");
    noteAllocation();
    return next(size, alignment);
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
    static auto next = following<void* (*)(std::size_t, std::align_val_t)>("_ZnamSt11align_val_t");
    noteAllocation();
    return next(size, alignment);
}
#endif

// A station that falls silent after a few seconds while its connection stays open: the output
// goes through priming, playing and the short read while it is watched.
TEST(RealtimeRender, TheOutputThreadTakesNoLockAndAllocatesNothing) {
#if defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "ThreadSanitizer owns the lock functions";
#endif
    StreamServer server;
    StreamSpec spec;
    spec.media = toneMp3();
    spec.burstSeconds = 2;
    spec.stallAfterBytes = 3 * streamBytesPerSecond;
    server.addStream("/stalling", spec);
    server.start();

    EngineHarness harness;
    AudioEngine& engine = harness.engine();
    watching = true;
    engine.play({server.url("/stalling"), std::nullopt, true});
    // Running dry must still reach the application, from another thread.
    bool ranDry = harness.waitFor(
        [&] {
            auto states = harness.states();
            return states == std::vector<Kind>{Kind::buffering, Kind::playing, Kind::buffering};
        },
        60s);
    watching = false;
    ASSERT_TRUE(ranDry);
    EXPECT_GT(sdlLocks.load(), 0) << "the audio thread was never seen";
    EXPECT_EQ(renderLocks.load(), 0);
    EXPECT_EQ(renderAllocations.load(), 0);
    EXPECT_TRUE(harness.reconnects().empty());
}
