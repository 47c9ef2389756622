// Samples shared between the real-time output thread and the other threads, read and written
// as atomics without a lock.
#pragma once

#include <atomic>

namespace ZazidEvoz {

static_assert(std::atomic_ref<float>::is_always_lock_free);

// In the ring the order comes from the positions: the samples are atomic only so that a slot
// reused under a reader that then drops its copy is not a data race. The scope buffer orders
// its samples themselves (see latest()). On x86 all of these are plain moves.
inline float loadSample(const float& slot, std::memory_order order = std::memory_order_relaxed) {
    return std::atomic_ref(const_cast<float&>(slot)).load(order);
}

inline void storeSample(float& slot, float value, std::memory_order order = std::memory_order_relaxed) {
    std::atomic_ref(slot).store(value, order);
}

} // namespace ZazidEvoz
