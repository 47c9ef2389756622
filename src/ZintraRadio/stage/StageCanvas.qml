import QtQuick
import ZintraRadio

// The running visualizer: the clock advances the feed on the window's frames and the mode's
// renderer draws it. A change of mode replaces the renderer: the new one grows in from 1.12,
// the old one shrinks to 0.94, both fading (only fading under reduced motion).
Item {
    id: canvas

    property string mode: "zintra"
    property bool playing: false
    property bool reducedMotion: false
    property alias feed: clock.feed
    // The application model, whose audio pulse feeds the stage; silence without one.
    property alias model: clock.model
    property alias running: clock.running
    readonly property alias clock: clock
    readonly property string shownMode: StageModeTable.normalized(mode)
    readonly property Item renderer: current

    property Item current: null

    clip: true
    Accessible.ignored: true

    // The surfaces of the modes are opaque night themselves; only the fallback scope draws on
    // a clear ground.
    Rectangle {
        anchors.fill: parent
        color: Theme.night
        visible: !canvas.current || canvas.current.drawing === "fallback"
    }

    StageClock {
        id: clock
        playing: canvas.playing
    }

    Component {
        id: rendererComponent
        ModeRenderer {
            objectName: "modeRenderer"
            width: canvas.width
            height: canvas.height
            transformOrigin: Item.Center
            feed: clock.feed
            frame: clock.frame
        }
    }

    Component {
        id: swapAnimation
        ParallelAnimation {
            id: swap
            property Item incoming
            property Item outgoing
            property int duration: canvas.reducedMotion ? 200 : 550
            NumberAnimation { target: swap.incoming; property: "opacity"; from: 0; to: 1; duration: swap.duration; easing.type: Easing.InOutQuad }
            NumberAnimation { target: swap.incoming; property: "scale"; from: canvas.reducedMotion ? 1 : 1.12; to: 1; duration: swap.duration; easing.type: Easing.InOutQuad }
            NumberAnimation { target: swap.outgoing; property: "opacity"; to: 0; duration: swap.duration; easing.type: Easing.InOutQuad }
            NumberAnimation { target: swap.outgoing; property: "scale"; to: canvas.reducedMotion ? 1 : 0.94; duration: swap.duration; easing.type: Easing.InOutQuad }
            onFinished: {
                if (swap.outgoing)
                    swap.outgoing.destroy()
                swap.destroy()
            }
        }
    }

    function show(mode) {
        const old = current
        current = rendererComponent.createObject(canvas, { mode: mode })
        if (!old)
            return
        current.opacity = 0
        swapAnimation.createObject(canvas, { incoming: current, outgoing: old }).start()
    }

    onShownModeChanged: if (current) show(shownMode)
    Component.onCompleted: show(shownMode)
}
