#include "deck/LevelMeter.hpp"

#include <algorithm>
#include <cmath>

namespace ZintraRadio {

namespace {

double unit(double value) {
    return std::isfinite(value) ? std::clamp(value, 0.0, 1.0) : 0.0;
}

} // namespace

double LevelMeterHold::target(double raw) {
    if (!std::isfinite(raw) || raw <= 0)
        return 0;
    return std::min(1.0, std::sqrt(raw) * 1.15);
}

void LevelMeterHold::advance(double now, double left, double right) {
    double step = 0;
    if (std::isfinite(now)) {
        step = std::isfinite(last_) ? std::clamp(now - last_, 0.0, 0.1) : 0.0;
        last_ = now;
    }
    const double decay = step * 0.35;
    const double fall = std::min(1.0, step * 9);
    const std::array<double, 2> raw{left, right};
    for (std::size_t c = 0; c < 2; ++c) {
        const double w = target(raw[c]);
        // Rising is a fixed share per frame; falling follows the frame time.
        const double k = levels_[c] < w ? 0.6 : fall;
        levels_[c] = unit(levels_[c] + (w - levels_[c]) * k);
        peaks_[c] = unit(std::max(levels_[c], peaks_[c] - decay));
    }
}

bool LevelMeterHold::settled() const {
    for (std::size_t c = 0; c < 2; ++c)
        if (levels_[c] > 0.01 || peaks_[c] > 0.03)
            return false;
    return true;
}

MeterGeometry meterGeometry(double width) {
    MeterGeometry geometry;
    const double usable = std::isfinite(width) ? std::max(0.0, width - meterLabelWidth) : 0.0;
    geometry.segments = std::max(8, static_cast<int>(std::min(usable / 6, 10000.0)));
    geometry.pitch = usable / geometry.segments;
    geometry.segmentWidth = std::max(0.0, geometry.pitch - 1.6);
    geometry.tolerance = 0.5 / geometry.segments;
    return geometry;
}

std::vector<MeterSegment> meterRow(const MeterGeometry& geometry, double level, double peak) {
    std::vector<MeterSegment> row;
    const int n = geometry.segments;
    row.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        const double f = n > 1 ? static_cast<double>(i) / (n - 1) : 0;
        MeterSegment segment;
        segment.x = meterLabelWidth + geometry.pitch * i;
        segment.red = f > 0.9;
        segment.rampPosition = 1 - 1.05 * f;
        if (level >= f && level > 0.01)
            segment.fill = SegmentFill::lit;
        else if (std::abs(f - peak) < geometry.tolerance && peak > 0.03)
            segment.fill = SegmentFill::peak;
        row.push_back(segment);
    }
    return row;
}

} // namespace ZintraRadio
