import QtQuick
import QtQuick.Controls
import ZintraRadio

// The side panel of the music module: the playback queue (the current entry ringed, passed ones
// dimmed; click to jump, hover to remove, drag to reorder) with shuffle, repeat and clear in the
// header, and under it shortcuts to every smart playlist and playlist with the buttons that
// start new ones.
PanelScaffold {
    id: panel

    // The process's models unless the host hands over its own (the side panel creates the
    // panel without properties; the stage binds both).
    property QtObject model: typeof AppModel !== "undefined" ? AppModel : null
    property QtObject ui: typeof UIState !== "undefined" ? UIState : null

    readonly property QtObject music: model ? model.music : null
    readonly property QtObject musicUI: ui ? ui.music : null
    readonly property int queueCount: music ? music.queueList.count : 0
    readonly property var queueIndex: music ? music.queueIndex : null
    readonly property bool hasCurrent: queueIndex !== null && queueIndex !== undefined
    readonly property int upNextCount: hasCurrent ? Math.max(0, queueCount - queueIndex - 1) : queueCount
    readonly property string repeatMode: music ? music.repeatMode : "off"
    readonly property alias queueView: queueView

    function levels() {
        const pulse = panel.model ? panel.model.pulse : null
        if (!pulse)
            return [0, 0, 0, 0]
        pulse.refresh()
        return [pulse.bass(), pulse.mid(), pulse.treble(), pulse.energy()]
    }

    //% "Queue"
    titleKey: QT_TRID_NOOP("queue.title")
    //% "%n entries"
    detail: qsTrId("count.entries", upNextCount)
    actions: [
        IconButton {
            objectName: "queueShuffle"
            symbol: "shuffle"
            //% "Shuffle"
            helpKey: QT_TRID_NOOP("music.shuffle")
            active: panel.music ? panel.music.shuffle : false
            size: 30
            onClicked: panel.music.shuffle = !panel.music.shuffle
        },
        IconButton {
            objectName: "queueRepeat"
            symbol: panel.repeatMode === "one" ? "repeat.1" : "repeat"
            //% "Repeat Off"
            readonly property string offKey: QT_TRID_NOOP("queue.repeat.off")
            //% "Repeat All"
            readonly property string allKey: QT_TRID_NOOP("queue.repeat.all")
            //% "Repeat One"
            readonly property string oneKey: QT_TRID_NOOP("queue.repeat.one")
            helpKey: "queue.repeat." + panel.repeatMode
            active: panel.repeatMode !== "off"
            size: 30
            onClicked: musicActions.cycleRepeatMode()
        },
        IconButton {
            objectName: "queueClear"
            symbol: "trash"
            //% "Clear Queue"
            helpKey: QT_TRID_NOOP("queue.clear")
            size: 30
            onClicked: panel.music.clearQueue()
        }
    ]

    MusicActions {
        id: musicActions
        music: panel.music
        ui: panel.musicUI
    }
    SmartPlaylistCards {
        id: smartCards
        music: panel.music
    }
    PlaylistCards {
        id: playlistCards
        music: panel.music
    }
    Connections {
        target: panel.music
        // Covers rewritten in place are read again.
        function onTracksChanged() { Covers.refresh() }
    }

    Item {
        id: queueArea
        width: parent.width
        height: parent.height - shortcuts.height - 12

        EmptyState {
            objectName: "queueEmpty"
            width: parent.width
            height: Math.min(220, parent.height)
            visible: panel.queueCount === 0
            symbol: "text.line.first.and.arrowtriangle.forward"
            //% "The queue is empty"
            titleKey: QT_TRID_NOOP("queue.empty")
        }

        ListView {
            id: queueView
            objectName: "queueView"
            x: -8
            width: parent.width + 16
            height: parent.height
            visible: panel.queueCount > 0
            model: panel.music ? panel.music.queueList : null
            spacing: 6
            clip: true
            boundsBehavior: Flickable.StopAtBounds
            ScrollBar.vertical: ScrollBar { policy: ScrollBar.AlwaysOff }
            readonly property real stride: 50 + spacing
            property int dropGap: -1

            delegate: Item {
                id: entry
                required property int index
                required property var station
                readonly property var rowState: MusicViewRules.queueRow(index, panel.queueIndex)
                width: queueView.width
                height: 50
                z: reorder.active ? 2 : 0

                Rectangle {
                    visible: reorder.active
                    width: parent.width
                    height: 50
                    y: reorder.offset
                    radius: 12
                    color: Theme.night
                }
                QueueRow {
                    objectName: "queueRow" + entry.index
                    width: parent.width
                    y: reorder.offset
                    station: entry.station
                    current: entry.rowState.current
                    played: entry.rowState.played
                    playing: panel.model ? panel.model.stateName === "playing" : false
                    levels: panel.levels
                    onActivated: panel.music.jump(entry.index)
                    onRemoveRequested: musicActions.removeFromQueue(entry.index)
                }
                ReorderDrag {
                    id: reorder
                    index: entry.index
                    count: queueView.count
                    stride: queueView.stride
                    onGapChanged: queueView.dropGap = gap
                    onMoved: (from, gap) => musicActions.moveInQueue(from, gap)
                }
            }

            Rectangle {
                objectName: "queueDropLine"
                visible: queueView.dropGap >= 0
                parent: queueView.contentItem
                y: queueView.dropGap * queueView.stride - queueView.spacing / 2 - 1
                width: queueView.width
                height: 2
                radius: 1
                gradient: Gradient {
                    orientation: Gradient.Horizontal
                    GradientStop { position: 0; color: Theme.cyan }
                    GradientStop { position: 1; color: Theme.magenta }
                }
            }
        }
    }

    Column {
        id: shortcuts
        objectName: "queueShortcuts"
        anchors.bottom: parent.bottom
        width: parent.width
        spacing: 8
        bottomPadding: 16

        Item {
            width: parent.width
            height: 24
            SectionLabel {
                anchors.left: parent.left
                anchors.right: buttons.left
                anchors.rightMargin: 8
                anchors.verticalCenter: parent.verticalCenter
                //% "Playlists"
                text: qsTrId("music.tab.playlists")
            }
            Row {
                id: buttons
                anchors.right: parent.right
                spacing: 6
                IconButton {
                    objectName: "queueNewPlaylist"
                    symbol: "plus"
                    //% "New Playlist"
                    helpKey: QT_TRID_NOOP("music.newPlaylist")
                    size: 24
                    onClicked: musicActions.createPlaylistAndOpen()
                }
                IconButton {
                    objectName: "queueNewSmartPlaylist"
                    symbol: "wand.and.stars"
                    //% "New Smart Playlist"
                    helpKey: QT_TRID_NOOP("music.newSmartPlaylist")
                    size: 24
                    onClicked: panel.musicUI.startNewSmartPlaylist()
                }
            }
        }
        Flickable {
            objectName: "queueShortcutList"
            width: parent.width
            height: Math.min(230, links.height)
            contentHeight: links.height
            clip: true
            boundsBehavior: Flickable.StopAtBounds
            ScrollBar.vertical: ScrollBar { policy: ScrollBar.AlwaysOff }
            Column {
                id: links
                width: parent.width
                spacing: 4
                Repeater {
                    model: smartCards.rows
                    ShortcutRow {
                        required property int index
                        required property var model
                        objectName: "smartShortcut" + index
                        width: links.width
                        title: model.name
                        symbol: "wand.and.stars"
                        count: model.count
                        onClicked: panel.musicUI.open("smart", model.id)
                    }
                }
                Repeater {
                    model: playlistCards.rows
                    ShortcutRow {
                        required property int index
                        required property var model
                        objectName: "playlistShortcut" + index
                        width: links.width
                        title: model.name
                        symbol: "music.note.list"
                        count: model.count
                        onClicked: panel.musicUI.open("playlist", model.id)
                    }
                }
            }
        }
    }
}
