#include "SampleRing.hpp"

#include "AtomicSamples.hpp"

#include <algorithm>

namespace ZazidEvoz {

SampleRing::SampleRing(std::size_t capacity)
    : capacity_(capacity - capacity % 2), storage_(capacity_, 0.0f) {}

std::size_t SampleRing::read(std::size_t frames, float* left, float* right) {
    std::uint64_t from = readPosition_.load(std::memory_order_acquire);
    const std::uint64_t held = writePosition_.load(std::memory_order_acquire) - from;
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(held / 2, frames));
    if (n == 0)
        return 0;
    std::size_t i = static_cast<std::size_t>(from % capacity_);
    for (std::size_t frame = 0; frame < n; ++frame) {
        left[frame] = loadSample(storage_[i]);
        right[frame] = loadSample(storage_[i + 1]);
        i += 2;
        if (i >= capacity_)
            i = 0;
    }
    // Only clear() moves the position under the reader; what it overtook is not delivered.
    if (!readPosition_.compare_exchange_strong(from, from + 2 * n, std::memory_order_acq_rel))
        return 0;
    return n;
}

std::size_t SampleRing::write(const float* samples, std::size_t offered) {
    std::lock_guard writers(writerLock_);
    const std::uint64_t to = writePosition_.load(std::memory_order_relaxed);
    const std::uint64_t held = to - readPosition_.load(std::memory_order_acquire);
    // Whole frames only, so a frame never straddles the end of the storage.
    const std::size_t stored =
        static_cast<std::size_t>(std::min<std::uint64_t>(capacity_ - held, offered)) & ~std::size_t(1);
    if (stored == 0)
        return 0;
    std::size_t i = static_cast<std::size_t>(to % capacity_);
    for (std::size_t k = 0; k < stored; ++k) {
        storeSample(storage_[i], samples[k]);
        if (++i == capacity_)
            i = 0;
    }
    writePosition_.store(to + stored, std::memory_order_release);
    return stored;
}

std::size_t SampleRing::count() const {
    // Read position first: the write position seen after it is never behind it.
    const std::uint64_t read = readPosition_.load(std::memory_order_acquire);
    const std::uint64_t written = writePosition_.load(std::memory_order_acquire);
    return static_cast<std::size_t>(std::min<std::uint64_t>(written - read, capacity_));
}

void SampleRing::clear() {
    const std::uint64_t written = writePosition_.load(std::memory_order_acquire);
    std::uint64_t read = readPosition_.load(std::memory_order_relaxed);
    // Never backwards: the reader or another clear may have gone further meanwhile.
    while (read < written && !readPosition_.compare_exchange_weak(read, written, std::memory_order_acq_rel))
        ;
}

} // namespace ZazidEvoz
