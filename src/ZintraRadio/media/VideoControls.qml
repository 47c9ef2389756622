import QtQuick
import ZintraRadio

// The controls over a playing picture: play and pause, the position with its seek bar and the
// two times, mute and volume, in a dark capsule along the lower edge. They show while the
// pointer moves over the picture and fade after it rests; a paused or finished video keeps
// them, and so does a drag on one of the sliders. Play, pause, mute and volume are the deck's
// own operations (the application's volume, which the video follows); seeking is the player's.
Item {
    id: controls

    property QtObject model: null
    property QtObject player: null
    // How long the pointer rests before the controls fade (tests shorten it).
    property int hideDelay: 2500

    readonly property string playerState: player ? player.stateName : ""
    readonly property bool playing: playerState === "playing" || playerState === "loading"
    readonly property var position: player ? player.timePosition : null
    readonly property var duration: player ? player.duration : null
    readonly property bool seekable: duration !== null && duration !== undefined && duration > 0
    readonly property bool muted: model ? model.muted : false
    readonly property real volume: model ? model.volume : 0

    property bool pointerActive: false
    readonly property bool shown: player !== null
                                  && (pointerActive || seekBar.dragging || volumeBar.dragging
                                      || playerState === "paused" || playerState === "ended")

    // While the seek bar is dragged it shows where it is dragged to, not where the player is.
    property real dragFraction: 0
    readonly property real fraction: seekBar.dragging ? dragFraction
                                     : seekable && position !== null && position !== undefined
                                       ? Math.max(0, Math.min(1, position / duration)) : 0
    readonly property string elapsedText: Theme.clock(seekBar.dragging ? dragFraction * duration
                                                      : position !== null && position !== undefined ? position : 0)
    readonly property string totalText: seekable ? Theme.clock(duration) : ""

    // The window repeats hover events while the pointer rests: only a new position is a move.
    property point lastPosition: Qt.point(-1, -1)
    function pointerMoved(point) {
        if (point.x === lastPosition.x && point.y === lastPosition.y)
            return
        lastPosition = point
        pointerActive = true
        idle.restart()
    }

    DeckPresenter {
        id: transport
        model: controls.model
    }

    HoverHandler {
        id: hover
        onPointChanged: if (hovered) controls.pointerMoved(point.position)
        onHoveredChanged: if (!hovered) {
            controls.pointerActive = false
            controls.lastPosition = Qt.point(-1, -1)
        }
    }
    Timer {
        id: idle
        interval: controls.hideDelay
        // The pointer resting on the bar itself keeps it.
        onTriggered: if (!barHover.hovered) controls.pointerActive = false
    }

    Rectangle {
        id: bar
        objectName: "videoControlsBar"
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        anchors.margins: 14
        height: 44
        radius: height / 2
        color: Qt.rgba(0, 0, 0, 0.6)
        border.width: 1
        border.color: Theme.white(0.1)
        opacity: controls.shown ? 1 : 0
        visible: opacity > 0
        Behavior on opacity {
            NumberAnimation { duration: 220; easing.type: Easing.InOutQuad }
        }

        HoverHandler {
            id: barHover
        }

        IconButton {
            id: playButton
            objectName: "videoPlayPause"
            anchors.left: parent.left
            anchors.leftMargin: 7
            anchors.verticalCenter: parent.verticalCenter
            size: 30
            symbol: controls.playing ? "pause.fill" : "play.fill"
            //% "Pause"
            readonly property string pauseKey: QT_TRID_NOOP("deck.pause")
            //% "Play"
            readonly property string playKey: QT_TRID_NOOP("deck.play")
            helpKey: controls.playing ? pauseKey : playKey
            onClicked: transport.playPause()
        }

        Text {
            id: elapsed
            objectName: "videoElapsed"
            anchors.left: playButton.right
            anchors.leftMargin: 10
            anchors.verticalCenter: parent.verticalCenter
            width: Math.max(implicitWidth, timeMetrics.advanceWidth)
            horizontalAlignment: Text.AlignRight
            text: controls.elapsedText
            textFormat: Text.PlainText
            color: Theme.white(0.8)
            font.family: Theme.monoFont
            font.pixelSize: 11
            font.weight: Font.DemiBold
        }
        // Room for "0:00:00", so the bar does not jump as the seconds go by.
        TextMetrics {
            id: timeMetrics
            text: controls.duration >= 3600 ? "0:00:00" : "00:00"
            font: elapsed.font
        }

        GlowSlider {
            id: seekBar
            objectName: "videoSeek"
            anchors.left: elapsed.right
            anchors.leftMargin: 12
            anchors.right: total.left
            anchors.rightMargin: 12
            anchors.verticalCenter: parent.verticalCenter
            enabled: controls.seekable
            opacity: enabled ? 1 : 0.35
            value: controls.fraction
            //% "Position"
            labelKey: QT_TRID_NOOP("video.position")
            onMoved: value => {
                if (!controls.seekable)
                    return
                controls.dragFraction = value
                controls.player.seek(value * controls.duration)
            }
        }

        Text {
            id: total
            objectName: "videoTotal"
            anchors.right: muteButton.left
            anchors.rightMargin: 10
            anchors.verticalCenter: parent.verticalCenter
            width: Math.max(implicitWidth, timeMetrics.advanceWidth)
            text: controls.totalText
            textFormat: Text.PlainText
            color: Theme.white(0.5)
            font: elapsed.font
        }

        IconButton {
            id: muteButton
            objectName: "videoMute"
            // The deck's look of the same control.
            readonly property var look: DeckRules.mute(controls.volume, controls.muted)
            anchors.right: volumeBar.left
            anchors.rightMargin: 6
            anchors.verticalCenter: parent.verticalCenter
            size: 28
            symbol: look.symbol
            helpKey: look.helpKey
            tint: look.red ? Theme.red : "white"
            onClicked: transport.setMuted(!controls.muted)
        }

        GlowSlider {
            id: volumeBar
            objectName: "videoVolume"
            anchors.right: parent.right
            anchors.rightMargin: 16
            anchors.verticalCenter: parent.verticalCenter
            width: 84
            opacity: muteButton.look.sliderOpacity
            value: controls.volume
            //% "Volume"
            labelKey: QT_TRID_NOOP("deck.volume")
            onMoved: value => transport.setVolume(value)
        }
    }
}
