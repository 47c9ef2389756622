// The ring of decoded samples between the decoder thread and the real-time output thread,
// waiting to be played. The output thread's side takes no lock and allocates nothing:
// positions are atomics, and the samples are read and written as relaxed atomics, so a slot
// reused under a reader that is about to find out it lost the race is no data race.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

namespace ZazidEvoz {

// Interleaved stereo float samples (left, right, left, ...) from the decoder threads to one
// reader, the output thread. Nothing here allocates after construction.
class SampleRing {
public:
    explicit SampleRing(std::size_t capacity = 192000);

    // The reader: takes up to `frames` frames into the two channel arrays; returns the frames
    // delivered. A clear() that comes while it copies wins: then nothing is delivered.
    std::size_t read(std::size_t frames, float* left, float* right);
    // Stores as many of `count` samples as fit; returns how many were stored. Writers queue
    // behind one another (the pumps of an old and a new play may overlap for a moment), never
    // behind the reader.
    std::size_t write(const float* samples, std::size_t count);
    std::size_t count() const;
    std::size_t capacity() const { return capacity_; }
    // Forgets what is held, from any thread; the stored samples are not zeroed.
    void clear();

private:
    const std::size_t capacity_;
    std::vector<float> storage_;
    // Samples taken (or dropped by clear) and samples stored since creation. Each only grows;
    // the difference is what is held. The reader and clear() move readPosition_, writers
    // (under writerLock_) writePosition_.
    std::atomic<std::uint64_t> readPosition_{0};
    std::atomic<std::uint64_t> writePosition_{0};
    std::mutex writerLock_;
};

} // namespace ZazidEvoz
