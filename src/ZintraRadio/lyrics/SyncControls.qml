import QtQuick
import ZintraRadio

// The timing pill of the lyrics overlay: half a second earlier, the offset, half a second
// later. The offset lives in the lyrics model, so the lines follow each press at once.
Rectangle {
    id: controls

    property QtObject lyrics: null

    readonly property real offset: lyrics ? lyrics.offset : 0

    implicitWidth: row.implicitWidth + 10
    implicitHeight: row.implicitHeight + 10
    radius: height / 2
    color: Theme.alpha(Theme.night, 0.7)
    border.width: 1
    border.color: Theme.white(0.1)

    Row {
        id: row
        anchors.centerIn: parent
        spacing: 6

        IconButton {
            objectName: "lyricsEarlier"
            anchors.verticalCenter: parent.verticalCenter
            symbol: "gobackward.minus"
            //% "Move the lyrics back by half a second"
            helpKey: QT_TRID_NOOP("lyrics.earlier")
            size: 26
            onClicked: if (controls.lyrics) controls.lyrics.offset = controls.lyrics.offset - 0.5
        }
        Text {
            objectName: "lyricsOffset"
            anchors.verticalCenter: parent.verticalCenter
            width: Math.max(48, implicitWidth)
            horizontalAlignment: Text.AlignHCenter
            textFormat: Text.PlainText
            text: LyricsViewRules.offsetReadout(controls.offset)
            color: Theme.white(0.7)
            font.family: Theme.monoFont
            font.pixelSize: 10
            font.weight: Font.DemiBold
        }
        IconButton {
            objectName: "lyricsLater"
            anchors.verticalCenter: parent.verticalCenter
            symbol: "goforward.plus"
            //% "Move the lyrics ahead by half a second"
            helpKey: QT_TRID_NOOP("lyrics.later")
            size: 26
            onClicked: if (controls.lyrics) controls.lyrics.offset = controls.lyrics.offset + 0.5
        }
    }
}
