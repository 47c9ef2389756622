#include "kit/Blur.hpp"

#include <QImage>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

namespace ZintraRadio {

namespace {

// Widths of three box filters whose sequence approximates a Gaussian of `sigma`.
std::array<int, 3> boxWidths(double sigma) {
    const double ideal = std::sqrt(12.0 * sigma * sigma / 3.0 + 1.0);
    int lower = static_cast<int>(std::floor(ideal));
    if (lower % 2 == 0)
        --lower;
    const int upper = lower + 2;
    const double m = (12.0 * sigma * sigma - 3.0 * lower * lower - 12.0 * lower - 9.0) / (-4.0 * lower - 4.0);
    const int useLower = static_cast<int>(std::lround(m));
    std::array<int, 3> widths{};
    for (int i = 0; i < 3; ++i)
        widths[static_cast<std::size_t>(i)] = i < useLower ? lower : upper;
    return widths;
}

// One box pass over `count` pixels spaced `stride` apart, from `source` into `target`;
// pixels beyond the ends count as transparent.
void boxLine(const std::uint32_t* source, std::uint32_t* target, int count, int stride, int radius) {
    const int window = 2 * radius + 1;
    std::array<std::int64_t, 4> sums{};
    auto add = [&sums](std::uint32_t pixel, int sign) {
        for (int c = 0; c < 4; ++c)
            sums[static_cast<std::size_t>(c)] += sign * static_cast<std::int64_t>((pixel >> (8 * c)) & 0xff);
    };
    for (int i = 0; i < std::min(radius, count); ++i)
        add(source[static_cast<std::ptrdiff_t>(i) * stride], 1);
    for (int i = 0; i < count; ++i) {
        const int entering = i + radius;
        const int leaving = i - radius - 1;
        if (entering < count)
            add(source[static_cast<std::ptrdiff_t>(entering) * stride], 1);
        if (leaving >= 0)
            add(source[static_cast<std::ptrdiff_t>(leaving) * stride], -1);
        std::uint32_t pixel = 0;
        for (int c = 0; c < 4; ++c) {
            const auto value = (sums[static_cast<std::size_t>(c)] + window / 2) / window;
            pixel |= static_cast<std::uint32_t>(std::clamp<std::int64_t>(value, 0, 255)) << (8 * c);
        }
        target[static_cast<std::ptrdiff_t>(i) * stride] = pixel;
    }
}

} // namespace

void gaussianBlur(QImage& image, double sigma) {
    if (image.isNull() || !(sigma >= 0.5))
        return;
    if (image.format() != QImage::Format_ARGB32_Premultiplied)
        image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const int width = image.width();
    const int height = image.height();
    const int rowStride = static_cast<int>(image.bytesPerLine() / 4);
    std::vector<std::uint32_t> scratch(static_cast<std::size_t>(rowStride) *
                                       static_cast<std::size_t>(height));
    auto* pixels = reinterpret_cast<std::uint32_t*>(image.bits());
    for (int box : boxWidths(sigma)) {
        const int radius = (box - 1) / 2;
        if (radius <= 0)
            continue;
        for (int y = 0; y < height; ++y)
            boxLine(pixels + static_cast<std::ptrdiff_t>(y) * rowStride,
                    scratch.data() + static_cast<std::ptrdiff_t>(y) * rowStride, width, 1, radius);
        for (int x = 0; x < width; ++x)
            boxLine(scratch.data() + x, pixels + x, height, rowStride, radius);
    }
}

} // namespace ZintraRadio
