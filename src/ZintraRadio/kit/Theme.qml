pragma Singleton
import QtQuick
import ZintraRadio

// Every colour, size, font and duration of the interface. Colours and the rules behind them
// (ramp, accents, clock text) come from KitRules; views apply their own opacities through
// white() and alpha().
QtObject {
    // The named colours.
    readonly property color night: KitRules.night
    readonly property color cyan: KitRules.cyan
    readonly property color violet: KitRules.violet
    readonly property color magenta: KitRules.magenta
    readonly property color amber: KitRules.amber
    readonly property color mint: KitRules.mint
    readonly property color red: KitRules.red
    // The spectrum gradient's stops, cyan first.
    readonly property var spectrum: [cyan, violet, magenta]

    function white(opacity) { return Qt.rgba(1, 1, 1, opacity) }
    function alpha(color, opacity) { return Qt.rgba(color.r, color.g, color.b, opacity) }
    function spectrumAt(position) { return KitRules.spectrumColor(position) }
    function accent(text) { return KitRules.accentColor(text) }
    function clock(seconds) { return KitRules.clock(seconds) }

    // Faces: the platform's text face, a rounded face for titles and brand texts, a
    // monospaced face for clocks, formats, versions and shortcut labels.
    readonly property string textFont: FontBook.text
    readonly property string roundedFont: FontBook.rounded
    readonly property string monoFont: FontBook.mono

    // Durations in milliseconds.
    readonly property int hoverDuration: 150
    readonly property int rowHoverDuration: 140
    readonly property int railHoverDuration: 180
    readonly property int focusDuration: 200
    readonly property int knobDuration: 120
    readonly property int splashFadeDuration: 250
    readonly property int stageCrossFadeDuration: 350
    // Layout changes (modules, rail, panel, cinema): the spring of response 0.42 s and damping
    // 0.85 as one easing, or a short ease-in-out when motion is reduced.
    readonly property var layoutSpring: KitRules.springEasing(0.42, 0.85)
    readonly property int layoutDuration: Motion.reduced ? 200 : layoutSpring.duration
    readonly property int layoutEasing: Motion.reduced ? Easing.InOutQuad : Easing.OutBack
    readonly property real layoutOvershoot: layoutSpring.overshoot
    // Toast arrival: a spring of response 0.4 s and damping 0.8.
    readonly property var toastSpring: KitRules.springEasing(0.4, 0.8)
    readonly property int toastDuration: Motion.reduced ? 200 : toastSpring.duration
    readonly property real toastOvershoot: toastSpring.overshoot

    // The look on the dark window: fills of white at low opacity.
    readonly property real fillIdle: 0.05
    readonly property real fillHover: 0.11
    readonly property real strokeIdle: 0.1

    // Controls.
    readonly property real pillHeight: 28
    readonly property real pillPadding: 12
    readonly property real chipHeight: 25
    readonly property real chipPadding: 11
    readonly property real fieldHeight: 34
    readonly property real fieldPadding: 12
    readonly property real sliderHeight: 22
    readonly property real rowCorner: 13
    readonly property real rowArtwork: 42
    readonly property real rowArtworkCorner: 10

    // The main window.
    readonly property real railExpandedWidth: 176
    readonly property real railCollapsedWidth: 68
    readonly property real railTile: 44
    readonly property real sidePanelWidth: 430
    readonly property real toastTopMargin: 62
    readonly property real toastTextWidth: 420
    readonly property real toastSideMargin: 16

    // The controls' own parts (tooltips, menus, selections) in the dark look, whatever the
    // desktop's scheme; every window of the application takes it.
    readonly property Palette palette: Palette {
        window: KitRules.night
        windowText: "white"
        base: Qt.lighter(KitRules.night, 1.6)
        text: "white"
        button: Qt.lighter(KitRules.night, 2.2)
        buttonText: "white"
        highlight: KitRules.violet
        highlightedText: "white"
        toolTipBase: KitRules.night
        toolTipText: "white"
        light: Qt.rgba(1, 1, 1, 0.16)
        mid: Qt.rgba(1, 1, 1, 0.12)
        dark: Qt.rgba(1, 1, 1, 0.08)
    }

    // Qt's own file and folder dialogs (where the desktop offers none) are drawn for a light
    // palette: their path bar is white whatever the palette says, and their selected row is
    // 15 % of the highlight over `light` under `highlightedText`. A light palette of their own
    // keeps every text there well readable.
    readonly property Palette dialogPalette: Palette {
        window: "#ffffff"
        windowText: "#23212b"
        base: "#ffffff"
        alternateBase: "#f5f4f8"
        text: "#23212b"
        placeholderText: "#6b6876"
        button: "#e6e4ec"
        buttonText: "#23212b"
        brightText: "#ffffff"
        highlight: KitRules.violet
        highlightedText: "#0b0913"
        light: "#f5f4f8"
        midlight: "#e6e4ec"
        mid: "#bdbac6"
        dark: "#55525e"
        shadow: "#05040a"
        toolTipBase: "#ffffff"
        toolTipText: "#23212b"
        link: "#5b2fd6"
        linkVisited: "#4a2699"
    }
}
