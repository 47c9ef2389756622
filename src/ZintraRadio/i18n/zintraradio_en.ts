<?xml version='1.0' encoding='utf-8'?>
<TS version="2.1" language="en" sourcelanguage="en">
<context>
    <name />
    <message id="about.version">
        <source>Version %1 (%2)</source>
        <translation>Version %1 (%2)</translation>
    </message>
    <message id="brand.tagline">
        <source>Radio, music and light on your desktop</source>
        <translation>Radio, music and light on your desktop</translation>
    </message>
    <message id="about.copyright">
        <source>© The ZintraRadio authors</source>
        <translation>© The ZintraRadio authors</translation>
    </message>
    <message id="about.developer">
        <source>Made for listeners, on Linux</source>
        <translation>Made for listeners, on Linux</translation>
    </message>
    <message id="app.name">
        <source>ZintraRadio</source>
        <translation>ZintraRadio</translation>
    </message>
    <message id="boot.credit">
        <source>Made with sound and light</source>
        <translation>Made with sound and light</translation>
    </message>
    <message id="brand.primary">
        <source>Zintra</source>
        <translation>Zintra</translation>
    </message>
    <message id="brand.secondary">
        <source>Radio</source>
        <translation>Radio</translation>
    </message>
    <message id="state.loading">
        <source>Loading…</source>
        <translation>Loading…</translation>
    </message>
    <message id="action.unfavorite">
        <source>Remove from favourites</source>
        <translation>Remove from favourites</translation>
    </message>
    <message id="action.favorite">
        <source>Add to favourites</source>
        <translation>Add to favourites</translation>
    </message>
    <message id="action.clear">
        <source>Clear</source>
        <translation>Clear</translation>
    </message>
    <message id="deck.pickSomething">
        <source>Pick a station</source>
        <translation>Pick a station</translation>
    </message>
    <message id="deck.play">
        <source>Play or pause</source>
        <translation>Play or pause</translation>
    </message>
    <message id="deck.stop">
        <source>Stop</source>
        <translation>Stop</translation>
    </message>
    <message id="deck.volume">
        <source>Volume</source>
        <translation>Volume</translation>
    </message>
    <message id="rail.expand">
        <source>Show titles</source>
        <translation>Show titles</translation>
    </message>
    <message id="rail.collapse">
        <source>Icons only</source>
        <translation>Icons only</translation>
    </message>
    <message id="panel.empty">
        <source>Nothing here yet</source>
        <translation>Nothing here yet</translation>
    </message>
    <message id="module.stations">
        <source>Stations</source>
        <translation>Stations</translation>
    </message>
    <message id="module.discover">
        <source>Discover</source>
        <translation>Discover</translation>
    </message>
    <message id="module.favorites">
        <source>Favourites</source>
        <translation>Favourites</translation>
    </message>
    <message id="module.history">
        <source>History</source>
        <translation>History</translation>
    </message>
    <message id="module.youtube">
        <source>YouTube</source>
        <translation>YouTube</translation>
    </message>
    <message id="module.music">
        <source>Music</source>
        <translation>Music</translation>
    </message>
    <message id="module.recordings">
        <source>Recordings</source>
        <translation>Recordings</translation>
    </message>
    <message id="action.reveal">
        <source>Show in folder</source>
        <translation>Show in folder</translation>
    </message>
    <message id="action.close">
        <source>Close</source>
        <translation>Close</translation>
    </message>
    <message id="tools.missing">
        <source>Not installed: %1</source>
        <translation>Not installed: %1</translation>
    </message>
    <message id="action.copy">
        <source>Copy</source>
        <translation>Copy</translation>
    </message>
    <message id="tools.recheck">
        <source>Look again</source>
        <translation>Look again</translation>
    </message>
    <message id="toast.copied">
        <source>Copied</source>
        <translation>Copied</translation>
    </message>
    <message id="toast.nothingToRecord">
        <source>Nothing is playing, so there is nothing to record.</source>
        <translation>Nothing is playing, so there is nothing to record.</translation>
    </message>
    <message id="toast.reconnecting">
        <source>Reconnecting (%1 of %2)…</source>
        <translation>Reconnecting (%1 of %2)…</translation>
    </message>
    <message id="toast.recordingSaved">
        <source>Recording saved: %1</source>
        <translation>Recording saved: %1</translation>
    </message>
    <message id="error.notPlaying">
        <source>Nothing is playing.</source>
        <translation>Nothing is playing.</translation>
    </message>
    <message id="error.noStream">
        <source>No playable stream found.</source>
        <translation>No playable stream found.</translation>
    </message>
    <message id="error.missingTool">
        <source>%1 is not installed:</source>
        <translation>%1 is not installed:</translation>
    </message>
    <message id="toast.downloadRunning">
        <source>%1 is already downloading.</source>
        <translation>%1 is already downloading.</translation>
    </message>
    <message id="toast.downloaded">
        <source>Downloaded: %1</source>
        <translation>Downloaded: %1</translation>
    </message>
    <message id="tools.missingYtDlp">
        <source>yt-dlp is not installed.</source>
        <translation>yt-dlp is not installed.</translation>
    </message>
    <message id="youtube.noResults">
        <source>Nothing found.</source>
        <translation>Nothing found.</translation>
    </message>
    <message id="music.newPlaylist">
        <source>New Playlist</source>
        <translation>New Playlist</translation>
    </message>
    <message id="music.newSmartPlaylist">
        <source>New Smart Playlist</source>
        <translation>New Smart Playlist</translation>
    </message>
    <message id="music.noCoverFound">
        <source>No cover found.</source>
        <translation>No cover found.</translation>
    </message>
    <message id="music.queued" numerus="yes">
        <source>%n item(s) added to the queue</source>
        <translation>
            <numerusform>%n item added to the queue</numerusform>
            <numerusform>%n items added to the queue</numerusform>
        </translation>
    </message>
    <message id="music.trashFailed" numerus="yes">
        <source>%n file(s) could not be moved to the Trash and stay in the library.</source>
        <translation>
            <numerusform>%n file could not be moved to the Trash and stays in the library.</numerusform>
            <numerusform>%n files could not be moved to the Trash and stay in the library.</numerusform>
        </translation>
    </message>
</context>
</TS>