import QtQuick
import QtQuick.Controls
import ZintraRadio

// The recordings module: the recorder card, and the MP3 files of the recordings folder newest
// first, each playing (or pausing and resuming when it is the item on air), shown in the file
// manager or moved to the Trash at once. The folder is read anew whenever the page appears.
PanelScaffold {
    id: panel

    readonly property var recordings: AppModel.recordingList

    //% "Recordings"
    titleKey: QT_TRID_NOOP("module.recordings")
    detail: DeckRules.entryCount(recordings.count)

    Component.onCompleted: AppModel.reloadRecordings()
    onVisibleChanged: if (visible) AppModel.reloadRecordings()

    actions: IconButton {
        objectName: "recordingsOpenFolder"
        symbol: "folder"
        //% "Open the recordings folder"
        helpKey: QT_TRID_NOOP("recordings.openFolder")
        onClicked: AppModel.openRecordingsFolder()
    }

    controls: RecorderCard {
        objectName: "recorderCard"
        width: parent.width
        model: AppModel
    }

    EmptyState {
        objectName: "recordingsEmpty"
        anchors.fill: parent
        visible: panel.recordings.count === 0
        symbol: "record.circle"
        //% "No recordings yet. Press REC while a station plays."
        titleKey: QT_TRID_NOOP("recordings.empty")
    }

    ListView {
        objectName: "recordingsList"
        x: -4
        width: parent.width + 8
        height: parent.height
        visible: panel.recordings.count > 0
        clip: true
        spacing: 6
        bottomMargin: 20
        boundsBehavior: Flickable.StopAtBounds
        ScrollBar.vertical: ScrollBar { policy: ScrollBar.AlwaysOff }
        model: visible ? panel.recordings : null
        delegate: RecordingRow {
            required property string url
            required name
            required created
            required bytes
            objectName: "recordingRow_" + name
            x: 4
            width: ListView.view.width - 8
            current: MediaViewRules.recordingIsCurrent(url, AppModel.current, AppModel.isActive)
            playing: OnAir.playing
            levels: () => OnAir.levels()
            onClicked: {
                if (MediaViewRules.recordingClick(current) === "toggle")
                    AppModel.togglePlayPause()
                else
                    AppModel.playFile(url)
            }
            onRevealRequested: Shell.revealFile(url)
            onTrashRequested: AppModel.trashRecording(url)
            onMenuRequested: rowMenu.openFor(url)
        }
    }

    LibraryMenu {
        id: rowMenu
        objectName: "recordingMenu"
        property string file
        function openFor(path) {
            file = path
            popup()
        }
        LibraryMenuItem {
            objectName: "menuPlay"
            text: qsTrId("deck.play")
            onTriggered: AppModel.playFile(rowMenu.file)
        }
        LibraryMenuItem {
            objectName: "menuReveal"
            text: qsTrId("action.reveal")
            onTriggered: Shell.revealFile(rowMenu.file)
        }
        LibraryMenuSeparator {}
        LibraryMenuItem {
            objectName: "menuTrash"
            text: qsTrId("recordings.trash")
            destructive: true
            onTriggered: AppModel.trashRecording(rowMenu.file)
        }
    }
}
