import QtQuick
import ZintraRadio

// Glow for the geometry modes: the bright parts of the content, blurred at half resolution,
// are added back on top of it.
Item {
    id: bloom

    property real radius: 6
    property real strength: 0.5
    default property alias content: source.data

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

    // Bright pass and horizontal blur, drawn into a half-size texture.
    ShaderEffect {
        id: across
        anchors.fill: parent
        property var source: sharp
        property vector2d offset: Qt.vector2d(bloom.radius * 3.2 / 6 / Math.max(1, width), 0)
        property real threshold: 0.3
        fragmentShader: StageShaders.shaderUrl("bloomBlur")
    }
    ShaderEffectSource {
        id: acrossHalf
        anchors.fill: parent
        sourceItem: across
        hideSource: true
        visible: false
        textureSize: Qt.size(Math.max(1, Math.round(width / 2)), Math.max(1, Math.round(height / 2)))
    }

    ShaderEffect {
        id: down
        anchors.fill: parent
        property var source: acrossHalf
        property vector2d offset: Qt.vector2d(0, bloom.radius * 3.2 / 6 / Math.max(1, height))
        property real threshold: 0
        fragmentShader: StageShaders.shaderUrl("bloomBlur")
    }
    ShaderEffectSource {
        id: downHalf
        anchors.fill: parent
        sourceItem: down
        hideSource: true
        visible: false
        textureSize: acrossHalf.textureSize
    }

    ShaderEffect {
        anchors.fill: parent
        property var source: sharp
        property var glow: downHalf
        property real strength: bloom.strength
        fragmentShader: StageShaders.shaderUrl("bloomComposite")
        onStatusChanged: if (status === ShaderEffect.Error)
                             Qt.callLater(StageShaders.reportFailure, "bloomComposite failed to load")
    }
}
