// The two buffers between the decoder thread and the real-time output thread: the ring of
// decoded samples waiting to be played, and the history of what was played last (read by
// the spectrum analyser).
#pragma once

#include <cstddef>
#include <mutex>
#include <vector>

namespace ZazidEvoz {

// Interleaved stereo float samples (left, right, left, ...). Every operation holds the lock
// for its whole duration; nothing here allocates after construction.
class SampleRing {
public:
    explicit SampleRing(std::size_t capacity = 192000);

    // Takes up to `frames` frames into the two channel arrays; returns the frames delivered.
    std::size_t read(std::size_t frames, float* left, float* right);
    // Stores as many of `count` samples as fit; returns how many were stored.
    std::size_t write(const float* samples, std::size_t count);
    std::size_t count() const;
    std::size_t capacity() const { return capacity_; }
    // Forgets what is held; the stored samples are not zeroed.
    void clear();

private:
    const std::size_t capacity_;
    mutable std::mutex lock_;
    // Guarded by lock_:
    std::vector<float> storage_;
    std::size_t readIndex_ = 0; // always even
    std::size_t count_ = 0;     // always even
};

// The last 4096 stereo frames sent to the output.
class ScopeBuffer {
public:
    static constexpr std::size_t frames = 4096;

    ScopeBuffer();

    void append(const float* left, const float* right, std::size_t count);
    void appendSilence(std::size_t count);
    // Resizes both lists to min(n, 4096) and fills them with the latest frames, oldest first.
    void latest(std::size_t n, std::vector<float>& left, std::vector<float>& right) const;
    // Zeroes every frame; the write position stays.
    void clear();

private:
    mutable std::mutex lock_;
    // Guarded by lock_:
    std::vector<float> left_;
    std::vector<float> right_;
    std::size_t writeIndex_ = 0;
};

} // namespace ZazidEvoz
