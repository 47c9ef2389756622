import QtQuick
import QtQuick.Controls
import QtQuick.Dialogs
import ZintraRadio

// The sheet that edits one track's title, artist, album, genre, year and cover. It opens when
// the browser asks for a track and fills itself from it; Save hands the exact differences to
// the library and closes at once (the file is rewritten in the background, its row shows the
// work), or stays open with the typing when the file cannot take it; Cancel, Escape and a
// dismissal close it without a change. A picture comes from an open dialog, a drop on the
// preview, or the cover search, which keeps the sheet open; a file whose format holds no
// picture says so in place of offering them.
SheetPopup {
    id: sheet

    property QtObject model: null
    property QtObject ui: null

    readonly property alias form: form
    property bool targeted: false
    readonly property bool takesCover: form.coverRefusal.length === 0

    width: 24 * 2 + 150 + 18 + 320

    TagEditorForm {
        id: form
        music: sheet.model ? sheet.model.music : null
        ui: sheet.ui ? sheet.ui.music : null
        onOpenChanged: open ? sheet.open() : sheet.close()
    }
    // However it closes, the browser's request goes with it.
    onClosed: form.close()

    FileDialog {
        id: chooser
        //% "Choose Cover…"
        title: qsTrId("music.chooseCover")
        fileMode: FileDialog.OpenFile
        nameFilters: ["Images (*.png *.jpg *.jpeg *.webp *.gif *.bmp *.tif *.tiff)"]
        onAccepted: form.pickCover([selectedFile])
    }

    contentItem: Column {
        spacing: 16

        Text {
            objectName: "tagEditorTitle"
            //% "Edit Tags…"
            text: qsTrId("music.editTags")
            textFormat: Text.PlainText
            color: "white"
            font.family: Theme.roundedFont
            font.pixelSize: 19
            font.weight: Font.Bold
        }

        Row {
            spacing: 18

            Column {
                spacing: 8
                Item {
                    objectName: "tagCoverPreview"
                    width: 150
                    height: 150
                    GlowHalo {
                        anchors.centerIn: parent
                        shapeWidth: 150
                        shapeHeight: 150
                        cornerRadius: 12
                        blurRadius: 16
                        glowColor: Theme.violet
                        strength: 0.6
                    }
                    CoverView {
                        objectName: "tagCover"
                        size: 150
                        cornerRadius: 12
                        path: form.cover.length > 0 ? form.cover : null
                        seed: form.album.length > 0 ? form.album : form.title
                    }
                    BusyIndicator {
                        objectName: "tagCoverBusy"
                        anchors.centerIn: parent
                        visible: form.busy
                        running: visible
                    }
                    GradientShape {
                        objectName: "tagCoverRing"
                        anchors.fill: parent
                        visible: sheet.targeted
                        cornerRadius: 12
                        lineWidth: 3
                        direction: GradientPaint.Diagonal
                    }
                    DropArea {
                        objectName: "tagCoverDrop"
                        anchors.fill: parent
                        enabled: sheet.takesCover
                        onEntered: (drag) => {
                            drag.accepted = drag.hasUrls
                            sheet.targeted = drag.hasUrls
                        }
                        onExited: sheet.targeted = false
                        onDropped: (drop) => {
                            sheet.targeted = false
                            if (drop.hasUrls && form.pickCover(drop.urls))
                                drop.accept()
                        }
                    }
                }
                MusicPill {
                    objectName: "tagChooseCover"
                    width: 150
                    enabled: sheet.takesCover
                    opacity: enabled ? 1 : 0.4
                    //% "Choose Cover…"
                    titleKey: QT_TRID_NOOP("music.chooseCover")
                    symbol: "photo"
                    // Covers mostly lie beside the track.
                    onClicked: FileDialogs.open(chooser, sheet.model ? sheet.model.showError : null,
                                                form.ui && form.ui.editing ? form.ui.editing.path : "")
                }
                MusicPill {
                    objectName: "tagFetchCover"
                    width: 150
                    enabled: sheet.takesCover
                    opacity: enabled ? 1 : 0.4
                    //% "Find Cover"
                    titleKey: QT_TRID_NOOP("music.fetchCover")
                    symbol: "icloud.and.arrow.down"
                    onClicked: form.fetchCover()
                }
                Text {
                    objectName: "tagCoverRefusal"
                    width: 150
                    visible: !sheet.takesCover
                    text: form.coverRefusal
                    textFormat: Text.PlainText
                    wrapMode: Text.Wrap
                    horizontalAlignment: Text.AlignHCenter
                    color: Theme.white(0.55)
                    font.family: Theme.textFont
                    font.pixelSize: 11
                }
            }

            Column {
                width: 320
                spacing: 9
                ThemedField {
                    objectName: "tagTitle"
                    width: parent.width
                    //% "Title"
                    promptKey: QT_TRID_NOOP("music.field.title")
                    symbol: "music.note"
                    text: form.title
                    onTextChanged: form.title = text
                }
                ThemedField {
                    objectName: "tagArtist"
                    width: parent.width
                    //% "Artist"
                    promptKey: QT_TRID_NOOP("music.kind.artist")
                    symbol: "music.mic"
                    text: form.artist
                    onTextChanged: form.artist = text
                }
                ThemedField {
                    objectName: "tagAlbum"
                    width: parent.width
                    //% "Album"
                    promptKey: QT_TRID_NOOP("music.kind.album")
                    symbol: "square.stack"
                    text: form.album
                    onTextChanged: form.album = text
                }
                ThemedField {
                    objectName: "tagGenre"
                    width: parent.width
                    //% "Genre"
                    promptKey: QT_TRID_NOOP("stations.genre")
                    symbol: "guitars"
                    text: form.genre
                    onTextChanged: form.genre = text
                }
                ThemedField {
                    objectName: "tagYear"
                    width: parent.width
                    //% "Year"
                    promptKey: QT_TRID_NOOP("music.field.year")
                    symbol: "calendar"
                    text: form.year
                    onTextChanged: form.year = text
                }
                Flickable {
                    objectName: "tagGenreChips"
                    width: parent.width
                    height: visible ? 25 : 0
                    visible: form.genres.length > 0
                    contentWidth: chips.width
                    clip: true
                    boundsBehavior: Flickable.StopAtBounds
                    Row {
                        id: chips
                        spacing: 5
                        Repeater {
                            model: form.genres
                            Chip {
                                required property string modelData
                                text: modelData
                                selected: form.genre === modelData
                                onClicked: form.genre = modelData
                            }
                        }
                    }
                }
            }
        }

        Item {
            width: parent.width
            height: 28
            Text {
                objectName: "tagFileName"
                anchors.left: parent.left
                anchors.right: buttons.left
                anchors.rightMargin: 12
                anchors.verticalCenter: parent.verticalCenter
                text: form.fileName
                textFormat: Text.PlainText
                elide: Text.ElideMiddle
                maximumLineCount: 1
                color: Theme.white(0.4)
                font.family: Theme.monoFont
                font.pixelSize: 11
            }
            Row {
                id: buttons
                anchors.right: parent.right
                spacing: 8
                MusicPill {
                    objectName: "tagCancel"
                    //% "Cancel"
                    titleKey: QT_TRID_NOOP("action.cancel")
                    onClicked: form.close()
                }
                MusicPill {
                    objectName: "tagSave"
                    //% "Save"
                    titleKey: QT_TRID_NOOP("action.save")
                    symbol: "checkmark"
                    prominent: true
                    onClicked: form.save()
                }
            }
        }
    }
}
