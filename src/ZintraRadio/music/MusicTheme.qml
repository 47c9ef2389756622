pragma Singleton
import QtQuick

// The music views' own sizes and motions, beside the shared Theme: rows, tiles, cards, the
// detail hero, the sheets, and the springs of their hover and page changes.
QtObject {
    // The separator of status and summary lines.
    readonly property string dot: " \u00B7 "

    // Browser.
    readonly property real browserSide: 24
    readonly property real browserTop: 64
    readonly property real listBottom: 90
    readonly property real searchWidth: 240
    // A narrower header keeps the search field this wide and lets the track count go.
    readonly property real searchMinWidth: 120
    readonly property real headerSpacing: 10
    readonly property real headerSpacer: 8
    readonly property real countMinWidth: 24

    // Track rows.
    readonly property real rowCover: 40
    readonly property real rowCorner: 12
    readonly property real rowSpacing: 5
    readonly property real rowHeight: 52
    readonly property real starWidth: 13
    readonly property real durationWidth: 44
    // What a row's title and subtitle keep before anything else: about 17 characters of the
    // title, most titles whole; a window as narrow as a 1024-pixel desktop still leaves it.
    readonly property real rowTitleMinimum: 140

    // Album tiles and cards.
    readonly property real tileMinWidth: 150
    readonly property real tileMaxWidth: 190
    readonly property real tileGap: 22
    readonly property real cardMinWidth: 220
    readonly property real genreMinWidth: 170
    readonly property real cardMosaic: 58

    // Detail pages.
    readonly property real heroCover: 170
    readonly property real heroTop: 108
    // Between the cover and an action row that has gone under it.
    readonly property real heroActionsGap: 16

    // Sheets.
    readonly property real sheetPadding: 24
    readonly property real smartSheetWidth: 600

    // Motions, in milliseconds: springs are given by their response and damping as the easing
    // closest to them (a quick overshoot for damping 0.7, a calm one for 0.85). Views take the
    // reduced one when Motion.reduced holds.
    readonly property int tabChange: 250
    readonly property int pageChange: 400
    readonly property int selectionBar: 350
    readonly property int tileHover: 350
    readonly property int cardHover: 300
    readonly property int reducedChange: 200
    readonly property int sheetFade: 160
    readonly property real springOvershoot: 1.4
    readonly property real calmOvershoot: 0.6
}
