#include "ScopeBuffer.hpp"

#include "AtomicSamples.hpp"

#include <algorithm>

namespace ZazidEvoz {
namespace {

// Copies `count` samples of one scope channel from `slot` on, going round its end at most once.
void copyFromScope(const std::vector<float>& channel, std::size_t slot, float* to, std::size_t count) {
    const std::size_t firstRun = std::min(count, channel.size() - slot);
    for (std::size_t i = 0; i < firstRun; ++i)
        to[i] = loadSample(channel[slot + i], std::memory_order_acquire);
    for (std::size_t i = firstRun; i < count; ++i)
        to[i] = loadSample(channel[i - firstRun], std::memory_order_acquire);
}

} // namespace

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
