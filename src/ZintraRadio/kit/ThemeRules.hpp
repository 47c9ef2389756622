// The design tokens that are rules rather than numbers: the named colours, the spectrum
// ramp, the accent colour of a text and the clock text of a time. Pure; any thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ZintraRadio {

// sRGB components in 0...1, no opacity: callers add their own.
struct RGB {
    double red = 0;
    double green = 0;
    double blue = 0;
    friend bool operator==(const RGB&, const RGB&) = default;
};

namespace Palette {
inline constexpr RGB night{0.015, 0.02, 0.06};
inline constexpr RGB cyan{0.22, 0.92, 1.0};
inline constexpr RGB violet{0.56, 0.36, 1.0};
inline constexpr RGB magenta{1.0, 0.32, 0.8};
inline constexpr RGB amber{1.0, 0.72, 0.3};
inline constexpr RGB mint{0.35, 1.0, 0.66};
inline constexpr RGB red{1.0, 0.27, 0.36};
} // namespace Palette

// magenta (0) -> violet (0.5) -> cyan (1); below 0 and NaN give magenta, above 1 cyan.
RGB spectrumRGB(double position);

// 32-bit FNV-1a of the UTF-8 bytes, modulo 1000; the empty text gives 261.
std::uint32_t accentIndex(std::string_view text);
// The ramp at accentIndex / 999: one of 1000 evenly spaced colours.
RGB accent(std::string_view text);

// "m:ss" below an hour, "h:mm:ss" from an hour on; negative and NaN give "0:00", and
// infinite or huge values are clamped to the largest whole second that fits.
std::string clockText(double seconds);

} // namespace ZintraRadio
