import QtQuick
import Qt5Compat.GraphicalEffects
import ZintraRadio

// Lyrics without timestamps: a centred page with the song's title and artist above the text,
// scrolled by hand and fading at both edges. The text can be selected and copied.
Item {
    id: page

    property string title
    property string artist
    property string plain

    readonly property bool shaded: ShaderLibrary.available && GraphicsInfo.api === GraphicsInfo.OpenGL

    Flickable {
        id: flick
        objectName: "plainLyricsScroll"
        anchors.fill: parent
        contentWidth: width
        contentHeight: column.height + 110 + 170
        clip: true
        boundsBehavior: Flickable.StopAtBounds
        layer.enabled: page.shaded
        layer.effect: OpacityMask {
            maskSource: Rectangle {
                width: flick.width
                height: flick.height
                gradient: Gradient {
                    GradientStop { position: 0.1; color: "transparent" }
                    GradientStop { position: 0.26; color: "black" }
                    GradientStop { position: 0.72; color: "black" }
                    GradientStop { position: 0.88; color: "transparent" }
                }
            }
        }

        Column {
            id: column
            y: 110
            x: (flick.width - width) / 2
            width: Math.min(620, flick.width - 40)
            spacing: 6

            GradientText {
                objectName: "plainTitle"
                anchors.horizontalCenter: parent.horizontalCenter
                width: Math.min(implicitWidth, parent.width)
                height: implicitHeight
                text: page.title
                horizontalAlignment: Qt.AlignHCenter
                font.family: Theme.roundedFont
                font.pixelSize: 22
                font.weight: Font.Black
                layer.enabled: page.shaded
                layer.effect: Glow {
                    radius: 12
                    color: Theme.alpha(Theme.violet, 0.8)
                    spread: 0.1
                }
            }
            Text {
                objectName: "plainArtist"
                width: parent.width
                bottomPadding: 14
                horizontalAlignment: Text.AlignHCenter
                wrapMode: Text.Wrap
                textFormat: Text.PlainText
                text: page.artist
                color: Theme.white(0.6)
                font.family: Theme.textFont
                font.pixelSize: 13
                font.weight: Font.DemiBold
            }
            TextEdit {
                id: plainText
                objectName: "plainText"
                width: parent.width
                readOnly: true
                selectByMouse: true
                persistentSelection: true
                textFormat: TextEdit.PlainText
                wrapMode: TextEdit.Wrap
                horizontalAlignment: TextEdit.AlignHCenter
                text: page.plain
                color: Theme.white(0.92)
                selectionColor: Theme.alpha(Theme.violet, 0.6)
                selectedTextColor: "white"
                font.family: Theme.roundedFont
                font.pixelSize: 19
                font.weight: Font.DemiBold
                layer.enabled: page.shaded
                layer.effect: DropShadow {
                    radius: 6
                    color: Theme.night
                }
                LineSpacing {
                    document: plainText.textDocument
                    spacing: 7
                }
            }
        }
    }
}
