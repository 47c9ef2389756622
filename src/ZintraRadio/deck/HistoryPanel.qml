import QtQuick
import QtQuick.Controls
import ZintraRadio

// The history module in three tabs: the stations played recently (with a button that clears
// them), the titles the streams announced, and the songs the music database remembers hearing
// on the radio. The header counts the entries of the tab on show.
PanelScaffold {
    id: panel

    // "played", "songs" or "heard"; a scripted run may pick the first one.
    property string tab: DeckRules.historyStartTab()

    readonly property var stations: AppModel.historyList
    readonly property var songs: AppModel.songLogList

    //% "History"
    titleKey: QT_TRID_NOOP("module.history")
    // The heard songs are counted once the database has answered.
    readonly property var heardCount: heard.item && heard.item.query.ready ? heard.item.query.songs.count : undefined
    detail: DeckRules.entryCount(DeckRules.historyCount(tab, stations.count, songs.count, heardCount))

    actions: PillButton {
        objectName: "historyClear"
        visible: DeckRules.offersClear(panel.tab, panel.stations.count)
        //% "Clear"
        titleKey: QT_TRID_NOOP("history.clear")
        symbol: "trash"
        onClicked: AppModel.clearHistory()
    }

    controls: Row {
        spacing: 6
        Repeater {
            model: [
                //% "Played"
                { name: "played", key: QT_TRID_NOOP("history.played") },
                //% "Songs"
                { name: "songs", key: QT_TRID_NOOP("history.songs") },
                //% "Heard"
                { name: "heard", key: QT_TRID_NOOP("history.heard") }
            ]
            Chip {
                required property var modelData
                objectName: "historyTab_" + modelData.name
                text: qsTrId(modelData.key)
                selected: panel.tab === modelData.name
                onClicked: panel.tab = modelData.name
            }
        }
    }

    // ---- Played
    EmptyState {
        objectName: "historyEmpty"
        anchors.fill: parent
        visible: panel.tab === "played" && panel.stations.count === 0
        symbol: "clock.arrow.circlepath"
        //% "Nothing played yet"
        titleKey: QT_TRID_NOOP("history.empty")
    }
    ListView {
        objectName: "historyStations"
        x: -8
        width: parent.width + 16
        height: parent.height
        visible: panel.tab === "played" && panel.stations.count > 0
        clip: true
        spacing: 6
        bottomMargin: 20
        boundsBehavior: Flickable.StopAtBounds
        ScrollBar.vertical: ScrollBar { policy: ScrollBar.AlwaysOff }
        model: visible ? panel.stations : null
        delegate: PanelStationRow {
            required station
            width: ListView.view.width
        }
    }

    // ---- Songs
    EmptyState {
        objectName: "historyNoSongs"
        anchors.fill: parent
        visible: panel.tab === "songs" && panel.songs.count === 0
        symbol: "music.note.list"
        //% "No song titles yet"
        titleKey: QT_TRID_NOOP("history.noSongs")
    }
    ListView {
        objectName: "historySongs"
        width: parent.width
        height: parent.height
        visible: panel.tab === "songs" && panel.songs.count > 0
        clip: true
        spacing: 6
        bottomMargin: 20
        boundsBehavior: Flickable.StopAtBounds
        ScrollBar.vertical: ScrollBar { policy: ScrollBar.AlwaysOff }
        model: visible ? panel.songs : null
        delegate: SongRow {
            required property int index
            required date
            required title
            required station
            objectName: "songRow" + index
            width: ListView.view.width
        }
    }

    // ---- Heard: only this tab reads the database.
    Loader {
        id: heard
        objectName: "historyHeard"
        anchors.fill: parent
        active: panel.tab === "heard"
        sourceComponent: HeardSongsList {
            model: AppModel
            ui: UIState
        }
    }
}
