import QtQuick
import QtQuick.Controls
import Qt5Compat.GraphicalEffects
import ZintraRadio

// The stored lyrics of one song in a window-modal sheet: the text the music database holds,
// an instrumental note or a not-found note; never a lookup on the network. It opens for a
// request ({id, artist, title}) and closes with its close button or Escape; either way it asks
// its host to clear the request (`dismissed`), so the next request opens a fresh sheet.
Popup {
    id: sheet

    property QtObject model: null
    property var request: null

    signal dismissed()

    readonly property string artist: request && request.artist !== undefined ? String(request.artist) : ""
    readonly property string title: request && request.title !== undefined ? String(request.title) : ""
    readonly property string content: query.content
    readonly property bool shaded: ShaderLibrary.available && contentItem.GraphicsInfo.api === GraphicsInfo.OpenGL

    parent: Overlay.overlay
    anchors.centerIn: parent
    width: 460
    height: 560
    padding: 0
    modal: true
    dim: true
    focus: true
    closePolicy: Popup.CloseOnEscape
    onRequestChanged: request ? open() : close()
    onOpened: forceActiveFocus()
    onClosed: dismissed()

    StoredLyricsQuery {
        id: query
        music: sheet.model ? sheet.model.music : null
        artist: sheet.artist
        title: sheet.title
    }

    Overlay.modal: Rectangle {
        color: Theme.alpha(Theme.night, 0.55)
    }

    background: Rectangle {
        color: Theme.night
        radius: 14
        clip: true
        Rectangle {
            anchors.fill: parent
            radius: parent.radius
            gradient: Gradient {
                GradientStop { position: 0; color: Theme.alpha(Theme.violet, 0.22) }
                GradientStop { position: 0.5; color: "transparent" }
                GradientStop { position: 1; color: Theme.alpha(Theme.cyan, 0.08) }
            }
        }
        border.width: 1
        border.color: Theme.white(0.08)
    }

    contentItem: Item {
        objectName: "lyricsSheet"

        Item {
            id: header
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.top: parent.top
            height: headerColumn.implicitHeight + 44

            Column {
                id: headerColumn
                anchors.left: parent.left
                anchors.right: closeButton.left
                anchors.top: parent.top
                anchors.margins: 22
                spacing: 4

                Text {
                    objectName: "sheetTitle"
                    width: parent.width
                    wrapMode: Text.Wrap
                    maximumLineCount: 2
                    elide: Text.ElideRight
                    textFormat: Text.PlainText
                    text: sheet.title
                    color: sheet.shaded ? "white" : Theme.cyan
                    font.family: Theme.roundedFont
                    font.pixelSize: 22
                    font.weight: Font.Black
                    layer.enabled: sheet.shaded
                    layer.effect: LinearGradient {
                        start: Qt.point(0, 0)
                        end: Qt.point(width, 0)
                        gradient: Gradient {
                            GradientStop { position: 0; color: Theme.cyan }
                            GradientStop { position: 0.5; color: Theme.violet }
                            GradientStop { position: 1; color: Theme.magenta }
                        }
                    }
                }
                Text {
                    objectName: "sheetArtist"
                    width: parent.width
                    wrapMode: Text.Wrap
                    textFormat: Text.PlainText
                    text: sheet.artist
                    color: Theme.white(0.6)
                    font.family: Theme.textFont
                    font.pixelSize: 13
                    font.weight: Font.DemiBold
                }
            }
            IconButton {
                id: closeButton
                objectName: "sheetClose"
                anchors.right: parent.right
                anchors.top: parent.top
                anchors.margins: 22
                symbol: "xmark"
                //% "Close"
                helpKey: QT_TRID_NOOP("action.close")
                size: 28
                onClicked: sheet.close()
            }
        }

        Item {
            id: body
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.top: header.bottom
            anchors.bottom: credit.top
            anchors.bottomMargin: 8

            EmptyState {
                objectName: "sheetNotFound"
                anchors.fill: parent
                visible: sheet.content === "notFound"
                symbol: "text.badge.xmark"
                titleKey: "lyrics.notFound"
            }
            EmptyState {
                objectName: "sheetInstrumental"
                anchors.fill: parent
                visible: sheet.content === "instrumental"
                symbol: "pianokeys"
                titleKey: "lyrics.instrumental"
            }
            Flickable {
                objectName: "sheetScroll"
                anchors.fill: parent
                visible: sheet.content === "text"
                contentWidth: width
                contentHeight: lyricsText.height + 26
                boundsBehavior: Flickable.StopAtBounds
                clip: true
                TextEdit {
                    id: lyricsText
                    objectName: "sheetText"
                    x: 26
                    width: parent.width - 52
                    readOnly: true
                    selectByMouse: true
                    textFormat: TextEdit.PlainText
                    wrapMode: TextEdit.Wrap
                    horizontalAlignment: TextEdit.AlignHCenter
                    text: query.text
                    color: Theme.white(0.9)
                    selectionColor: Theme.alpha(Theme.violet, 0.6)
                    selectedTextColor: "white"
                    font.family: Theme.roundedFont
                    font.pixelSize: 15
                    font.weight: Font.Medium
                    LineSpacing {
                        document: lyricsText.textDocument
                        spacing: 6
                    }
                }
            }
        }

        Text {
            id: credit
            anchors.horizontalCenter: parent.horizontalCenter
            anchors.bottom: parent.bottom
            anchors.bottomMargin: 12
            textFormat: Text.PlainText
            text: qsTrId("lyrics.credit")
            color: Theme.white(0.35)
            font.family: Theme.monoFont
            font.pixelSize: 9
            font.weight: Font.Medium
        }
    }
}
