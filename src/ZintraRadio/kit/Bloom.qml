import QtQuick
import ZintraRadio

// The neon bloom over a content item: its bright parts get a soft halo of their own colour.
// Without the shader library (no OpenGL, or the shader fails) the content shows unchanged.
Item {
    id: bloom

    // The item to bloom; it stays where it is, and is hidden under the effect while it works.
    property Item source: null
    property real radius: 6
    property real strength: 0.6

    readonly property bool working: ShaderLibrary.available && effect.status !== ShaderEffect.Error

    ShaderEffect {
        id: effect
        objectName: "bloomEffect"
        anchors.fill: parent
        visible: bloom.working && bloom.source !== null
        property var source: ShaderEffectSource {
            sourceItem: bloom.source
            hideSource: effect.visible
            live: true
        }
        property real radius: bloom.radius
        property real strength: bloom.strength
        property size texelSize: Qt.size(1 / Math.max(1, width), 1 / Math.max(1, height))
        fragmentShader: ShaderLibrary.available ? "qrc:/shaders/kit/shaders/neonBloom.frag.qsb" : ""
    }
}
