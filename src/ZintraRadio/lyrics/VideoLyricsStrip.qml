import QtQuick
import ZintraRadio

// The lyrics panel over a playing video: for timed lyrics the line being sung, swept through
// with the spectrum, and the next line below it; untimed lyrics in a small scrolling box; a
// pill while lyrics are looked up; nothing otherwise. Follows the lyric clock, which includes
// the video's position and the user's offset.
Item {
    id: strip

    property QtObject model: null

    readonly property alias presenter: presenter
    readonly property string content: presenter.stripContent

    implicitWidth: loader.item ? loader.item.implicitWidth : 0
    implicitHeight: loader.item ? loader.item.implicitHeight : 0

    LyricsPresenter {
        id: presenter
        model: strip.model
    }

    FrameTicker {
        running: strip.content === "synced"
        onTriggered: presenter.advance()
    }

    Loader {
        id: loader
        objectName: "stripContent"
        anchors.centerIn: parent
        sourceComponent: strip.content === "synced" ? syncedStrip
                       : strip.content === "plain" ? plainBox
                       : strip.content === "searching" ? searchingPill : null
    }

    Component {
        id: syncedStrip
        Rectangle {
            readonly property real lineWidth: Math.max(60, Math.min(720 - 44, Math.max(oneLine.implicitWidth, next.implicitWidth)))
            implicitWidth: lineWidth + 44
            implicitHeight: lines.height + 24
            radius: 16
            color: Qt.rgba(0, 0, 0, 0.62)

            // The current line unwrapped and wrapped to the strip, for its size.
            Text {
                id: oneLine
                visible: false
                text: presenter.stripCurrent
                textFormat: Text.PlainText
                font.family: Theme.roundedFont
                font.pixelSize: 25
                font.weight: Font.Black
            }
            Text {
                id: wrapped
                visible: false
                width: parent.lineWidth
                text: presenter.stripCurrent
                textFormat: Text.PlainText
                wrapMode: Text.WordWrap
                maximumLineCount: 2
                font: oneLine.font
            }
            GradientShape {
                anchors.fill: parent
                cornerRadius: 16
                lineWidth: 1
                direction: GradientPaint.Horizontal
                opacity: 0.5
            }
            Column {
                id: lines
                anchors.centerIn: parent
                width: parent.lineWidth
                spacing: 5

                GradientText {
                    objectName: "stripNotes"
                    anchors.horizontalCenter: parent.horizontalCenter
                    visible: !presenter.stripHasCurrent
                    text: "\u266A \u266A \u266A"
                    horizontalAlignment: Qt.AlignHCenter
                    font.family: Theme.textFont
                    font.pixelSize: 20
                    font.weight: Font.Black
                }
                Item {
                    visible: presenter.stripHasCurrent
                    width: parent.width
                    height: wrapped.contentHeight
                    LyricText {
                        objectName: "stripCurrent"
                        anchors.fill: parent
                        text: presenter.stripCurrent
                        pixelSize: 25
                        minimumScale: 0.6
                        color: Theme.white(0.55)
                    }
                    KaraokeFill {
                        anchors.fill: parent
                        text: presenter.stripCurrent
                        pixelSize: 25
                        minimumScale: 0.6
                        sweepEnd: presenter.sweepEnd
                        sweepClear: presenter.sweepClear
                        cyanOpacity: 0.7
                        cyanRadius: 9
                    }
                }
                Text {
                    id: next
                    objectName: "stripNext"
                    visible: presenter.stripHasCurrent && presenter.stripHasNext
                    width: parent.width
                    horizontalAlignment: Text.AlignHCenter
                    elide: Text.ElideRight
                    maximumLineCount: 1
                    textFormat: Text.PlainText
                    text: presenter.stripNext
                    color: Theme.white(0.5)
                    font.family: Theme.roundedFont
                    font.pixelSize: 15
                    font.weight: Font.DemiBold
                }
            }
        }
    }

    Component {
        id: plainBox
        Rectangle {
            implicitWidth: 420
            implicitHeight: Math.min(150, plainText.implicitHeight + 28)
            radius: 16
            color: Qt.rgba(0, 0, 0, 0.66)
            clip: true
            Flickable {
                objectName: "stripPlainScroll"
                anchors.fill: parent
                contentWidth: width
                contentHeight: plainText.implicitHeight + 28
                boundsBehavior: Flickable.StopAtBounds
                clip: true
                Text {
                    id: plainText
                    objectName: "stripPlain"
                    x: 14
                    y: 14
                    width: parent.width - 28
                    horizontalAlignment: Text.AlignHCenter
                    wrapMode: Text.Wrap
                    textFormat: Text.PlainText
                    lineHeightMode: Text.FixedHeight
                    lineHeight: Math.ceil(fontInfo.pixelSize * 1.2) + 5
                    text: presenter.plainText
                    color: Theme.white(0.92)
                    font.family: Theme.roundedFont
                    font.pixelSize: 14
                    font.weight: Font.DemiBold
                }
            }
            GradientShape {
                anchors.fill: parent
                cornerRadius: 16
                lineWidth: 1
                direction: GradientPaint.Horizontal
                opacity: 0.5
            }
        }
    }

    Component {
        id: searchingPill
        Rectangle {
            implicitWidth: label.implicitWidth + 24
            implicitHeight: label.implicitHeight + 14
            radius: height / 2
            color: Qt.rgba(0, 0, 0, 0.6)
            Text {
                id: label
                anchors.centerIn: parent
                textFormat: Text.PlainText
                text: qsTrId("lyrics.searching")
                color: Theme.white(0.7)
                font.family: Theme.monoFont
                font.pixelSize: 10
                font.weight: Font.Bold
                font.letterSpacing: 2
            }
        }
    }
}
