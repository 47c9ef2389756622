import QtQuick
import ZintraRadio

// Glow for the geometry modes: the content is drawn once into a texture and shown from it; its
// bright parts are blurred across at half the size and down at a quarter and added on top as
// light. The blur's taps lie close enough that no thin line falls between them.
Item {
    id: bloom

    property real radius: 6
    property real strength: 0.5
    default property alias content: source.data

    // One tap of the blur: its reach (3.2 x radius) over the kernel's four taps each way.
    readonly property real tap: radius * 3.2 / 4
    readonly property size quarter: Qt.size(Math.max(1, Math.round(width / 4)), Math.max(1, Math.round(height / 4)))

    Item {
        id: source
        anchors.fill: parent
    }

    ShaderEffectSource {
        id: sharp
        anchors.fill: parent
        sourceItem: source
        hideSource: true
    }

    // Bright pass and horizontal blur into a half-size texture, then the vertical blur into a
    // quarter-size one.
    ShaderEffect {
        id: across
        anchors.fill: parent
        property var source: sharp
        property vector2d offset: Qt.vector2d(bloom.tap / Math.max(1, width), 0)
        property real threshold: 0.3
        fragmentShader: StageShaders.shaderUrl("bloomBlur")
    }
    ShaderEffectSource {
        id: acrossSmall
        sourceItem: across
        hideSource: true
        visible: false
        textureSize: Qt.size(Math.max(1, Math.round(bloom.width / 2)), Math.max(1, Math.round(bloom.height / 2)))
    }
    ShaderEffect {
        id: down
        anchors.fill: parent
        property var source: acrossSmall
        property vector2d offset: Qt.vector2d(0, bloom.tap / Math.max(1, height))
        property real threshold: 0
        fragmentShader: StageShaders.shaderUrl("bloomBlur")
    }
    ShaderEffectSource {
        id: downSmall
        sourceItem: down
        hideSource: true
        visible: false
        textureSize: bloom.quarter
    }

    // The light, added to what lies below.
    ShaderEffect {
        anchors.fill: parent
        property var glow: downSmall
        property real strength: bloom.strength
        fragmentShader: StageShaders.shaderUrl("bloomComposite")
        onStatusChanged: if (status === ShaderEffect.Error)
                             Qt.callLater(StageShaders.reportFailure, "bloomComposite failed to load")
    }
}
