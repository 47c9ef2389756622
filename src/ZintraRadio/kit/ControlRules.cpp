#include "kit/ControlRules.hpp"

#include <algorithm>
#include <cmath>
#include <fmt/format.h>
#include <numbers>

namespace ZintraRadio {

namespace {

double clamp01(double x) {
    return std::isnan(x) ? 0 : std::clamp(x, 0.0, 1.0);
}

} // namespace

float sliderValue(double pointerX, double width) {
    const double value = (pointerX - 7) / std::max(width - 14, 1.0);
    return static_cast<float>(clamp01(value));
}

double sliderKnobCentre(double value, double width) {
    return (width - 14) * value + 7;
}

double sliderFillWidth(double value, double width) {
    return std::max(sliderKnobCentre(value, width), 4.0);
}

float sliderStepped(float value, int steps) {
    const float next = value + 0.05f * static_cast<float>(steps);
    return std::isnan(next) ? 0.0f : std::clamp(next, 0.0f, 1.0f);
}

std::string sliderValueText(float value) {
    const float percent = value * 100.0f; // single precision, as the value is held
    // Out-of-range values would not fit an int; the slider never writes one.
    const long whole = std::isfinite(percent) ? static_cast<long>(std::clamp(percent, -1e9f, 1e9f)) : 0;
    return fmt::format("{} %", whole);
}

bool marqueeOverflows(double boxWidth, double textWidth) {
    return boxWidth + 1 < textWidth;
}

double marqueeOffset(double elapsed, double textWidth) {
    const double cycle = textWidth + 48;
    if (!(cycle > 0) || !std::isfinite(elapsed))
        return 0;
    return std::fmod(std::max(0.0, elapsed - 1.5) * 34, cycle);
}

double equalizerBarHeight(double level) {
    return level > 0 ? 3 + 11 * std::min(level, 1.0) : 3;
}

double equalizerIdleLevel(double t, int index) {
    return 0.25 + 0.15 * std::sin(2 * t + index);
}

double loadingBarHeight(double t, int index) {
    return (0.5 * std::sin(6 * t - 0.7 * index) + 0.5) * 22 + 8;
}

namespace {

// How far the back-out easing f(t) = 1 + (s + 1)(t - 1)^3 + s (t - 1)^2 goes beyond 1.
double backOvershoot(double s) {
    // f'(t) = 0 at t - 1 = -2s / (3 (s + 1)).
    const double u = -2 * s / (3 * (s + 1));
    return (s + 1) * u * u * u + s * u * u;
}

} // namespace

SpringEasing springEasing(double response, double dampingFraction) {
    const double zeta = std::clamp(std::isnan(dampingFraction) ? 1.0 : dampingFraction, 0.05, 1.0);
    const double omega = 2 * std::numbers::pi / std::max(response, 0.01);
    // An underdamped spring settles within 1 % after -ln(0.01 sqrt(1 - zeta^2)) / (zeta omega);
    // a critically damped one after about 6.64 / omega.
    const double duration =
        zeta < 1 ? -std::log(0.01 * std::sqrt(1 - zeta * zeta)) / (zeta * omega) : 6.64 / omega;
    const double overshoot = zeta < 1 ? std::exp(-std::numbers::pi * zeta / std::sqrt(1 - zeta * zeta)) : 0;
    // The parameter whose overshoot matches, found by bisection (the overshoot grows with it).
    double low = 0;
    double high = 10;
    for (int i = 0; i < 60; ++i) {
        const double middle = (low + high) / 2;
        (backOvershoot(middle) < overshoot ? low : high) = middle;
    }
    return {duration, overshoot > 0 ? (low + high) / 2 : 0};
}

double smoothstep(double x) {
    const double c = clamp01(x);
    return c * c * (3 - 2 * c);
}

BootFrame bootFrame(double t, bool reducedMotion) {
    BootFrame frame;
    frame.grow = smoothstep(t / 0.35);
    frame.morph = reducedMotion ? 1 : smoothstep((t - 0.35) / 0.65);
    frame.credit = reducedMotion ? 1 : clamp01((t - 0.55) / 0.45);
    frame.glow = smoothstep(2 * (t - 0.7));
    frame.amp = 1 - 0.75 * smoothstep((t - 0.9) / 0.5);
    frame.fade = clamp01((t - 1.3) / 0.4);
    frame.opacity = 1 - frame.fade;
    frame.scale = reducedMotion ? 1 : 1 + 0.6 * frame.fade * frame.fade;
    return frame;
}

std::vector<CurvePoint> bootCurve(double width, double height, double t, const BootFrame& frame) {
    const double cx = width / 2;
    const double cy = height / 2 - 20;
    const double half = std::min(0.36 * width, 420.0) * frame.grow;
    std::vector<CurvePoint> points;
    points.reserve(361);
    for (int i = 0; i <= 360; ++i) {
        const double u = i / 360.0;
        const double theta = 2 * std::numbers::pi * u;
        const double d = frame.amp * (0.2 * std::sin(6 * t + 3 * theta) + 0.5 * std::sin(11 * t + 7 * theta) +
                                      0.3 * std::sin(17 * theta - 17 * t));
        const CurvePoint wave{cx + half * (2 * u - 1), cy + std::sin(std::numbers::pi * u) * 58 * d};
        const double r = 96 + 26 * d;
        const double alpha = theta - std::numbers::pi / 2;
        const CurvePoint ring{cx + r * std::cos(alpha), cy + r * std::sin(alpha)};
        points.push_back(
            {wave.x + frame.morph * (ring.x - wave.x), wave.y + frame.morph * (ring.y - wave.y)});
    }
    return points;
}

} // namespace ZintraRadio
