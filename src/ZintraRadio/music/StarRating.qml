import QtQuick
import ZintraRadio

// Five stars: the first `rating` filled in amber. Clicking a star sets it; clicking the star of
// the current rating clears it. `rated` says the new rating.
Item {
    id: stars

    property int rating: 0

    signal rated(int value)

    readonly property string filledGlyph: Icons.glyph("star.fill")
    readonly property string emptyGlyph: Icons.glyph("star")
    readonly property string family: Icons.family("star.fill")

    implicitWidth: 5 * MusicTheme.starWidth + 4
    implicitHeight: 18
    Accessible.role: Accessible.Slider
    //% "Rating"
    Accessible.name: qsTrId("music.rating")
    Accessible.description: String(rating)

    Repeater {
        model: 5
        Text {
            required property int index
            x: index * (MusicTheme.starWidth + 1)
            readonly property bool filled: index + 1 <= stars.rating
            width: MusicTheme.starWidth
            height: stars.height
            horizontalAlignment: Text.AlignHCenter
            verticalAlignment: Text.AlignVCenter
            text: filled ? stars.filledGlyph : stars.emptyGlyph
            textFormat: Text.PlainText
            color: filled ? Theme.amber : Theme.white(0.4)
            font.family: stars.family
            font.pixelSize: 12
        }
    }
    // A mouse area, not a tap handler: the click must not also reach the row beneath.
    MouseArea {
        objectName: "starArea"
        anchors.fill: parent
        onClicked: (mouse) => {
            const star = Math.min(5, Math.max(1, Math.floor(mouse.x / (MusicTheme.starWidth + 1)) + 1))
            stars.rated(MusicViewRules.ratingAfterClick(star, stars.rating))
        }
    }
}
