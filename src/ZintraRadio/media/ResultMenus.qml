import QtQuick
import QtQuick.Controls
import ZintraRadio

// The menus of the result cards, one set for the whole list, opened for the card that asks:
// the video qualities with the lyrics setting, the queue entries, and the context menu that
// repeats the main actions and copies the link.
Item {
    id: menus

    // The station map of the card the menus were last opened for.
    property var item: ({})

    function openQuality(forItem, button) {
        item = forItem
        qualityMenu.popup(button, 0, button.height + 4)
    }
    function openQueue(forItem, button) {
        item = forItem
        queueMenu.popup(button, 0, button.height + 4)
    }
    function openContext(forItem) {
        item = forItem
        contextMenu.popup()
    }

    MusicActions {
        id: musicActions
        music: AppModel.music
        ui: UIState.music
    }
    PlaylistCards {
        id: playlistCards
        music: AppModel.music
    }

    LibraryMenu {
        id: qualityMenu
        objectName: "qualityMenu"
        Instantiator {
            model: MediaViewRules.qualities()
            delegate: LibraryMenuItem {
                required property var modelData
                objectName: "quality_" + modelData.id
                text: modelData.text
                onTriggered: AppModel.downloadVideo(menus.item, modelData.id, null)
            }
            onObjectAdded: (index, object) => qualityMenu.insertItem(index, object)
            onObjectRemoved: (index, object) => qualityMenu.removeItem(object)
        }
        LibraryMenuSeparator {}
        ToggleMenuItem {
            objectName: "qualityWithLyrics"
            text: qsTrId("youtube.withLyrics")
            on: AppModel.saveLyricsWithDownloads
            onTriggered: AppModel.saveLyricsWithDownloads = !AppModel.saveLyricsWithDownloads
        }
    }

    LibraryMenu {
        id: queueMenu
        objectName: "queueMenu"
        QueueMenuItems {
            menu: queueMenu
            actions: musicActions
            playlists: playlistCards
            items: () => [menus.item]
        }
    }

    LibraryMenu {
        id: contextMenu
        objectName: "cardMenu"
        LibraryMenuItem {
            objectName: "menuListen"
            text: qsTrId("youtube.listen")
            onTriggered: AppModel.play(menus.item)
        }
        LibraryMenuItem {
            objectName: "menuWatch"
            text: qsTrId("youtube.watch")
            onTriggered: AppModel.watchVideo(menus.item)
        }
        LibraryMenuItem {
            objectName: "menuDownload"
            text: qsTrId("youtube.downloadMP3")
            onTriggered: AppModel.downloadMP3(menus.item, null)
        }
        LibraryMenuItem {
            objectName: "menuCopyLink"
            text: qsTrId("action.copyLink")
            onTriggered: Shell.copy(menus.item && menus.item.url ? menus.item.url : "")
        }
        QueueMenuItems {
            menu: contextMenu
            position: 3
            actions: musicActions
            playlists: playlistCards
            items: () => [menus.item]
        }
    }
}
