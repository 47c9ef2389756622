import QtQuick
import ZintraRadio

// One visualizer mode drawn from the feed: a shader or a geometry drawing under its glow, or,
// when the stage has no shaders, the fallback scope whatever the mode.
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
        sourceComponent: renderer.drawing === "fallback" ? fallback : surface
    }

    Component {
        id: fallback
        FallbackScope {
            objectName: "fallbackScope"
            feed: renderer.feed
            frame: renderer.frame
        }
    }

    // Shader modes and the two geometry modes under their glow.
    Component {
        id: surface
        StageSurface {
            objectName: "stageSurface"
            mode: renderer.mode
            feed: renderer.feed
            frame: renderer.frame
            background: Theme.night
            bloomRadius: 6
            bloomStrength: renderer.drawing === "vectorscope" ? 0.45 : 0.6

            Item {
                anchors.fill: parent
                visible: renderer.drawing === "vectorscope"
                readonly property var labels: StageModeTable.vectorscopeLabels(width, height)
                ScopeLabel { at: parent.labels.leftLabel; text: "L"; size: 12; tint: Theme.alpha(Theme.cyan, 0.65) }
                ScopeLabel { at: parent.labels.rightLabel; text: "R"; size: 12; tint: Theme.alpha(Theme.cyan, 0.65) }
                ScopeLabel { at: Qt.point(parent.labels.bar.x, parent.labels.bar.y + 17); text: "\u22121"; size: 10; weight: Font.DemiBold; tint: Qt.rgba(1, 1, 1, 0.5) }
                ScopeLabel { at: Qt.point(parent.labels.bar.x + parent.labels.bar.width / 2, parent.labels.bar.y + 17); text: "0"; size: 10; weight: Font.DemiBold; tint: Qt.rgba(1, 1, 1, 0.5) }
                ScopeLabel { at: Qt.point(parent.labels.bar.x + parent.labels.bar.width, parent.labels.bar.y + 17); text: "+1"; size: 10; weight: Font.DemiBold; tint: Qt.rgba(1, 1, 1, 0.5) }
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
