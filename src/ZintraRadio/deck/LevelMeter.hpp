// The stereo level meter's smoothing and geometry. The hold keeps, per channel, a level that
// rises fast and falls with the frame time, and a peak that falls back slowly; each drawn frame
// advances it by the time since the previous one. Pure; the meter item owns one hold.
#pragma once

#include <array>
#include <vector>

namespace ZintraRadio {

class LevelMeterHold {
public:
    // `now`: seconds on a monotonic clock.
    explicit LevelMeterHold(double now) : last_(now) {}

    // One drawn frame at `now` with the raw channel levels (RMS amplitudes). The step is the
    // time since the last frame clamped to 0...0.1 s, so a clock that jumps back or a pause
    // in drawing moves the meter by one bounded step; levels that are not finite count as
    // silence and the state stays within 0...1.
    void advance(double now, double left, double right);

    double level(int channel) const { return levels_[index(channel)]; }
    double peak(int channel) const { return peaks_[index(channel)]; }
    // Nothing lit and no peak marker: a further silent frame would draw the same picture.
    bool settled() const;

    // The target of a raw level: √level × 1.15, at most 1.
    static double target(double raw);

private:
    static std::size_t index(int channel) { return channel == 1 ? 1 : 0; }

    std::array<double, 2> peaks_{0, 0};
    std::array<double, 2> levels_{0, 0};
    double last_;
};

// The segments of a meter W points wide: n per row at pitch u, each u − 1.6 wide after the
// 12-point label column.
struct MeterGeometry {
    int segments = 8;
    double pitch = 0;
    double segmentWidth = 0;
    double tolerance = 0; // how near a segment lies to the peak to mark it
};
MeterGeometry meterGeometry(double width);

enum class SegmentFill { unlit, lit, peak };
struct MeterSegment {
    double x = 0;
    SegmentFill fill = SegmentFill::unlit;
    bool red = false;        // the top tenth of the scale
    double rampPosition = 0; // on the spectrum ramp, for the others
    friend bool operator==(const MeterSegment&, const MeterSegment&) = default;
};
std::vector<MeterSegment> meterRow(const MeterGeometry& geometry, double level, double peak);

inline constexpr double meterHeight = 30;
// Row tops relative to the middle: left above, right below.
inline constexpr double meterRowOffset[2] = {-9, 2};
inline constexpr double meterSegmentHeight = 7;
inline constexpr double meterLabelWidth = 12;

} // namespace ZintraRadio
