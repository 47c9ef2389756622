import QtQuick
import Qt5Compat.GraphicalEffects
import ZintraRadio

// The stage while a video is watched: the visualizer dimmed and blurred behind, the item's
// title and uploader over a 16:9 black frame with the spectrum edge and two glows, and the
// picture in it once the model has a player (a loading wave until then), with the lyric line
// over its lower edge and the player's own controls. Lyrics on and off, listen only and close
// sit at the top right. Everything shown comes from the models; every action is one of theirs.
Item {
    id: stage

    property QtObject model: AppModel
    property QtObject ui: UIState

    // The watched item's station map; null or undefined while none is watched.
    readonly property var videoItem: model ? model.videoItem : null
    readonly property bool hasItem: !!videoItem
    readonly property QtObject player: model ? model.videoPlayer : null
    readonly property bool hasLyrics: model !== null && model.lyrics !== null && model.lyrics.hasLyrics
    readonly property bool lyricsVisible: ui ? ui.lyricsVisible : false
    readonly property bool stripShown: lyricsVisible && hasLyrics && player !== null
    // The further leading inset of cinema mode, animated with the window's layout.
    property real cinemaInset: ui && ui.cinema ? 70 : 0
    Behavior on cinemaInset { LayoutAnimation {} }

    // Listen only: the same item goes on as audio once the video has ended.
    function listenOnly() {
        const item = stage.videoItem
        if (!item)
            return
        stage.model.stopVideo()
        stage.model.play(item)
    }

    // 1. The visualizer, dimmed; blurred where the shaders work.
    Item {
        id: background
        objectName: "videoBackground"
        anchors.fill: parent
        opacity: 0.35

        StageCanvas {
            id: canvas
            objectName: "videoCanvas"
            anchors.fill: parent
            model: stage.model
            feed: stage.ui ? stage.ui.feed : null
            mode: stage.model ? stage.model.visualizerMode : "zintra"
            playing: stage.model !== null && stage.model.stateName === "playing"
        }
        // Blurred at half the size: cheaper, and as soft as twice the radius.
        ShaderEffectSource {
            id: canvasTexture
            anchors.fill: parent
            sourceItem: canvas
            hideSource: blur.visible
            visible: false
            live: true
            textureSize: Qt.size(Math.max(1, Math.round(width / 2)), Math.max(1, Math.round(height / 2)))
        }
        FastBlur {
            id: blur
            anchors.fill: parent
            visible: ShaderLibrary.available
            source: canvasTexture
            radius: 14
            transparentBorder: true
        }
    }

    // 2. The foreground.
    Item {
        id: foreground
        objectName: "videoForeground"
        anchors.fill: parent
        anchors.leftMargin: 26 + stage.cinemaInset
        anchors.rightMargin: 26
        anchors.topMargin: 18
        anchors.bottomMargin: 22

        Item {
            id: topBar
            objectName: "videoTopBar"
            width: parent.width
            height: Math.max(titleBlock.implicitHeight, buttons.implicitHeight)

            Column {
                id: titleBlock
                anchors.left: parent.left
                anchors.verticalCenter: parent.verticalCenter
                width: Math.max(0, parent.width - buttons.width - 8 - 12)
                spacing: 3

                Text {
                    objectName: "videoTitle"
                    width: parent.width
                    text: stage.videoItem ? stage.videoItem.name : ""
                    textFormat: Text.PlainText
                    elide: Text.ElideRight
                    maximumLineCount: 1
                    color: "white"
                    font.family: Theme.roundedFont
                    font.pixelSize: 17
                    font.weight: Font.Bold
                }
                Text {
                    objectName: "videoUploader"
                    width: parent.width
                    text: stage.videoItem ? stage.videoItem.uploader : ""
                    textFormat: Text.PlainText
                    elide: Text.ElideRight
                    maximumLineCount: 1
                    color: Theme.alpha(Theme.cyan, 0.85)
                    font.family: Theme.textFont
                    font.pixelSize: 12
                    font.weight: Font.Medium
                }
            }

            Row {
                id: buttons
                anchors.right: parent.right
                anchors.verticalCenter: parent.verticalCenter
                spacing: 12

                IconButton {
                    objectName: "videoLyricsToggle"
                    anchors.verticalCenter: parent.verticalCenter
                    visible: stage.hasLyrics
                    symbol: "quote.bubble.fill"
                    //% "Hide lyrics"
                    readonly property string hideKey: QT_TRID_NOOP("lyrics.hide")
                    //% "Show lyrics"
                    readonly property string showKey: QT_TRID_NOOP("lyrics.show")
                    helpKey: stage.lyricsVisible ? hideKey : showKey
                    active: stage.lyricsVisible
                    size: 32
                    onClicked: stage.ui.toggleLyrics()
                }
                PillButton {
                    objectName: "videoListenOnly"
                    anchors.verticalCenter: parent.verticalCenter
                    //% "Listen only"
                    titleKey: QT_TRID_NOOP("video.listenOnly")
                    symbol: "waveform"
                    onClicked: stage.listenOnly()
                }
                IconButton {
                    objectName: "videoClose"
                    anchors.verticalCenter: parent.verticalCenter
                    symbol: "xmark"
                    //% "Close"
                    helpKey: QT_TRID_NOOP("action.close")
                    size: 32
                    onClicked: stage.model.stopVideo()
                }
            }
        }

        // The space below the bar; the framed picture is the largest 16:9 that fits, centred.
        Item {
            id: playerArea
            objectName: "videoPlayerArea"
            y: topBar.height + 14
            width: parent.width
            height: Math.max(0, parent.height - y)

            GlowHalo {
                anchors.centerIn: frame
                shapeWidth: frame.width
                shapeHeight: frame.height
                cornerRadius: 18
                blurRadius: 50
                glowColor: Theme.cyan
                strength: 0.35
            }
            GlowHalo {
                anchors.centerIn: frame
                shapeWidth: frame.width
                shapeHeight: frame.height
                cornerRadius: 18
                blurRadius: 26
                glowColor: Theme.violet
                strength: 0.7
            }

            Item {
                id: frame
                objectName: "videoFrame"
                readonly property real fittedWidth: Math.min(playerArea.width, playerArea.height * 16 / 9)
                width: Math.floor(fittedWidth)
                height: Math.floor(fittedWidth * 9 / 16)
                anchors.centerIn: parent

                Rectangle {
                    anchors.fill: parent
                    radius: 18
                    color: "black"
                }

                VideoPicture {
                    id: picture
                    objectName: "videoPicture"
                    anchors.fill: parent
                    visible: stage.player !== null
                    player: stage.player
                    cornerRadius: 18
                }

                // Not once the video has ended: the main window fades the stage out then.
                Column {
                    objectName: "videoLoading"
                    anchors.centerIn: parent
                    visible: stage.player === null && stage.hasItem
                    spacing: 14
                    LoadingWave {
                        anchors.horizontalCenter: parent.horizontalCenter
                    }
                    Text {
                        objectName: "videoLoadingText"
                        anchors.horizontalCenter: parent.horizontalCenter
                        //% "Loading video…"
                        text: qsTrId("video.loading")
                        textFormat: Text.PlainText
                        color: Theme.white(0.6)
                        font.family: Theme.monoFont
                        font.pixelSize: 12
                        font.weight: Font.DemiBold
                        font.letterSpacing: 3
                    }
                }

                // 3. The lyric line, 64 above the picture's lower edge, fading in and out.
                VideoLyricsStrip {
                    id: strip
                    objectName: "videoStrip"
                    anchors.horizontalCenter: parent.horizontalCenter
                    anchors.bottom: parent.bottom
                    anchors.bottomMargin: 64
                    width: Math.min(implicitWidth, parent.width - 36)
                    height: implicitHeight
                    model: stage.model
                    opacity: stage.stripShown ? 1 : 0
                    visible: opacity > 0
                    Behavior on opacity {
                        NumberAnimation {
                            objectName: "videoStripFade"
                            duration: 350
                            easing.type: Easing.InOutQuad
                        }
                    }
                }

                VideoControls {
                    objectName: "videoControls"
                    anchors.fill: parent
                    model: stage.model
                    player: stage.player
                }

                GradientShape {
                    anchors.fill: parent
                    enabled: false
                    cornerRadius: 18
                    lineWidth: 1.5
                    direction: GradientPaint.Diagonal
                }
            }
        }
    }
}
