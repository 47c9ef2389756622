import QtQuick
import QtQuick.Controls
import ZintraRadio

// The action bar for the selected tracks: their count, a genre for all of them (an existing one
// or a new one typed into a prompt), the queue entries, cover lookups one after another, the
// trash, and the button that ends the selection. It acts only on the selected tracks that are
// still in the library, in library order, read when an action runs.
Item {
    id: bar

    property QtObject model: null
    property QtObject ui: null

    readonly property QtObject music: model ? model.music : null
    readonly property QtObject musicUI: ui ? ui.music : null
    // Counted again when the selection or the library changes (the genres follow the tracks).
    readonly property int count: musicUI && music && musicUI.selection && music.genres
                                 ? musicActions.selectedPaths().length : 0

    implicitHeight: 50
    implicitWidth: 700

    MusicActions {
        id: musicActions
        music: bar.music
        ui: bar.musicUI
    }
    PlaylistCards {
        id: playlistCards
        music: bar.music
    }

    Rectangle {
        anchors.fill: parent
        color: Theme.alpha(Theme.night, 0.95)
    }
    Rectangle {
        width: parent.width
        height: 1
        gradient: Gradient {
            orientation: Gradient.Horizontal
            GradientStop { position: 0; color: Theme.cyan }
            GradientStop { position: 0.5; color: Theme.violet }
            GradientStop { position: 1; color: Theme.magenta }
        }
    }

    Text {
        objectName: "selectionCount"
        anchors.left: parent.left
        anchors.leftMargin: 18
        anchors.verticalCenter: parent.verticalCenter
        width: Math.max(0, controls.x - x - 6)
        //% "%n selected"
        text: qsTrId("music.selected", bar.count)
        textFormat: Text.PlainText
        elide: Text.ElideRight
        color: "white"
        font.family: Theme.roundedFont
        font.pixelSize: 13
        font.weight: Font.Bold
    }

    Row {
        id: controls
        anchors.right: parent.right
        anchors.rightMargin: 18
        anchors.verticalCenter: parent.verticalCenter
        spacing: 10

        MenuLabelButton {
            id: genreButton
            objectName: "selectionGenre"
            anchors.verticalCenter: parent.verticalCenter
            //% "Genre"
            titleKey: QT_TRID_NOOP("stations.genre")
            symbol: "guitars.fill"
            menuEntryList: bar.music ? bar.music.genres : []
            Instantiator {
                model: genreButton.menu.shownEntryList
                delegate: LibraryMenuItem {
                    required property var modelData
                    text: modelData.name
                    onTriggered: musicActions.setGenreOfSelection(modelData.name)
                }
                onObjectAdded: (index, object) => genreButton.menu.insertItem(index, object)
                onObjectRemoved: (index, object) => genreButton.menu.removeItem(object)
            }
            LibraryMenuSeparator {}
            LibraryMenuItem {
                objectName: "selectionNewGenre"
                //% "New Genre"
                text: qsTrId("music.newGenre") + " \u2026"
                onTriggered: {
                    genrePrompt.text = ""
                    genrePrompt.open()
                }
            }
        }
        MenuLabelButton {
            id: addButton
            objectName: "selectionAddTo"
            anchors.verticalCenter: parent.verticalCenter
            //% "Add to"
            titleKey: QT_TRID_NOOP("music.addTo")
            symbol: "text.badge.plus"
            QueueMenuItems {
                menu: addButton.menu
                actions: musicActions
                playlists: playlistCards
                items: () => musicActions.selectedStations()
            }
        }
        MusicPill {
            objectName: "selectionFetchCovers"
            anchors.verticalCenter: parent.verticalCenter
            //% "Find Cover"
            titleKey: QT_TRID_NOOP("music.fetchCover")
            symbol: "photo"
            onClicked: musicActions.fetchCoversOfSelection()
        }
        MusicPill {
            objectName: "selectionTrash"
            anchors.verticalCenter: parent.verticalCenter
            //% "Move to Trash"
            titleKey: QT_TRID_NOOP("recordings.trash")
            symbol: "trash"
            tint: Theme.red
            onClicked: musicActions.trashSelection()
        }
        IconButton {
            objectName: "selectionClose"
            anchors.verticalCenter: parent.verticalCenter
            symbol: "xmark"
            //% "Close"
            helpKey: QT_TRID_NOOP("action.close")
            size: 26
            onClicked: if (bar.musicUI) bar.musicUI.selection = []
        }
    }

    TextPrompt {
        id: genrePrompt
        objectName: "newGenrePrompt"
        //% "New Genre"
        titleKey: QT_TRID_NOOP("music.newGenre")
        //% "Genre"
        placeholderKey: QT_TRID_NOOP("stations.genre")
        // Blanks around the name go; an empty name takes the genre away.
        onSaved: (text) => musicActions.setGenreOfSelection(MusicViewRules.trimmed(text))
    }
}
