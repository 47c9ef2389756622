import QtQuick
import ZintraRadio

// What every track row of a list compares with, computed once per change instead of once per
// row, the click rule, and the actions the rows and their menu call. The track lists and the
// library search results each hold one.
QtObject {
    id: context

    property QtObject model: null
    property QtObject ui: null

    readonly property QtObject music: model ? model.music : null
    readonly property QtObject musicUI: ui ? ui.music : null
    readonly property string activeURL: model && model.isActive && model.current ? model.current.url : ""
    readonly property bool paused: model ? model.stateName === "paused" : false
    readonly property bool playing: model ? model.stateName === "playing" : false
    readonly property var busySet: toSet(music ? music.busyTracks : [])
    readonly property var selectedSet: toSet(musicUI ? musicUI.selection : [])
    readonly property bool selectionActive: musicUI ? musicUI.selection.length > 0 : false

    readonly property MusicActions actions: MusicActions {
        music: context.music
        ui: context.musicUI
    }
    readonly property PlaylistCards playlists: PlaylistCards {
        music: context.music
    }

    function toSet(paths) {
        const set = {}
        for (let i = 0; i < paths.length; ++i)
            set[paths[i]] = true
        return set
    }

    // The levels glyph of the current row, read from the shared audio pulse.
    function levels() {
        const pulse = context.model ? context.model.pulse : null
        if (!pulse)
            return [0, 0, 0, 0]
        pulse.refresh()
        return [pulse.bass(), pulse.mid(), pulse.treble(), pulse.energy()]
    }

    // The click rule: Ctrl or an existing selection toggles, the current track pauses or
    // resumes, any other plays its list from there (`play`).
    function activate(path, current, commandHeld, play) {
        switch (MusicViewRules.trackClick(commandHeld, !context.selectionActive, current)) {
        case "toggleSelection":
            context.musicUI.toggleSelected(path)
            break
        case "togglePlayback":
            context.model.togglePlayPause()
            break
        default:
            play()
        }
    }
}
