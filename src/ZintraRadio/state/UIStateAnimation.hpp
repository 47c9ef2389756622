// How a change of the window-wide state moves on screen. The state layer only names the
// animation of its last change; the views apply it to the transitions that change starts.
#pragma once

#include <QVariantMap>

namespace ZintraRadio {

struct ViewAnimation {
    enum class Curve { spring, easeInOut };

    Curve curve = Curve::easeInOut;
    double duration = 0;        // seconds; ease-in-out only
    double response = 0;        // seconds of one spring period; spring only
    double dampingFraction = 0; // 1 is critically damped; spring only

    static constexpr ViewAnimation spring(double response, double dampingFraction) {
        return {Curve::spring, 0, response, dampingFraction};
    }
    static constexpr ViewAnimation easeInOut(double duration) { return {Curve::easeInOut, duration, 0, 0}; }

    friend bool operator==(const ViewAnimation&, const ViewAnimation&) = default;
};

// {"curve": "spring" or "easeInOut", "duration", "response", "dampingFraction"} for the views.
QVariantMap animationMap(const ViewAnimation& animation);

// True when the environment held ZINTRARADIO_REDUCE_MOTION (any value, also empty) when the
// process first asked; read once.
bool motionForced();

} // namespace ZintraRadio
