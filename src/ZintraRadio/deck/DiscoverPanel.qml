import QtQuick
import QtQuick.Controls
import ZintraRadio

// The discover module: the public station directory searched by text, its top and top-voted
// lists, a chip per genre and a menu of countries. The answer shows as station rows that play,
// import one by one or all at once, favourite, queue and copy; a text search also lists the
// first songs whose stored lyrics hold it. The directory's requests and state belong to the
// application model; this panel starts them and shows their progress.
PanelScaffold {
    id: panel

    // The search field's text; a scripted run may preset it.
    property string query: DeckRules.searchHook()

    readonly property var scope: AppModel.browseScope
    readonly property var results: AppModel.browseResultList
    readonly property string contentState: DeckRules.discoverState(AppModel.browseLoading, AppModel.browseError, results.count)
    readonly property var genreRows: DeckRules.genreRows(AppModel.tags)
    readonly property var countries: DeckRules.countries(AppModel.countries)

    //% "Discover"
    titleKey: QT_TRID_NOOP("module.discover")
    detail: DeckRules.scopeText(scope, results.count)

    function browse(scope) {
        query = ""
        AppModel.loadBrowse(scope)
    }

    // A song found in the lyrics goes to the YouTube panel, already searched.
    function searchYouTube(text) {
        UIState.show("youtube")
        UIState.pendingYouTubeQuery = text
        if (typeof AppModel.searchYouTube === "function")
            AppModel.searchYouTube(text)
    }

    LyricHitsQuery {
        id: lyricHits
        music: AppModel.music
        query: panel.contentState === "results" && panel.scope.kind === "search" ? panel.scope.text : ""
    }

    actions: PillButton {
        objectName: "discoverImportAll"
        visible: panel.results.count > 0
        //% "Import All"
        titleKey: QT_TRID_NOOP("discover.importAll")
        symbol: "square.and.arrow.down.on.square"
        onClicked: StationActions.importBrowseResults(AppModel)
    }

    controls: Column {
        width: parent ? parent.width : 300
        spacing: 10

        ThemedField {
            objectName: "discoverSearch"
            width: parent.width
            text: panel.query
            //% "Search stations by name"
            promptKey: QT_TRID_NOOP("discover.search")
            symbol: "magnifyingglass"
            focusTrigger: UIState.module === "discover" ? UIState.searchFocus : 0
            onTextChanged: panel.query = text
            onSubmitted: AppModel.searchStations(panel.query)
        }

        Item {
            width: parent.width
            height: Theme.chipHeight
            Row {
                spacing: 6
                Chip {
                    objectName: "chipTop"
                    //% "Top"
                    text: qsTrId("discover.top")
                    selected: panel.scope.kind === "top"
                    onClicked: panel.browse({ kind: "top" })
                }
                Chip {
                    objectName: "chipTopVoted"
                    //% "Top Voted"
                    text: qsTrId("discover.topVoted")
                    selected: panel.scope.kind === "topVoted"
                    onClicked: panel.browse({ kind: "topVoted" })
                }
            }
            AbstractButton {
                id: countryButton
                objectName: "countryMenuButton"
                readonly property bool selected: panel.scope.kind === "country"
                anchors.right: parent.right
                height: 25
                width: countryRow.implicitWidth + 20
                hoverEnabled: true
                //% "Country"
                Accessible.name: qsTrId("discover.country")
                onClicked: countryMenu.popup(countryButton, countryButton.width - countryMenu.width, countryButton.height + 4)

                background: Rectangle {
                    radius: height / 2
                    color: Theme.white(countryButton.selected ? 0.14 : countryButton.hovered ? 0.09 : 0.05)
                    border.width: countryButton.selected ? 0 : 1
                    border.color: Theme.white(0.09)
                    GradientShape {
                        anchors.fill: parent
                        visible: countryButton.selected
                        cornerRadius: height / 2
                        lineWidth: 1
                        direction: GradientPaint.Horizontal
                    }
                }
                contentItem: Item {
                    Row {
                        id: countryRow
                        anchors.centerIn: parent
                        spacing: 5
                        Icon {
                            anchors.verticalCenter: parent.verticalCenter
                            symbol: "globe"
                            size: 11
                            color: Theme.white(countryButton.selected ? 1 : 0.7)
                        }
                        Text {
                            objectName: "countryLabel"
                            anchors.verticalCenter: parent.verticalCenter
                            text: DeckRules.countryLabel(panel.scope)
                            textFormat: Text.PlainText
                            color: Theme.white(countryButton.selected ? 1 : 0.7)
                            font.family: Theme.roundedFont
                            font.pixelSize: 12
                            font.weight: Font.DemiBold
                        }
                    }
                }

                PanelMenu {
                    id: countryMenu
                    objectName: "countryMenu"
                    // Made when the menu opens: a long list costs nothing while it is closed.
                    Instantiator {
                        active: countryMenu.visible
                        model: panel.countries
                        delegate: PanelMenuItem {
                            required property var modelData
                            objectName: "country_" + modelData.code
                            text: modelData.entry
                            onTriggered: panel.browse({ kind: "country", name: modelData.name, code: modelData.code,
                                                        stationCount: modelData.stationCount })
                        }
                        onObjectAdded: (index, object) => countryMenu.insertItem(index, object)
                        onObjectRemoved: (index, object) => countryMenu.removeItem(object)
                    }
                }
            }
        }

        // Two rows of genre chips, alphabetical down each column, scrolling sideways; the
        // right edge fades out.
        Item {
            width: parent.width
            height: 60
            clip: true
            Flickable {
                id: strip
                objectName: "genreStrip"
                anchors.fill: parent
                contentWidth: genreColumn.implicitWidth
                contentHeight: height
                flickableDirection: Flickable.HorizontalFlick
                boundsBehavior: Flickable.StopAtBounds
                Column {
                    id: genreColumn
                    y: 2
                    spacing: 6
                    Repeater {
                        model: 2
                        Row {
                            required property int index
                            spacing: 6
                            Repeater {
                                model: panel.genreRows[parent.index]
                                Chip {
                                    required property string modelData
                                    objectName: "genre_" + modelData
                                    text: modelData
                                    selected: panel.scope.kind === "tag" && panel.scope.name === modelData
                                    onClicked: panel.browse({ kind: "tag", name: modelData })
                                }
                            }
                        }
                    }
                }
            }
            Rectangle {
                anchors.right: parent.right
                width: parent.width * 0.1
                height: parent.height
                gradient: Gradient {
                    orientation: Gradient.Horizontal
                    GradientStop { position: 0; color: Theme.alpha(Theme.night, 0) }
                    GradientStop { position: 1; color: Theme.alpha(Theme.night, 0.92) }
                }
            }
        }
    }

    // ---- Content: loading, the error, the results or nothing found
    LoadingWave {
        objectName: "discoverLoading"
        anchors.centerIn: parent
        visible: panel.contentState === "loading"
    }

    Column {
        objectName: "discoverError"
        anchors.centerIn: parent
        width: parent.width
        spacing: 12
        visible: panel.contentState === "error"
        EmptyState {
            width: parent.width
            height: Math.min(150, implicitHeight)
            symbol: "wifi.exclamationmark"
            //% "The station directory did not answer"
            titleKey: QT_TRID_NOOP("discover.error")
        }
        Text {
            objectName: "discoverErrorText"
            width: parent.width
            horizontalAlignment: Text.AlignHCenter
            wrapMode: Text.Wrap
            text: AppModel.browseError ? AppModel.browseError : ""
            textFormat: Text.PlainText
            color: Theme.white(0.4)
            font.family: Theme.textFont
            font.pixelSize: 11
        }
        PillButton {
            objectName: "discoverRetry"
            anchors.horizontalCenter: parent.horizontalCenter
            //% "Try Again"
            titleKey: QT_TRID_NOOP("action.retry")
            symbol: "arrow.clockwise"
            onClicked: AppModel.loadBrowse(panel.scope)
        }
    }

    EmptyState {
        objectName: "discoverEmpty"
        anchors.fill: parent
        visible: panel.contentState === "empty"
        symbol: "magnifyingglass"
        //% "No matches"
        titleKey: QT_TRID_NOOP("state.noMatches")
    }

    ListView {
        id: resultList
        objectName: "discoverResults"
        x: -8
        width: parent.width + 16
        height: parent.height
        visible: panel.contentState === "results"
        clip: true
        spacing: 6
        bottomMargin: 20
        boundsBehavior: Flickable.StopAtBounds
        ScrollBar.vertical: ScrollBar { policy: ScrollBar.AlwaysOff }
        model: visible ? panel.results : null

        header: Column {
            width: resultList.width
            spacing: 6
            visible: lyricHits.count > 0
            height: visible ? implicitHeight + 6 : 0
            SectionLabel {
                x: 8
                width: parent.width - 16
                //% "In lyrics"
                text: qsTrId("music.inLyrics")
            }
            Repeater {
                model: lyricHits.hits
                delegate: LyricsHitRow {
                    required property int index
                    required title
                    required artist
                    required snippet
                    required hasTrack
                    required coverURL
                    required coverSeed
                    required heardStation
                    required heardLast
                    objectName: "lyricHit" + index
                    width: parent.width
                    onActivated: {
                        if (!lyricHits.playTrack(index))
                            panel.searchYouTube(lyricHits.youtubeQuery(index))
                    }
                    onYoutubeRequested: panel.searchYouTube(lyricHits.youtubeQuery(index))
                }
            }
            Item {
                width: parent.width
                height: 6 + stationsLabel.implicitHeight
                SectionLabel {
                    id: stationsLabel
                    x: 8
                    y: 6
                    width: parent.width - 16
                    text: qsTrId("module.discover")
                }
            }
        }

        delegate: PanelStationRow {
            required station
            width: ListView.view.width
            menu: resultMenu
            trailing: "discover"
        }
    }

    StationMenu {
        id: resultMenu
        objectName: "discoverMenu"
        mode: "discover"
    }
}
