import QtQuick
import ZintraRadio

// Glow for the geometry modes: the content is drawn once into a texture; its bright parts are
// shrunk to a quarter of the size, blurred across and down there, and added to the sharp
// picture as light in the one pass that shows it. The blur's taps lie close enough that no
// thin line falls between them. Every pass but the last works on a sixteenth of the pixels,
// which a software rasteriser pays for per pixel and per texture read.
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
        visible: false
    }

    // Bright pass into a quarter-size texture, then the blur across and down at that size.
    ShaderEffect {
        id: reduce
        anchors.fill: parent
        property var source: sharp
        property vector2d texel: Qt.vector2d(1 / Math.max(1, width), 1 / Math.max(1, height))
        property real threshold: 0.3
        fragmentShader: StageShaders.shaderUrl("bloomReduce")
    }
    ShaderEffectSource {
        id: reduced
        sourceItem: reduce
        hideSource: true
        visible: false
        textureSize: bloom.quarter
    }
    ShaderEffect {
        id: across
        anchors.fill: parent
        property var source: reduced
        property vector2d offset: Qt.vector2d(bloom.tap / Math.max(1, width), 0)
        fragmentShader: StageShaders.shaderUrl("bloomBlur")
    }
    ShaderEffectSource {
        id: acrossSmall
        sourceItem: across
        hideSource: true
        visible: false
        textureSize: bloom.quarter
    }
    ShaderEffect {
        id: down
        anchors.fill: parent
        property var source: acrossSmall
        property vector2d offset: Qt.vector2d(0, bloom.tap / Math.max(1, height))
        fragmentShader: StageShaders.shaderUrl("bloomBlur")
    }
    ShaderEffectSource {
        id: downSmall
        sourceItem: down
        hideSource: true
        visible: false
        textureSize: bloom.quarter
    }

    // The sharp picture with the light added.
    ShaderEffect {
        anchors.fill: parent
        property var source: sharp
        property var glow: downSmall
        property real strength: bloom.strength
        fragmentShader: StageShaders.shaderUrl("bloomComposite")
        onStatusChanged: if (status === ShaderEffect.Error)
                             Qt.callLater(StageShaders.reportFailure, "bloomComposite failed to load")
    }
}
