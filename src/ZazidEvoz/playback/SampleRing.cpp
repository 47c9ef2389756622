#include "SampleRing.hpp"

#include <algorithm>

namespace ZazidEvoz {

namespace {

static_assert(std::atomic_ref<float>::is_always_lock_free);

// In the ring the order comes from the positions: the samples are atomic only so that a slot
// reused under a reader that then drops its copy is not a data race. The scope buffer orders
// its samples themselves (see latest()). On x86 all of these are plain moves.
float loadSample(const float& slot, std::memory_order order = std::memory_order_relaxed) {
    return std::atomic_ref(const_cast<float&>(slot)).load(order);
}

void storeSample(float& slot, float value, std::memory_order order = std::memory_order_relaxed) {
    std::atomic_ref(slot).store(value, order);
}

// Copies `count` samples of one scope channel from `slot` on, going round its end at most once.
void copyFromScope(const std::vector<float>& channel, std::size_t slot, float* to, std::size_t count) {
    const std::size_t firstRun = std::min(count, channel.size() - slot);
    for (std::size_t i = 0; i < firstRun; ++i)
        to[i] = loadSample(channel[slot + i], std::memory_order_acquire);
    for (std::size_t i = firstRun; i < count; ++i)
        to[i] = loadSample(channel[i - firstRun], std::memory_order_acquire);
}

} // namespace

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

ScopeBuffer::ScopeBuffer() : left_(frames, 0.0f), right_(frames, 0.0f) {}

void ScopeBuffer::append(const float* left, const float* right, std::size_t count) {
    const std::uint64_t start = published_.load(std::memory_order_relaxed);
    announced_.store(start + count, std::memory_order_relaxed);
    // Released: a reader that sees one of these samples sees the announcement before it.
    for (std::size_t frame = 0; frame < count; ++frame) {
        const std::size_t slot = static_cast<std::size_t>((start + frame) % frames);
        storeSample(left_[slot], left ? left[frame] : 0.0f, std::memory_order_release);
        storeSample(right_[slot], right ? right[frame] : 0.0f, std::memory_order_release);
    }
    published_.store(start + count, std::memory_order_release);
}

void ScopeBuffer::appendSilence(std::size_t count) {
    append(nullptr, nullptr, count);
}

void ScopeBuffer::latest(std::size_t n, std::vector<float>& left, std::vector<float>& right) const {
    const std::size_t m = std::min(n, frames);
    if (left.size() != m)
        left.assign(m, 0.0f);
    if (right.size() != m)
        right.assign(m, 0.0f);
    // The writer adds about a thousand frames per callback and a copy takes microseconds: a
    // copy that it overtook is made again, a few times at most.
    for (int attempt = 0; attempt < 4; ++attempt) {
        const auto end = static_cast<std::int64_t>(published_.load(std::memory_order_acquire));
        const auto silentBefore = static_cast<std::int64_t>(silentBefore_.load(std::memory_order_acquire));
        const std::int64_t first = end - static_cast<std::int64_t>(m); // below 0: never written
        // Frames before the last clear, and those never written, are silence.
        const std::int64_t heard = std::max({first, silentBefore, std::int64_t(0)});
        const auto silent = static_cast<std::size_t>(std::min<std::int64_t>(heard - first, m));
        std::fill_n(left.begin(), silent, 0.0f);
        std::fill_n(right.begin(), silent, 0.0f);
        const std::size_t slot = static_cast<std::size_t>(heard) % frames;
        copyFromScope(left_, slot, left.data() + silent, m - silent);
        copyFromScope(right_, slot, right.data() + silent, m - silent);
        const auto reach = static_cast<std::int64_t>(announced_.load(std::memory_order_relaxed));
        if (reach - first <= static_cast<std::int64_t>(frames))
            return; // no slot of the copy was written over meanwhile
    }
}

void ScopeBuffer::clear() {
    silentBefore_.store(published_.load(std::memory_order_acquire), std::memory_order_release);
}

} // namespace ZazidEvoz
