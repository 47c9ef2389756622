import QtQuick
import QtQuick.Controls
import ZintraRadio

// The playlists tab: the smart playlists, then the user's playlists, as two grids of cards that
// open their pages and play or remove from their menus; and where new ones are started. A new
// smart playlist goes to the editor as a draft; nothing is stored before the editor saves.
Item {
    id: overview

    property QtObject model: null
    property QtObject ui: null

    readonly property QtObject music: model ? model.music : null
    readonly property QtObject musicUI: ui ? ui.music : null
    readonly property var layout: MusicViewRules.grid(width, MusicTheme.cardMinWidth, 0, 10, MusicTheme.browserSide)
    readonly property alias smartCards: smartCards
    readonly property alias playlistCards: playlistCards

    SmartPlaylistCards {
        id: smartCards
        music: overview.music
    }
    PlaylistCards {
        id: playlistCards
        music: overview.music
    }
    MusicActions {
        id: musicActions
        music: overview.music
        ui: overview.musicUI
    }

    Flickable {
        id: flick
        objectName: "playlistOverviewFlick"
        anchors.fill: parent
        contentHeight: column.height + 10 + MusicTheme.listBottom
        clip: true
        boundsBehavior: Flickable.StopAtBounds
        ScrollBar.vertical: ScrollBar { policy: ScrollBar.AlwaysOff }

        Column {
            id: column
            x: MusicTheme.browserSide
            y: 10
            width: flick.width - 2 * MusicTheme.browserSide
            spacing: 10

            Item {
                width: parent.width
                height: newSmart.height
                SectionLabel {
                    anchors.left: parent.left
                    anchors.right: newSmart.left
                    anchors.rightMargin: 10
                    anchors.verticalCenter: parent.verticalCenter
                    //% "Smart Playlists"
                    text: qsTrId("music.smartPlaylists")
                }
                MusicPill {
                    id: newSmart
                    objectName: "newSmartPlaylist"
                    anchors.right: parent.right
                    //% "New Smart Playlist"
                    titleKey: QT_TRID_NOOP("music.newSmartPlaylist")
                    symbol: "wand.and.stars"
                    prominent: true
                    onClicked: overview.musicUI.startNewSmartPlaylist()
                }
            }
            Grid {
                objectName: "smartGrid"
                columns: overview.layout.columns
                columnSpacing: 10
                rowSpacing: 10
                Repeater {
                    model: smartCards.rows
                    PlaylistCard {
                        required property int index
                        required property var model
                        objectName: "smartCard" + index
                        width: overview.layout.columnWidth
                        name: model.name
                        //% "%n track(s)"
                        detail: qsTrId("count.tracks", model.count)
                        symbol: "wand.and.stars"
                        covers: model.covers
                        onOpen: overview.musicUI.open("smart", model.id)
                        onMenuRequested: (x, y) => {
                            smartMenu.listId = model.id
                            smartMenu.popup(this, x, y)
                        }
                    }
                }
            }

            Item {
                width: parent.width
                height: newPlaylist.height + 8
                SectionLabel {
                    anchors.left: parent.left
                    anchors.right: newPlaylist.left
                    anchors.rightMargin: 10
                    anchors.verticalCenter: newPlaylist.verticalCenter
                    //% "Playlists"
                    text: qsTrId("music.tab.playlists")
                }
                MusicPill {
                    id: newPlaylist
                    objectName: "newPlaylist"
                    anchors.right: parent.right
                    anchors.bottom: parent.bottom
                    //% "New Playlist"
                    titleKey: QT_TRID_NOOP("music.newPlaylist")
                    symbol: "plus"
                    onClicked: musicActions.createPlaylistAndOpen()
                }
            }
            Text {
                objectName: "noPlaylists"
                visible: playlistCards.count === 0
                topPadding: 8
                bottomPadding: 8
                //% "No playlists yet"
                text: qsTrId("music.noPlaylists")
                textFormat: Text.PlainText
                color: Theme.white(0.45)
                font.family: Theme.textFont
                font.pixelSize: 12
                font.weight: Font.Medium
            }
            Grid {
                objectName: "playlistGrid"
                columns: overview.layout.columns
                columnSpacing: 10
                rowSpacing: 10
                Repeater {
                    model: playlistCards.rows
                    PlaylistCard {
                        required property int index
                        required property var model
                        objectName: "playlistCard" + index
                        width: overview.layout.columnWidth
                        name: model.name
                        //% "%n entries"
                        detail: qsTrId("count.entries", model.count)
                        symbol: "music.note.list"
                        covers: model.covers
                        onOpen: overview.musicUI.open("playlist", model.id)
                        onMenuRequested: (x, y) => {
                            playlistMenu.listId = model.id
                            playlistMenu.popup(this, x, y)
                        }
                    }
                }
            }
        }
    }

    LibraryMenu {
        id: smartMenu
        objectName: "smartMenu"
        property string listId
        LibraryMenuItem {
            objectName: "smartPlay"
            //% "Play"
            text: qsTrId("music.play")
            onTriggered: smartCards.play(smartMenu.listId)
        }
        LibraryMenuItem {
            objectName: "smartEditRules"
            //% "Edit Rules…"
            text: qsTrId("music.editRules")
            onTriggered: smartCards.editRules(smartMenu.listId, overview.musicUI)
        }
        LibraryMenuItem {
            objectName: "smartRemove"
            //% "Remove"
            text: qsTrId("stations.remove")
            destructive: true
            onTriggered: smartCards.remove(smartMenu.listId)
        }
    }
    LibraryMenu {
        id: playlistMenu
        objectName: "playlistMenu"
        property string listId
        LibraryMenuItem {
            objectName: "playlistPlay"
            //% "Play"
            text: qsTrId("music.play")
            onTriggered: playlistCards.play(playlistMenu.listId)
        }
        LibraryMenuItem {
            objectName: "playlistRemove"
            //% "Remove"
            text: qsTrId("stations.remove")
            destructive: true
            onTriggered: playlistCards.remove(playlistMenu.listId)
        }
    }
}
