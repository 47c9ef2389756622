// The geometry and timing rules of the shared controls, as pure functions: the slider's
// mapping, the marquee's scroll offset, the activity glyphs' bar heights and the boot
// splash's timeline and curve. The QML controls draw what these return.
#pragma once

#include <string>
#include <vector>

namespace ZintraRadio {

// Glow slider: a 7-point margin at each end of a track W points wide.
float sliderValue(double pointerX, double width);    // clamped to 0...1
double sliderKnobCentre(double value, double width); // 7 ... W - 7
double sliderFillWidth(double value, double width);  // never below 4
float sliderStepped(float value, int steps);         // +-0.05 per step, clamped to 0...1
std::string sliderValueText(float value);            // "75 %"; non-finite values read "0 %"

// Marquee: still unless the text is more than one point wider than the box.
bool marqueeOverflows(double boxWidth, double textWidth);
// Leftward shift after `elapsed` seconds: 1.5 s still, then 34 points per second, looping
// every textWidth + 48 points.
double marqueeOffset(double elapsed, double textWidth);

// Equalizer glyph bar height (3...14) for a level, and the idle breathing level of bar `index`
// at time `t` seconds.
double equalizerBarHeight(double level);
double equalizerIdleLevel(double t, int index);
// Loading wave bar height (8...30) of bar `index` at time `t`.
double loadingBarHeight(double t, int index);

// A spring (response: seconds of one period; damping fraction: 1 is critically damped) as one
// back-out easing: the time to settle within 1 % and the easing's overshoot parameter, chosen
// so that it overshoots as far as the spring does.
struct SpringEasing {
    double duration = 0;  // seconds
    double overshoot = 0; // the back easing's parameter (0: no overshoot)
};
SpringEasing springEasing(double response, double dampingFraction);

// The boot splash at `t` seconds after it began.
struct BootFrame {
    double grow = 0;   // the wave's length
    double morph = 0;  // 0 wave ... 1 ring
    double credit = 0; // opacity of the brand and credit
    double glow = 0;   // the centre glow
    double amp = 1;    // the ripple's amplitude
    double fade = 0;   // the exit
    double opacity = 1;
    double scale = 1;
};
double smoothstep(double x);
BootFrame bootFrame(double t, bool reducedMotion);
// Seconds until the splash ends by itself.
inline constexpr double bootDuration = 1.7;

struct CurvePoint {
    double x = 0;
    double y = 0;
};
// The splash's curve of 361 points for a canvas of width x height.
std::vector<CurvePoint> bootCurve(double width, double height, double t, const BootFrame& frame);

} // namespace ZintraRadio
