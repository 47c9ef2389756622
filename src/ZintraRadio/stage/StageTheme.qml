pragma Singleton
import QtQuick

// The stage's colours and faces in one place, until the kit's theme takes them over.
QtObject {
    readonly property color night: Qt.rgba(0.015, 0.02, 0.06, 1)
    readonly property color cyan: Qt.rgba(0.22, 0.92, 1.0, 1)
    readonly property color violet: Qt.rgba(0.56, 0.36, 1.0, 1)
    readonly property color magenta: Qt.rgba(1.0, 0.32, 0.8, 1)
    readonly property color amber: Qt.rgba(1.0, 0.72, 0.3, 1)
    readonly property string monoFamily: "JetBrains Mono"
    readonly property string roundedFamily: "Quicksand"

    function withAlpha(c, a) {
        return Qt.rgba(c.r, c.g, c.b, a)
    }
}
