import QtQuick
import QtQuick.Controls
import QtQuick.Templates as T
import ZintraRadio

// The library's status at a glance: four bars that dance in the spectrum's colours while a
// synchronisation or the lyrics filler runs and rest grey otherwise. A click opens a popover
// with both states, the filler's counters and a button that synchronises the library again.
T.AbstractButton {
    id: button

    property QtObject model: null
    // The popover; opens at start when the MUSIC_OPEN hook asks for "status".
    property bool open: status.openAtStart

    readonly property alias status: status
    readonly property bool busy: status.busy
    property real t: LyricsViewRules.referenceTime()

    implicitWidth: 32
    implicitHeight: 32
    hoverEnabled: true
    //% "Library status"
    readonly property string titleText: qsTrId("status.title")
    Accessible.name: titleText
    ToolTip.text: titleText
    ToolTip.visible: hovered && !open
    ToolTip.delay: 600
    containmentMask: HitShape {
        width: button.width
        height: button.height
        cornerRadius: button.width / 2
    }
    onClicked: open = !open
    onOpenChanged: open ? popover.open() : popover.close()
    Component.onCompleted: if (open) popover.open()

    LibraryStatus {
        id: status
        music: button.model ? button.model.music : null
    }

    // At most 30 frames a second, and none while nothing is busy.
    FrameTicker {
        cap: 30
        running: button.busy
        onTriggered: button.t = LyricsViewRules.referenceTime()
    }

    background: Item {
        GlowHalo {
            anchors.centerIn: parent
            shapeWidth: 32
            shapeHeight: 32
            cornerRadius: 16
            blurRadius: 7
            glowColor: Theme.cyan
            strength: button.busy ? 0.45 : 0
        }
        Rectangle {
            anchors.fill: parent
            radius: width / 2
            color: Theme.white(0.05)
            border.width: button.busy ? 0 : 1
            border.color: Theme.white(0.1)
        }
        GradientShape {
            anchors.fill: parent
            visible: button.busy
            cornerRadius: width / 2
            lineWidth: 1
            direction: GradientPaint.Diagonal
        }
    }

    contentItem: Item {
        Row {
            anchors.centerIn: parent
            spacing: 2.5
            Repeater {
                model: 4
                Rectangle {
                    required property int index
                    readonly property real place: LyricsViewRules.statusBarColorPosition(index, button.busy)
                    objectName: "statusBar" + index
                    anchors.verticalCenter: parent.verticalCenter
                    width: 2.5
                    height: LyricsViewRules.statusBarHeight(index, button.t, button.busy)
                    radius: 1.25
                    color: place < 0 ? Theme.white(0.4) : Theme.spectrumAt(place)
                }
            }
        }
    }

    Popup {
        id: popover
        objectName: "statusPopover"
        y: button.height + 6
        x: (button.width - width) / 2
        width: 330
        padding: 18
        closePolicy: Popup.CloseOnEscape | Popup.CloseOnPressOutsideParent
        onClosed: button.open = false

        background: Rectangle {
            color: Theme.night
            radius: 12
            border.width: 1
            border.color: Theme.white(0.1)
        }

        contentItem: Column {
            spacing: 12

            Text {
                textFormat: Text.PlainText
                text: button.titleText
                color: "white"
                font.family: Theme.roundedFont
                font.pixelSize: 15
                font.weight: Font.Bold
            }
            StatusLine {
                objectName: "statusSync"
                width: parent.width
                symbol: "externaldrive.badge.checkmark"
                text: status.syncText
            }
            StatusLine {
                objectName: "statusLyrics"
                width: parent.width
                symbol: "quote.bubble"
                text: status.lyricsText
            }
            Row {
                width: parent.width
                spacing: 8
                StatusFigure {
                    objectName: "statusFound"
                    width: (parent.width - 8) / 2
                    value: status.found
                    //% "Lyrics found"
                    captionKey: QT_TRID_NOOP("status.found")
                }
                StatusFigure {
                    objectName: "statusRemaining"
                    width: (parent.width - 8) / 2
                    value: status.remaining
                    //% "Still to look up"
                    captionKey: QT_TRID_NOOP("status.remaining")
                }
            }
            Rectangle {
                width: parent.width
                height: 1
                color: Theme.white(0.1)
            }
            PillButton {
                objectName: "statusSyncNow"
                //% "Sync now"
                titleKey: QT_TRID_NOOP("status.syncNow")
                symbol: "arrow.triangle.2.circlepath"
                prominent: true
                onClicked: status.rescan()
            }
        }
    }
}
