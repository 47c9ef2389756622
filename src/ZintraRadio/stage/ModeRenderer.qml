import QtQuick
import ZintraRadio

// One visualizer mode drawn from the feed: a shader, a geometry canvas under bloom, or, when
// the stage has no shaders, the fallback scope whatever the mode.
Item {
    id: renderer

    property string mode: "zintra"
    property QtObject feed: null
    property int frame: 0

    // Decided once the renderer is in a window, whose scene graph must draw with OpenGL.
    readonly property bool placed: Window.window !== null
    readonly property bool shadersOn: placed && StageShaders.available && StageShaders.drawsShaders(Window.window)
    readonly property string drawing: !placed ? "" : shadersOn ? StageModeTable.drawing(mode) : "fallback"

    Loader {
        id: loader
        objectName: "modeDrawing"
        anchors.fill: parent
        active: renderer.drawing !== ""
        sourceComponent: renderer.drawing === "terrain" ? terrain
                       : renderer.drawing === "vectorscope" ? vectorscope
                       : renderer.drawing === "shader" ? shader : fallback
    }

    Component {
        id: fallback
        FallbackScope {
            objectName: "fallbackScope"
            feed: renderer.feed
            frame: renderer.frame
        }
    }

    Component {
        id: shader
        Item {
            ModeShaderInput {
                id: input
                anchors.fill: parent
                mode: renderer.mode
                feed: renderer.feed
                frame: renderer.frame
            }
            ShaderEffect {
                objectName: "modeShader"
                anchors.fill: parent
                // A software rasteriser draws the shader into a half-size layer, scaled up.
                layer.enabled: StageShaders.softwareRenderer
                layer.textureSize: Qt.size(Math.max(1, Math.round(width / 2)), Math.max(1, Math.round(height / 2)))
                layer.smooth: true
                property var feedData: input
                property vector2d resolution: input.resolution
                property real time: input.time
                property real phase: input.phase
                property vector4d energies: input.energies
                property vector2d tone: input.tone
                property real rows: input.rows
                fragmentShader: StageShaders.shaderUrl(input.function)
                // Reported after this evaluation: the report switches every mode to the fallback.
                onStatusChanged: if (status === ShaderEffect.Error)
                                     Qt.callLater(StageShaders.reportFailure, input.function + " failed to load")
            }
        }
    }

    Component {
        id: terrain
        StageBloom {
            objectName: "stageBloom"
            radius: 6
            strength: 0.6
            TerrainCanvas {
                objectName: "terrainCanvas"
                anchors.fill: parent
                feed: renderer.feed
                frame: renderer.frame
            }
        }
    }

    Component {
        id: vectorscope
        StageBloom {
            objectName: "stageBloom"
            radius: 6
            strength: 0.45
            Item {
                anchors.fill: parent
                VectorscopeCanvas {
                    id: scope
                    objectName: "vectorscopeCanvas"
                    anchors.fill: parent
                    feed: renderer.feed
                    frame: renderer.frame
                }
                ScopeLabel { at: scope.leftLabel; text: "L"; size: 12; tint: Theme.alpha(Theme.cyan, 0.65) }
                ScopeLabel { at: scope.rightLabel; text: "R"; size: 12; tint: Theme.alpha(Theme.cyan, 0.65) }
                ScopeLabel { at: Qt.point(scope.bar.x, scope.bar.y + 17); text: "\u22121"; size: 10; weight: Font.DemiBold; tint: Qt.rgba(1, 1, 1, 0.5) }
                ScopeLabel { at: Qt.point(scope.bar.x + scope.bar.width / 2, scope.bar.y + 17); text: "0"; size: 10; weight: Font.DemiBold; tint: Qt.rgba(1, 1, 1, 0.5) }
                ScopeLabel { at: Qt.point(scope.bar.x + scope.bar.width, scope.bar.y + 17); text: "+1"; size: 10; weight: Font.DemiBold; tint: Qt.rgba(1, 1, 1, 0.5) }
            }
        }
    }

    component ScopeLabel: Text {
        property point at
        property int size: 12
        property int weight: Font.Bold
        property color tint
        x: at.x - implicitWidth / 2
        y: at.y - implicitHeight / 2
        color: tint
        font.family: Theme.monoFont
        font.pixelSize: size
        font.weight: weight
    }
}
