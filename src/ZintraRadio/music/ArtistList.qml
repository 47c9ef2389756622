import QtQuick
import QtQuick.Controls
import ZintraRadio

// The artists tab: one card per artist in name order, only those whose names contain the
// browser's search text; a card opens the artist's page.
Item {
    id: list

    property QtObject model: null
    property QtObject ui: null

    readonly property QtObject music: model ? model.music : null
    readonly property QtObject musicUI: ui ? ui.music : null
    readonly property var layout: MusicViewRules.grid(width, MusicTheme.cardMinWidth, 0, 10, MusicTheme.browserSide)
    readonly property alias cards: cards

    ArtistCards {
        id: cards
        music: list.music
        search: list.musicUI ? list.musicUI.search : ""
    }

    EmptyState {
        objectName: "artistsEmpty"
        anchors.fill: parent
        visible: cards.count === 0
        symbol: "music.mic"
        //% "Your library is empty"
        readonly property string emptyKey: QT_TRID_NOOP("music.empty")
        //% "No matches"
        readonly property string noMatchesKey: QT_TRID_NOOP("state.noMatches")
        titleKey: cards.libraryEmpty ? emptyKey : noMatchesKey
    }

    GridView {
        id: view
        objectName: "artistGridView"
        anchors.fill: parent
        visible: cards.count > 0
        leftMargin: list.layout.leftMargin
        rightMargin: list.layout.rightMargin
        topMargin: 10
        bottomMargin: MusicTheme.listBottom
        cellWidth: list.layout.cellWidth
        cellHeight: MusicTheme.cardMosaic + 22 + 10
        clip: true
        reuseItems: true
        boundsBehavior: Flickable.StopAtBounds
        model: cards.rows
        ScrollBar.vertical: ScrollBar { policy: ScrollBar.AlwaysOff }

        delegate: Item {
            id: cell
            required property int index
            required property string name
            required property int count
            required property var covers
            width: view.cellWidth
            height: view.cellHeight
            GenreCard {
                objectName: "artistCard" + cell.index
                width: list.layout.columnWidth
                height: view.cellHeight - 10
                name: cell.name
                count: cell.count
                covers: cell.covers
                onOpen: list.musicUI.open("artist", cell.name)
            }
        }
    }
}
