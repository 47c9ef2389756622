#include "SampleRing.hpp"

#include <algorithm>
#include <cstring>

namespace ZazidEvoz {

SampleRing::SampleRing(std::size_t capacity)
    : capacity_(capacity - capacity % 2), storage_(capacity_, 0.0f) {}

std::size_t SampleRing::read(std::size_t frames, float* left, float* right) {
    std::lock_guard guard(lock_);
    std::size_t n = std::min(count_ / 2, frames);
    if (n == 0)
        return 0;
    std::size_t i = readIndex_;
    for (std::size_t frame = 0; frame < n; ++frame) {
        left[frame] = storage_[i];
        right[frame] = storage_[i + 1];
        i += 2;
        if (i >= capacity_)
            i = 0;
    }
    readIndex_ = (readIndex_ + 2 * n) % capacity_;
    count_ -= 2 * n;
    return n;
}

std::size_t SampleRing::write(const float* samples, std::size_t offered) {
    std::lock_guard guard(lock_);
    std::size_t stored = std::min(capacity_ - count_, offered);
    if (stored == 0)
        return 0;
    std::size_t start = (readIndex_ + count_) % capacity_;
    std::size_t firstRun = std::min(stored, capacity_ - start);
    std::memcpy(storage_.data() + start, samples, firstRun * sizeof(float));
    std::memcpy(storage_.data(), samples + firstRun, (stored - firstRun) * sizeof(float));
    count_ += stored;
    return stored;
}

std::size_t SampleRing::count() const {
    std::lock_guard guard(lock_);
    return count_;
}

void SampleRing::clear() {
    std::lock_guard guard(lock_);
    readIndex_ = 0;
    count_ = 0;
}

ScopeBuffer::ScopeBuffer() : left_(frames, 0.0f), right_(frames, 0.0f) {}

void ScopeBuffer::append(const float* left, const float* right, std::size_t count) {
    std::lock_guard guard(lock_);
    for (std::size_t frame = 0; frame < count; ++frame) {
        left_[writeIndex_] = left ? left[frame] : 0.0f;
        right_[writeIndex_] = right ? right[frame] : 0.0f;
        writeIndex_ = (writeIndex_ + 1) % frames;
    }
}

void ScopeBuffer::appendSilence(std::size_t count) {
    append(nullptr, nullptr, count);
}

void ScopeBuffer::latest(std::size_t n, std::vector<float>& left, std::vector<float>& right) const {
    std::lock_guard guard(lock_);
    std::size_t m = std::min(n, frames);
    if (left.size() != m)
        left.assign(m, 0.0f);
    if (right.size() != m)
        right.assign(m, 0.0f);
    std::size_t index = (writeIndex_ + frames - m) % frames;
    for (std::size_t frame = 0; frame < m; ++frame) {
        left[frame] = left_[index];
        right[frame] = right_[index];
        index = (index + 1) % frames;
    }
}

void ScopeBuffer::clear() {
    std::lock_guard guard(lock_);
    std::fill(left_.begin(), left_.end(), 0.0f);
    std::fill(right_.begin(), right_.end(), 0.0f);
}

} // namespace ZazidEvoz
