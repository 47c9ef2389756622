import QtQuick
import QtQuick.Controls
import QtQuick.Shapes
import QtQuick.Templates as T
import ZintraRadio

// The large round play/pause control: a glowing gradient disc with a play or pause glyph and a
// thin glinting rim that turns once every 2.6 s and thickens while playback is busy. The caller
// says what it shows and takes the clicks; only clicks inside the circle count.
T.AbstractButton {
    id: button

    property bool playing: false
    property bool busy: false
    property real size: 54

    readonly property var look: DeckRules.playButton(playing, busy, size)
    readonly property var idle: DeckRules.playButtonHover(false)
    readonly property var lifted: DeckRules.playButtonHover(true)

    // 0 resting ... 1 under the pointer, with a little spring.
    property real lift: hovered ? 1 : 0
    Behavior on lift {
        NumberAnimation { duration: 300; easing.type: Easing.OutBack; easing.overshoot: 1.4 }
    }
    function between(key) { return idle[key] + (lifted[key] - idle[key]) * lift }

    implicitWidth: size
    implicitHeight: size
    hoverEnabled: true
    focusPolicy: Qt.TabFocus
    scale: between("scale")
    Accessible.name: look.helpText
    // A tooltip of its own: its text follows a play or pause made while it shows.
    ToolTipText {
        text: button.look.helpText
        shown: button.hovered
    }
    containmentMask: HitShape {
        width: button.width
        height: button.height
        cornerRadius: button.width / 2
    }

    background: Item {
        GlowHalo {
            anchors.centerIn: parent
            shapeWidth: button.width
            shapeHeight: button.height
            cornerRadius: button.width / 2
            blurRadius: button.between("shadowRadius")
            glowColor: Theme.violet
            offsetY: 3
            strength: button.between("shadowOpacity")
        }
        Rectangle {
            anchors.fill: parent
            radius: width / 2
            color: Theme.night
        }
        GradientShape {
            objectName: "playBody"
            anchors.fill: parent
            cornerRadius: width / 2
            direction: GradientPaint.Diagonal
            colors: [Theme.alpha(Theme.cyan, 0.8), Theme.violet, Theme.alpha(Theme.magenta, 0.95)]
            opacity: button.between("bodyOpacity")
        }
        Rectangle {
            anchors.fill: parent
            radius: width / 2
            gradient: Gradient {
                GradientStop { position: 0; color: Theme.white(0.28) }
                GradientStop { position: 0.5; color: "transparent" }
            }
        }
        Shape {
            id: ring
            objectName: "playRing"
            anchors.fill: parent
            // The stroke lies wholly inside the circle.
            readonly property real lineWidth: button.look.ringWidth
            readonly property real r: width / 2
            ShapePath {
                strokeColor: "transparent"
                fillRule: ShapePath.OddEvenFill
                // Qt's conical gradient runs counter-clockwise: the stops go the other way.
                fillGradient: ConicalGradient {
                    centerX: ring.r
                    centerY: ring.r
                    angle: 0
                    GradientStop { position: 0; color: "white" }
                    GradientStop { position: 1 / 7; color: Theme.violet }
                    GradientStop { position: 2 / 7; color: "transparent" }
                    GradientStop { position: 3 / 7; color: Theme.white(0.9) }
                    GradientStop { position: 4 / 7; color: Theme.magenta }
                    GradientStop { position: 5 / 7; color: "transparent" }
                    GradientStop { position: 6 / 7; color: Theme.cyan }
                    GradientStop { position: 1; color: "white" }
                }
                PathAngleArc {
                    centerX: ring.r
                    centerY: ring.r
                    radiusX: ring.r
                    radiusY: ring.r
                    startAngle: 0
                    sweepAngle: 360
                }
                PathAngleArc {
                    centerX: ring.r
                    centerY: ring.r
                    radiusX: Math.max(0, ring.r - ring.lineWidth)
                    radiusY: Math.max(0, ring.r - ring.lineWidth)
                    startAngle: 0
                    sweepAngle: 360
                    moveToStart: true
                }
            }
            // One turn every 2.6 s, on the window's frames.
            rotation: ringTurn.running ? 360 * ((ringTurn.elapsed / 2.6) % 1) : 0
            FrameTicker {
                id: ringTurn
                running: !Motion.reduced
            }
        }
    }

    contentItem: Item {
        Icon {
            anchors.centerIn: parent
            anchors.horizontalCenterOffset: button.look.glyphShift
            anchors.verticalCenterOffset: 1
            symbol: button.look.symbol
            size: button.look.glyphSize
            color: Theme.alpha(Theme.night, 0.5)
        }
        Icon {
            id: glyph
            objectName: "playGlyph"
            anchors.centerIn: parent
            anchors.horizontalCenterOffset: button.look.glyphShift
            symbol: button.look.symbol
            size: button.look.glyphSize
            color: "white"
            // A changed glyph fades in instead of cutting (not the first one).
            property bool shown: false
            Component.onCompleted: shown = true
            onSymbolChanged: if (shown) fadeIn.restart()
            NumberAnimation on opacity {
                id: fadeIn
                from: 0.2
                to: 1
                duration: 160
                running: false
            }
        }
    }
}
