import QtQuick
import ZintraRadio

// Glow for the geometry modes: the content is drawn once into a texture and shown from it;
// its bright parts are blurred across at half the size and down at a quarter (each step's
// linear filtering averages the finer texels below it) and added on top as light.
Item {
    id: bloom

    property real radius: 6
    property real strength: 0.5
    default property alias content: source.data

    // The blur's reach (3.2 x radius) over the kernel's outermost tap, in texture coordinates.
    readonly property real tap: radius * 3.2 / 3.23
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

    // Bright pass and horizontal blur, then the vertical blur, each into a quarter-size texture.
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
