import QtQuick
import Qt5Compat.GraphicalEffects
import ZintraRadio

// Timed lyrics as a column of large lines that scrolls with the song: the current line sits in
// the middle, sharp, filled with the spectrum as it is sung and glowing with the beat; the
// others shrink, fade and blur with their distance; three dots count in before the first line.
// Every frame is drawn from the lyric clock alone (the presenter's rows and sweep); the view
// keeps no state and runs no animations of its own.
Item {
    id: synced

    property QtObject model: null
    // Drives the frames; off, the column stands still.
    property bool running: visible

    readonly property alias presenter: presenter
    // Effects only where the window draws through OpenGL; the painted fallbacks elsewhere.
    readonly property bool shaded: ShaderLibrary.available && GraphicsInfo.api === GraphicsInfo.OpenGL

    Accessible.role: Accessible.StaticText
    //% "Lyrics"
    Accessible.name: qsTrId("lyrics.title")

    LyricsPresenter {
        id: presenter
        model: synced.model
        viewWidth: synced.width
        reduceMotion: Motion.reduced
    }

    FrameTicker {
        running: synced.running && synced.model !== null
        onTriggered: presenter.advance()
    }

    // The rows fade towards the top and bottom edges: through a mask where shaders work, else
    // each row by where its middle stands.
    function edgeFade(y) {
        const f = y / Math.max(1, height)
        if (f <= 0.08 || f >= 0.9)
            return 0
        if (f < 0.32)
            return (f - 0.08) / 0.24
        if (f > 0.68)
            return (0.9 - f) / 0.22
        return 1
    }

    Item {
        id: column
        anchors.fill: parent
        layer.enabled: synced.shaded
        layer.effect: OpacityMask {
            maskSource: Rectangle {
                width: column.width
                height: column.height
                gradient: Gradient {
                    GradientStop { position: 0.08; color: "transparent" }
                    GradientStop { position: 0.32; color: "black" }
                    GradientStop { position: 0.68; color: "black" }
                    GradientStop { position: 0.9; color: "transparent" }
                }
            }
        }

        Repeater {
            model: presenter.rows
            delegate: Item {
                id: row
                objectName: "lyricRow" + model.line
                required property var model
                readonly property int line: model.line
                readonly property bool current: model.isCurrent
                readonly property real blur: synced.shaded ? model.blurRadius : 0

                x: (column.width - width) / 2
                y: column.height / 2 - height / 2 + model.offsetY
                width: model.frameWidth
                height: 77.5
                scale: model.rowScale
                opacity: model.rowOpacity * (synced.shaded ? 1 : synced.edgeFade(column.height / 2 + model.offsetY))
                layer.enabled: blur > 0
                layer.effect: FastBlur {
                    radius: row.blur * 2
                }

                LyricText {
                    id: base
                    anchors.fill: parent
                    text: row.model.text
                    color: Theme.white(row.model.textOpacity)
                }
                Loader {
                    anchors.fill: parent
                    active: row.current
                    sourceComponent: KaraokeFill {
                        text: row.model.text
                        sweepEnd: presenter.sweepEnd
                        sweepClear: presenter.sweepClear
                        cyanOpacity: presenter.cyanGlowOpacity
                        cyanRadius: presenter.cyanGlowRadius
                        magentaOpacity: presenter.magentaGlowOpacity
                        magentaRadius: presenter.magentaGlowRadius
                    }
                }
            }
        }
    }

    IntroDots {
        objectName: "introDots"
        anchors.centerIn: parent
        anchors.verticalCenterOffset: -12.4
        visible: presenter.currentIndex < 0
        time: presenter.introTime
    }
}
