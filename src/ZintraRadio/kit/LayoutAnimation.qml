import QtQuick
import ZintraRadio

// The one animation of layout changes (modules, rail, panel, cinema): a spring-like settle,
// or a short ease-in-out when motion is reduced.
NumberAnimation {
    duration: Theme.layoutDuration
    easing.type: Theme.layoutEasing
    easing.overshoot: Theme.layoutOvershoot
}
