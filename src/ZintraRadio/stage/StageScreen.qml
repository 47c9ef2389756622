import QtQuick
import ZintraRadio

// The stage with everything on it: the running visualizer with, from back to front, two dark
// shades, the music browser or the lyrics, the status line, the chrome (top bar, cinema bar,
// mode picker) and the highlight of a link dragged over it. In cinema mode the chrome fades
// out 2.8 s after the pointer last moved and comes back with the next move. Values come in
// as plain properties and every action leaves as a signal; StageView wires both to the models.
// While nothing on it moves (the music browser over a resting stage), the window draws it from
// one picture: on a software rasteriser each frame of the deck's play ring then pays for one
// picture instead of the stage, its shades and every card and text of the browser.
StillLayer {
    id: stage
    objectName: "stageScreen"

    // The window-wide feed and models; the feed falls back to the canvas's own.
    property QtObject feed: null
    property QtObject model: null
    property QtObject ui: null

    property string mode: "zintra"
    // "failed", "stopped", "buffering", "playing" or "paused".
    property string playbackState: "stopped"
    property var current: null
    property string nowPlaying: ""
    // When the mode last changed, in milliseconds since 1970; 0 is the distant past.
    property real modeChangedAt: 0
    property string module: "stations"
    property bool browserHidden: false
    property bool cinema: false
    property bool panelHidden: false
    property bool lyricsVisible: false
    property bool hasLyrics: false
    property int linkFocus: 0
    property bool reducedMotion: Motion.reduced

    signal modeSelected(string mode)
    signal linkSubmitted(string text)
    signal cinemaToggled()
    signal panelToggled()
    signal lyricsToggled()
    signal libraryShown()
    signal previous()
    signal playPause()
    signal next()

    // View-local state.
    property bool hovering: false
    property real lastMove: Date.now()
    property bool dropTargeted: false

    readonly property bool browsingMusic: module === "music" && !browserHidden && !cinema && !panelHidden
    readonly property bool chromeVisible: cinema ? hovering : true
    // The music browser covers the stage: while nothing plays, the stage under it holds its
    // last picture, and the window needs no frames for it (its idle motion would redraw the
    // whole window behind the translucent browser, a dozen times a second, unseen).
    readonly property bool coveredAtRest: browsingMusic && content.status === Loader.Ready
                                          && playbackState !== "playing"
    // How long the pointer rests before cinema mode hides the chrome (tests shorten it).
    property int hideDelay: 2800

    // The window repeats hover events while the pointer rests (when items under it change):
    // only a new position is a move.
    property point lastPosition: Qt.point(-1, -1)
    function pointerMoved(position) {
        if (position.x === lastPosition.x && position.y === lastPosition.y)
            return
        lastPosition = position
        lastMove = Date.now()
        hovering = true
        hideTimer.restart()
    }

    // The first string of a drop: the first link of a list, else the text; null without either.
    function firstString(drop) {
        if (drop.hasUrls && drop.urls.length > 0)
            return drop.urls[0].toString()
        if (drop.hasText)
            return drop.text
        return null
    }

    HoverHandler {
        id: hover
        onPointChanged: if (hovered) stage.pointerMoved(point.position)
        onHoveredChanged: if (!hovered) {
            stage.hovering = false
            stage.lastPosition = Qt.point(-1, -1)
        }
    }
    TapHandler {
        acceptedButtons: Qt.LeftButton
        onDoubleTapped: if (!stage.browsingMusic) stage.cinemaToggled()
    }
    Timer {
        id: hideTimer
        interval: stage.hideDelay
        running: true
        onTriggered: if (stage.cinema) stage.hovering = false
    }

    StageCanvas {
        id: canvas
        objectName: "stageCanvas"
        anchors.fill: parent
        mode: stage.mode
        playing: stage.playbackState === "playing"
        running: !stage.coveredAtRest
        feed: stage.feed
        model: stage.model
        reducedMotion: stage.reducedMotion
    }

    // Shades: dark at the top and the bottom, for the chrome to stand on.
    Column {
        anchors.fill: parent
        Rectangle {
            width: parent.width
            height: 110
            gradient: Gradient {
                GradientStop { position: 0; color: Theme.alpha(Theme.night, 0.75) }
                GradientStop { position: 1; color: Theme.alpha(Theme.night, 0) }
            }
        }
        Item {
            width: parent.width
            height: Math.max(0, parent.height - 230)
        }
        Rectangle {
            width: parent.width
            height: 120
            gradient: Gradient {
                GradientStop { position: 0; color: Theme.alpha(Theme.night, 0) }
                GradientStop { position: 1; color: Theme.alpha(Theme.night, 0.7) }
            }
        }
    }

    // The music browser while browsing, else the lyrics while there are some to show.
    Loader {
        id: content
        objectName: "stageContent"
        anchors.fill: parent
        readonly property string view: stage.browsingMusic ? "music/MusicBrowser.qml"
                                       : stage.lyricsVisible && stage.hasLyrics ? "lyrics/LyricsOverlay.qml" : ""
        active: view.length > 0 && ViewCatalog.has(view)
        source: active ? ViewCatalog.url(view) : ""
        onLoaded: {
            if ("model" in item)
                item.model = Qt.binding(() => stage.model)
            if ("ui" in item)
                item.ui = Qt.binding(() => stage.ui)
            if ("controlsVisible" in item)
                item.controlsVisible = Qt.binding(() => stage.chromeVisible)
        }
        opacity: status === Loader.Ready ? 1 : 0
        scale: stage.browsingMusic && status !== Loader.Ready && !stage.reducedMotion ? 0.98 : 1
        Behavior on opacity {
            NumberAnimation { duration: 300; easing.type: Easing.InOutQuad }
        }
    }

    StageStatus {
        objectName: "stageStatus"
        anchors.centerIn: parent
        mode: stage.mode
        modeChangedAt: stage.modeChangedAt
        playbackState: stage.playbackState
        reducedMotion: stage.reducedMotion
    }

    // The chrome: it keeps its place while faded out.
    Item {
        id: chrome
        objectName: "stageChrome"
        anchors.fill: parent
        opacity: stage.chromeVisible ? 1 : 0
        enabled: opacity > 0
        Behavior on opacity {
            NumberAnimation { duration: 400; easing.type: Easing.InOutQuad }
        }

        // The top bar with room for its buttons' glow. Drawn live, not from a still picture: its
        // transitions (the lyrics button, the link field, the cinema margin) are plain
        // animations, which a cached layer can hold mid-way on the software scene graph.
        Item {
            width: parent.width
            height: topBar.y + topBar.height + 14

            Row {
                id: topBar
                objectName: "topBar"
                anchors.top: parent.top
                anchors.left: parent.left
                anchors.right: parent.right
                anchors.topMargin: 16
                anchors.leftMargin: stage.cinema ? 92 : 22
                anchors.rightMargin: 18
                spacing: 12
                Behavior on anchors.leftMargin {
                    NumberAnimation { duration: stage.reducedMotion ? 200 : 420; easing.type: Easing.InOutQuad }
                }

                // The buttons always keep their place; the link field takes what the brand mark
                // leaves, up to 300. In a stage too narrow for a useful field beside the mark, the
                // field shrinks to its symbol and, while it is in use, takes the mark's place too.
                readonly property real linkRoom: width - buttons.width - 2 * spacing - 8
                readonly property real linkBesideBrand: linkRoom - brand.implicitWidth - spacing
                readonly property bool linkCompact: linkBesideBrand < 150

                BrandMark {
                    id: brand
                    objectName: "brandMark"
                    anchors.verticalCenter: parent.verticalCenter
                    visible: topBar.linkBesideBrand >= Theme.fieldHeight
                             && !(topBar.linkCompact && (link.focused || link.text.length > 0))
                    size: 15
                }
                Item {
                    // The spacer: whatever the other items leave, at least 8.
                    width: Math.max(8, topBar.linkRoom - link.width - (brand.visible ? brand.width + topBar.spacing : 0) + 8)
                    height: 1
                }
                LinkField {
                    id: link
                    anchors.verticalCenter: parent.verticalCenter
                    width: Math.min(300, Math.max(Theme.fieldHeight, brand.visible ? topBar.linkBesideBrand : topBar.linkRoom))
                    focusTrigger: stage.linkFocus
                    onSubmitted: text => stage.linkSubmitted(text)
                }
                Row {
                    id: buttons
                    anchors.verticalCenter: parent.verticalCenter
                    spacing: 12
                    IconButton {
                        objectName: "lyricsButton"
                        // Grows from nothing about its centre while fading in, and shrinks away the
                        // same way; it keeps its place in the row until it has gone.
                        visible: stage.hasLyrics || opacity > 0
                        scale: stage.hasLyrics ? 1 : 0.00001
                        opacity: stage.hasLyrics ? 1 : 0
                        Behavior on scale {
                            NumberAnimation { duration: stage.reducedMotion ? 200 : 350; easing.type: Easing.InOutQuad }
                        }
                        Behavior on opacity {
                            NumberAnimation { duration: stage.reducedMotion ? 200 : 350; easing.type: Easing.InOutQuad }
                        }
                        symbol: "quote.bubble.fill"
                        //% "Hide lyrics"
                        helpKey: stage.lyricsVisible ? QT_TRID_NOOP("lyrics.hide")
                                                     //% "Show lyrics"
                                                     : QT_TRID_NOOP("lyrics.show")
                        active: stage.lyricsVisible
                        size: 34
                        onClicked: stage.lyricsToggled()
                    }
                    IconButton {
                        objectName: "panelButton"
                        symbol: stage.panelHidden ? "sidebar.right" : "rectangle.righthalf.inset.filled"
                        //% "Show the side panel"
                        helpKey: stage.panelHidden ? QT_TRID_NOOP("stage.showPanel")
                                                   //% "Hide the side panel"
                                                   : QT_TRID_NOOP("stage.hidePanel")
                        size: 34
                        opacity: stage.cinema ? 0 : 1
                        enabled: !stage.cinema
                        onClicked: stage.panelToggled()
                    }
                    IconButton {
                        objectName: "cinemaButton"
                        symbol: stage.cinema ? "arrow.down.right.and.arrow.up.left" : "arrow.up.left.and.arrow.down.right"
                        //% "Leave cinema mode"
                        helpKey: stage.cinema ? QT_TRID_NOOP("stage.cinemaOff")
                                              //% "Cinema mode"
                                              : QT_TRID_NOOP("stage.cinemaOn")
                        active: stage.cinema
                        size: 34
                        onClicked: stage.cinemaToggled()
                    }
                }
            }
        }

        Column {
            anchors.bottom: parent.bottom
            anchors.horizontalCenter: parent.horizontalCenter
            spacing: 0

            Item {
                visible: stage.cinema
                width: cinemaBar.width
                height: cinemaBar.height + 12
                anchors.horizontalCenter: parent.horizontalCenter
                CinemaBar {
                    id: cinemaBar
                    objectName: "cinemaBar"
                    current: stage.current
                    nowPlaying: stage.nowPlaying
                    playbackState: stage.playbackState
                    onPrevious: stage.previous()
                    onPlayPause: stage.playPause()
                    onNext: stage.next()
                }
            }
            Item {
                visible: !stage.browsingMusic
                width: picker.width
                height: picker.height + 16
                anchors.horizontalCenter: parent.horizontalCenter
                // The picker with room for its glow, from one picture while it stands still.
                StillLayer {
                    readonly property real glow: 28
                    x: -glow
                    y: -glow
                    width: picker.width + 2 * glow
                    height: picker.height + 2 * glow
                    ModePicker {
                        id: picker
                        objectName: "modePicker"
                        x: parent.glow
                        y: parent.glow
                        width: implicitWidth
                        height: implicitHeight
                        mode: stage.mode
                        reducedMotion: stage.reducedMotion
                        onSelected: mode => stage.modeSelected(mode)
                    }
                }
                PillButton {
                    objectName: "showLibraryButton"
                    visible: stage.module === "music" && !stage.cinema
                    x: -170
                    y: -8
                    //% "Show library"
                    titleKey: QT_TRID_NOOP("music.showLibrary")
                    symbol: "opticaldisc.fill"
                    prominent: true
                    onClicked: stage.libraryShown()
                }
            }
        }
    }

    // The highlight while a link is dragged over the stage.
    Item {
        objectName: "dropHighlight"
        anchors.fill: parent
        anchors.margins: 22
        visible: stage.dropTargeted
        GlowHalo {
            anchors.centerIn: parent
            shapeWidth: parent.width
            shapeHeight: parent.height
            cornerRadius: 22
            lineWidth: 2.5
            blurRadius: 12
            glowColor: Theme.alpha(Theme.cyan, 0.8)
            strength: 1
        }
        GradientShape {
            anchors.fill: parent
            cornerRadius: 22
            lineWidth: 2.5
            direction: GradientPaint.Diagonal
        }
    }

    DropArea {
        anchors.fill: parent
        onEntered: drag => stage.dropTargeted = drag.hasText || drag.hasUrls
        onExited: stage.dropTargeted = false
        onDropped: drop => {
            stage.dropTargeted = false
            const text = stage.firstString(drop)
            if (text === null) {
                drop.accepted = false
                return
            }
            // Passed on unchanged: trimming and refusing what is no link are the model's.
            stage.linkSubmitted(text)
            drop.acceptProposedAction()
        }
    }

}
