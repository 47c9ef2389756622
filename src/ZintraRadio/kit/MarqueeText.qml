import QtQuick
import Qt5Compat.GraphicalEffects
import ZintraRadio

// One line of text in a fixed box. When it is too wide it waits 1.5 s, then scrolls left at 34
// points a second in an endless loop, a second copy 48 points behind, edges faded. It stands
// still under reduced motion, and a new text starts the cycle again.
Item {
    id: marquee

    property string text
    property font font
    property color color: "white"

    property real since: Date.now()
    property real offset: 0
    readonly property real textWidth: measure.implicitWidth
    readonly property bool scrolling: KitRules.marqueeOverflows(width, textWidth) && !Motion.reduced

    implicitHeight: measure.implicitHeight
    clip: true
    Accessible.role: Accessible.StaticText
    Accessible.name: text

    onTextChanged: {
        since = Date.now()
        offset = 0
    }

    Text {
        id: measure
        visible: false
        text: marquee.text
        font: marquee.font
        textFormat: Text.PlainText
    }

    FrameTicker {
        running: marquee.scrolling
        onTriggered: marquee.offset = KitRules.marqueeOffset((Date.now() - marquee.since) / 1000, marquee.textWidth)
    }

    Text {
        objectName: "marqueeStill"
        anchors.verticalCenter: parent.verticalCenter
        width: parent.width
        visible: !marquee.scrolling
        text: marquee.text
        font: marquee.font
        color: marquee.color
        textFormat: Text.PlainText
        elide: Text.ElideRight
        maximumLineCount: 1
        Accessible.ignored: true
    }

    Item {
        id: band
        anchors.fill: parent
        visible: marquee.scrolling
        layer.enabled: visible && ShaderLibrary.available
        layer.effect: OpacityMask {
            maskSource: Rectangle {
                width: band.width
                height: band.height
                gradient: Gradient {
                    orientation: Gradient.Horizontal
                    GradientStop { position: 0; color: "transparent" }
                    GradientStop { position: 0.05; color: "black" }
                    GradientStop { position: 0.93; color: "black" }
                    GradientStop { position: 1; color: "transparent" }
                }
            }
        }
        Row {
            objectName: "marqueeBand"
            x: -marquee.offset
            anchors.verticalCenter: parent.verticalCenter
            spacing: 48
            Repeater {
                model: 2
                Text {
                    text: marquee.text
                    font: marquee.font
                    color: marquee.color
                    textFormat: Text.PlainText
                    Accessible.ignored: true
                }
            }
        }
    }
}
