import QtQuick
import ZintraRadio

// The stage as the main window shows it: the stage screen on the application's model and UI
// state. Every action is one call of theirs; the mode goes through UIState.setMode, which
// stores it in the library.
StageScreen {
    feed: UIState.feed
    model: AppModel
    ui: UIState

    mode: AppModel.visualizerMode
    playbackState: AppModel.stateName
    current: AppModel.current ?? null
    nowPlaying: AppModel.nowPlaying ?? ""
    modeChangedAt: UIState.modeChanged.getTime()
    module: UIState.module
    browserHidden: UIState.music.browserHidden
    cinema: UIState.cinema
    panelHidden: UIState.panelHidden
    lyricsVisible: UIState.lyricsVisible
    hasLyrics: AppModel.lyrics.hasLyrics
    linkFocus: UIState.linkFocus

    onModeSelected: mode => UIState.setMode(mode, AppModel)
    onLinkSubmitted: text => AppModel.playLink(text)
    onCinemaToggled: UIState.toggleCinema()
    onPanelToggled: UIState.togglePanel()
    onLyricsToggled: UIState.toggleLyrics()
    onLibraryShown: UIState.music.browserHidden = false
    onPrevious: AppModel.skip(-1)
    onPlayPause: AppModel.togglePlayPause()
    onNext: AppModel.skip(1)
}
