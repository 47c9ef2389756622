// What the real-time output thread played last, read by the spectrum analyser. The output
// thread's side takes no lock and allocates nothing: positions are atomics, and each sample
// is written and read as an atomic, so a reader can tell when the writer overtook its copy.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace ZazidEvoz {

// The last 4096 stereo frames sent to the output. One writer, the output thread; latest() and
// clear() come from the analyser's thread.
class ScopeBuffer {
public:
    static constexpr std::size_t frames = 4096;

    ScopeBuffer();

    void append(const float* left, const float* right, std::size_t count);
    void appendSilence(std::size_t count);
    // Resizes both lists to min(n, 4096) and fills them with the latest frames, oldest first.
    void latest(std::size_t n, std::vector<float>& left, std::vector<float>& right) const;
    // Every frame held so far reads as silence from now on.
    void clear();

private:
    std::vector<float> left_;
    std::vector<float> right_;
    // Frames appended since creation: announced before their slots are written, published
    // after, so a reader can tell when the writer went over the frames it was copying.
    std::atomic<std::uint64_t> announced_{0};
    std::atomic<std::uint64_t> published_{0};
    std::atomic<std::uint64_t> silentBefore_{0}; // frames before this one were cleared
};

} // namespace ZazidEvoz
