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
        <extracomment>The tray icon's tooltip</extracomment>
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
        <source>Play</source>
        <translation>Play</translation>
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
    <message id="toast.videoFailed">
        <source>The video could not be played: %1</source>
        <translation>The video could not be played: %1</translation>
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
    <message id="toast.trashFailed">
        <source>Could not move %1 to the Trash; it is still there.</source>
        <translation>Could not move %1 to the Trash; it is still there.</translation>
    </message>
    <message id="deck.previous">
        <source>Previous</source>
        <translation>Previous</translation>
    </message>
    <message id="deck.pause">
        <source>Pause</source>
        <translation>Pause</translation>
    </message>
    <message id="deck.next">
        <source>Next</source>
        <translation>Next</translation>
    </message>
    <message id="link.prompt">
        <source>Paste a stream, video or playlist link</source>
        <translation>Paste a stream, video or playlist link</translation>
    </message>
    <message id="mode.zintra">
        <source>Zintra</source>
        <translation>Zintra</translation>
    </message>
    <message id="mode.scope">
        <source>Scope</source>
        <translation>Scope</translation>
    </message>
    <message id="mode.spectrum">
        <source>Spectrum</source>
        <translation>Spectrum</translation>
    </message>
    <message id="mode.terrain">
        <source>Terrain</source>
        <translation>Terrain</translation>
    </message>
    <message id="mode.vectorscope">
        <source>Vectorscope</source>
        <translation>Vectorscope</translation>
    </message>
    <message id="mode.plasma">
        <source>Plasma</source>
        <translation>Plasma</translation>
    </message>
    <message id="mode.aurora">
        <source>Aurora</source>
        <translation>Aurora</translation>
    </message>
    <message id="mode.warp">
        <source>Warp</source>
        <translation>Warp</translation>
    </message>
    <message id="lyrics.hide">
        <source>Hide lyrics</source>
        <translation>Hide lyrics</translation>
    </message>
    <message id="lyrics.show">
        <source>Show lyrics</source>
        <translation>Show lyrics</translation>
    </message>
    <message id="stage.showPanel">
        <source>Show the side panel</source>
        <translation>Show the side panel</translation>
    </message>
    <message id="stage.hidePanel">
        <source>Hide the side panel</source>
        <translation>Hide the side panel</translation>
    </message>
    <message id="stage.cinemaOff">
        <source>Leave cinema mode</source>
        <translation>Leave cinema mode</translation>
    </message>
    <message id="stage.cinemaOn">
        <source>Cinema mode</source>
        <translation>Cinema mode</translation>
    </message>
    <message id="music.showLibrary">
        <source>Show library</source>
        <translation>Show library</translation>
    </message>
    <message id="stage.connecting">
        <source>Connecting</source>
        <translation>Connecting</translation>
    </message>
    <message id="stage.paused">
        <source>Paused</source>
        <translation>Paused</translation>
    </message>
    <message id="youtube.downloadMP3">
        <source>Download as MP3</source>
        <translation>Download as MP3</translation>
    </message>
    <message id="history.noHeard">
        <source>No songs heard yet</source>
        <translation>No songs heard yet</translation>
    </message>
    <message id="music.searchYouTube">
        <source>Search on YouTube</source>
        <translation>Search on YouTube</translation>
    </message>
    <message id="lyrics.waiting">
        <source>Waiting for a song…</source>
        <translation>Waiting for a song…</translation>
    </message>
    <message id="lyrics.searching">
        <source>Searching lyrics…</source>
        <translation>Searching lyrics…</translation>
    </message>
    <message id="lyrics.instrumental">
        <source>Instrumental</source>
        <translation>Instrumental</translation>
    </message>
    <message id="lyrics.notFound">
        <source>No lyrics found</source>
        <translation>No lyrics found</translation>
    </message>
    <message id="lyrics.failed">
        <source>Lyrics could not be loaded</source>
        <translation>Lyrics could not be loaded</translation>
    </message>
    <message id="lyrics.credit">
        <source>Lyrics from LRCLIB</source>
        <translation>Lyrics from LRCLIB</translation>
    </message>
    <message id="music.tab.tracks">
        <source>Tracks</source>
        <translation>Tracks</translation>
    </message>
    <message id="music.inLyrics">
        <source>In lyrics</source>
        <translation>In lyrics</translation>
    </message>
    <message id="state.noMatches">
        <source>No matches</source>
        <translation>No matches</translation>
    </message>
    <message id="status.title">
        <source>Library status</source>
        <translation>Library status</translation>
    </message>
    <message id="status.found">
        <source>Lyrics found</source>
        <translation>Lyrics found</translation>
    </message>
    <message id="status.remaining">
        <source>Still to look up</source>
        <translation>Still to look up</translation>
    </message>
    <message id="status.syncNow">
        <source>Sync now</source>
        <translation>Sync now</translation>
    </message>
    <message id="lyrics.earlier">
        <source>Move the lyrics back by half a second</source>
        <translation>Move the lyrics back by half a second</translation>
    </message>
    <message id="lyrics.later">
        <source>Move the lyrics ahead by half a second</source>
        <translation>Move the lyrics ahead by half a second</translation>
    </message>
    <message id="lyrics.title">
        <source>Lyrics</source>
        <translation>Lyrics</translation>
    </message>
    <message id="status.syncing">
        <source>Syncing the library folders…</source>
        <translation>Syncing the library folders…</translation>
    </message>
    <message id="status.synced">
        <source>The library is in sync with its folders.</source>
        <translation>The library is in sync with its folders.</translation>
    </message>
    <message id="status.lastSync" numerus="yes">
        <source>Last sync at %1: %n file(s), %2 added, %3 changed, %4 removed.</source>
        <translation>
            <numerusform>Last sync at %1: %n file, %2 added, %3 changed, %4 removed.</numerusform>
            <numerusform>Last sync at %1: %n files, %2 added, %3 changed, %4 removed.</numerusform>
        </translation>
    </message>
    <message id="status.lyricsIdle">
        <source>Lyrics of the library are up to date.</source>
        <translation>Lyrics of the library are up to date.</translation>
    </message>
    <message id="status.lyricsRunning">
        <source>Looking up lyrics: %1</source>
        <translation>Looking up lyrics: %1</translation>
    </message>
    <message id="stations.add">
        <source>Add Station</source>
        <translation>Add Station</translation>
    </message>
    <message id="stations.link">
        <source>Stream link (http…)</source>
        <translation>Stream link (http…)</translation>
    </message>
    <message id="stations.name">
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message id="stations.genre">
        <source>Genre</source>
        <translation>Genre</translation>
    </message>
    <message id="action.cancel">
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message id="action.add">
        <source>Add</source>
        <translation>Add</translation>
    </message>
    <message id="deck.elapsed">
        <source>Elapsed time</source>
        <translation>Elapsed time</translation>
    </message>
    <message id="queue.title">
        <source>Queue</source>
        <translation>Queue</translation>
    </message>
    <message id="deck.mute">
        <source>Mute</source>
        <translation>Mute</translation>
    </message>
    <message id="deck.unmute">
        <source>Unmute</source>
        <translation>Unmute</translation>
    </message>
    <message id="discover.importAll">
        <source>Import All</source>
        <translation>Import All</translation>
    </message>
    <message id="discover.search">
        <source>Search stations by name</source>
        <translation>Search stations by name</translation>
    </message>
    <message id="discover.top">
        <source>Top</source>
        <translation>Top</translation>
    </message>
    <message id="discover.topVoted">
        <source>Top Voted</source>
        <translation>Top Voted</translation>
    </message>
    <message id="discover.country">
        <source>Country</source>
        <translation>Country</translation>
    </message>
    <message id="discover.error">
        <source>The station directory did not answer</source>
        <translation>The station directory did not answer</translation>
    </message>
    <message id="action.retry">
        <source>Try Again</source>
        <translation>Try Again</translation>
    </message>
    <message id="favorites.empty">
        <source>No favourites yet. Star a station to keep it here.</source>
        <translation>No favourites yet. Star a station to keep it here.</translation>
    </message>
    <message id="history.clear">
        <source>Clear</source>
        <translation>Clear</translation>
    </message>
    <message id="history.played">
        <source>Played</source>
        <translation>Played</translation>
    </message>
    <message id="history.songs">
        <source>Songs</source>
        <translation>Songs</translation>
    </message>
    <message id="history.heard">
        <source>Heard</source>
        <translation>Heard</translation>
    </message>
    <message id="history.empty">
        <source>Nothing played yet</source>
        <translation>Nothing played yet</translation>
    </message>
    <message id="history.noSongs">
        <source>No song titles yet</source>
        <translation>No song titles yet</translation>
    </message>
    <message id="deck.live">
        <source>Live</source>
        <translation>Live</translation>
    </message>
    <message id="stations.remove">
        <source>Remove</source>
        <translation>Remove</translation>
    </message>
    <message id="discover.import">
        <source>Add to my stations</source>
        <translation>Add to my stations</translation>
    </message>
    <message id="discover.imported">
        <source>In my stations</source>
        <translation>In my stations</translation>
    </message>
    <message id="deck.splitOn">
        <source>New file for every song: on</source>
        <translation>New file for every song: on</translation>
    </message>
    <message id="deck.splitOff">
        <source>New file for every song: off</source>
        <translation>New file for every song: off</translation>
    </message>
    <message id="stations.rename">
        <source>Rename…</source>
        <translation>Rename…</translation>
    </message>
    <message id="action.copyLink">
        <source>Copy Link</source>
        <translation>Copy Link</translation>
    </message>
    <message id="queue.playNext">
        <source>Play Next</source>
        <translation>Play Next</translation>
    </message>
    <message id="queue.later">
        <source>Play Later</source>
        <translation>Play Later</translation>
    </message>
    <message id="music.addToPlaylist">
        <source>Add to Playlist</source>
        <translation>Add to Playlist</translation>
    </message>
    <message id="stations.showList">
        <source>Show as List</source>
        <translation>Show as List</translation>
    </message>
    <message id="stations.showGrid">
        <source>Show as Grid</source>
        <translation>Show as Grid</translation>
    </message>
    <message id="stations.more">
        <source>More</source>
        <translation>More</translation>
    </message>
    <message id="stations.importFile">
        <source>Import Playlist File…</source>
        <translation>Import Playlist File…</translation>
    </message>
    <message id="stations.importOlvanta">
        <source>Import from Olvanta</source>
        <translation>Import from Olvanta</translation>
    </message>
    <message id="stations.export">
        <source>Export as M3U…</source>
        <translation>Export as M3U…</translation>
    </message>
    <message id="stations.restoreDefaults">
        <source>Restore Built-in Stations</source>
        <translation>Restore Built-in Stations</translation>
    </message>
    <message id="stations.filter">
        <source>Filter stations or search the directory</source>
        <translation>Filter stations or search the directory</translation>
    </message>
    <message id="stations.empty">
        <source>No stations yet. Add one with +, or search the directory.</source>
        <translation>No stations yet. Add one with +, or search the directory.</translation>
    </message>
    <message id="stations.directory">
        <source>Station directory</source>
        <translation>Station directory</translation>
    </message>
    <message id="action.save">
        <source>Save</source>
        <translation>Save</translation>
    </message>
    <message id="stations.importTitle">
        <source>Import Stations</source>
        <translation>Import Stations</translation>
    </message>
    <message id="stations.playlistFiles">
        <source>Playlists</source>
        <translation>Playlists</translation>
    </message>
    <message id="stations.exportTitle">
        <source>Export Stations</source>
        <translation>Export Stations</translation>
    </message>
    <message id="count.stations" numerus="yes">
        <source>%n station(s)</source>
        <translation>
            <numerusform>%n station</numerusform>
            <numerusform>%n stations</numerusform>
        </translation>
    </message>
    <message id="count.entries" numerus="yes">
        <source>%n entries</source>
        <translation>
            <numerusform>%n entry</numerusform>
            <numerusform>%n entries</numerusform>
        </translation>
    </message>
    <message id="deck.nothing">
        <source>Nothing playing</source>
        <translation>Nothing playing</translation>
    </message>
    <message id="deck.stopped">
        <source>Stopped</source>
        <translation>Stopped</translation>
    </message>
    <message id="deck.video">
        <source>Video</source>
        <translation>Video</translation>
    </message>
    <message id="deck.rec">
        <source>REC</source>
        <translation>REC</translation>
    </message>
    <message id="deck.recStart">
        <source>Start recording</source>
        <translation>Start recording</translation>
    </message>
    <message id="deck.recStop">
        <source>Stop recording</source>
        <translation>Stop recording</translation>
    </message>
    <message id="toast.imported">
        <source>Stations added: %1</source>
        <translation>Stations added: %1</translation>
    </message>
    <message id="toast.exported">
        <source>Stations exported</source>
        <translation>Stations exported</translation>
    </message>
    <message id="toast.importFailed">
        <source>The playlist file could not be read.</source>
        <translation>The playlist file could not be read.</translation>
    </message>
    <message id="music.empty">
        <source>Your library is empty</source>
        <translation>Your library is empty</translation>
    </message>
    <message id="count.tracks" numerus="yes">
        <source>%n track(s)</source>
        <translation>
            <numerusform>%n track</numerusform>
            <numerusform>%n tracks</numerusform>
        </translation>
    </message>
    <message id="music.play">
        <source>Play</source>
        <translation>Play</translation>
    </message>
    <message id="music.genrePlaylist">
        <source>Make Smart Playlist</source>
        <translation>Make Smart Playlist</translation>
    </message>
    <message id="music.tab.albums">
        <source>Albums</source>
        <translation>Albums</translation>
    </message>
    <message id="music.tab.genres">
        <source>Genres</source>
        <translation>Genres</translation>
    </message>
    <message id="music.tab.artists">
        <source>Artists</source>
        <translation>Artists</translation>
    </message>
    <message id="music.tab.playlists">
        <source>Playlists</source>
        <translation>Playlists</translation>
    </message>
    <message id="music.search">
        <source>Search the library</source>
        <translation>Search the library</translation>
    </message>
    <message id="music.manage">
        <source>Manage Library</source>
        <translation>Manage Library</translation>
    </message>
    <message id="music.showStage">
        <source>Show the Visualizer</source>
        <translation>Show the Visualizer</translation>
    </message>
    <message id="music.addFolder">
        <source>Add Folder…</source>
        <translation>Add Folder…</translation>
    </message>
    <message id="music.rescan">
        <source>Rescan Library</source>
        <translation>Rescan Library</translation>
    </message>
    <message id="music.fetchCovers">
        <source>Find Missing Covers</source>
        <translation>Find Missing Covers</translation>
    </message>
    <message id="music.removeFolder">
        <source>Remove “%1”</source>
        <translation>Remove “%1”</translation>
    </message>
    <message id="music.shuffle">
        <source>Shuffle</source>
        <translation>Shuffle</translation>
    </message>
    <message id="music.editRules">
        <source>Edit Rules…</source>
        <translation>Edit Rules…</translation>
    </message>
    <message id="music.back">
        <source>Back</source>
        <translation>Back</translation>
    </message>
    <message id="music.playlistEmpty">
        <source>This playlist is empty</source>
        <translation>This playlist is empty</translation>
    </message>
    <message id="music.itemMissing">
        <source>File not found</source>
        <translation>File not found</translation>
    </message>
    <message id="music.smartPlaylists">
        <source>Smart Playlists</source>
        <translation>Smart Playlists</translation>
    </message>
    <message id="music.noPlaylists">
        <source>No playlists yet</source>
        <translation>No playlists yet</translation>
    </message>
    <message id="queue.repeat.off">
        <source>Repeat Off</source>
        <translation>Repeat Off</translation>
    </message>
    <message id="queue.repeat.all">
        <source>Repeat All</source>
        <translation>Repeat All</translation>
    </message>
    <message id="queue.repeat.one">
        <source>Repeat One</source>
        <translation>Repeat One</translation>
    </message>
    <message id="queue.clear">
        <source>Clear Queue</source>
        <translation>Clear Queue</translation>
    </message>
    <message id="queue.empty">
        <source>The queue is empty</source>
        <translation>The queue is empty</translation>
    </message>
    <message id="rule.unit.days">
        <source>days</source>
        <translation>days</translation>
    </message>
    <message id="rule.unit.stars">
        <source>stars</source>
        <translation>stars</translation>
    </message>
    <message id="rule.unit.minutes">
        <source>minutes</source>
        <translation>minutes</translation>
    </message>
    <message id="music.selected" numerus="yes">
        <source>%n selected</source>
        <translation>
            <numerusform>%n selected</numerusform>
            <numerusform>%n selected</numerusform>
        </translation>
    </message>
    <message id="music.newGenre">
        <source>New Genre</source>
        <translation>New Genre</translation>
    </message>
    <message id="music.addTo">
        <source>Add to</source>
        <translation>Add to</translation>
    </message>
    <message id="music.fetchCover">
        <source>Find Cover</source>
        <translation>Find Cover</translation>
    </message>
    <message id="recordings.trash">
        <source>Move to Trash</source>
        <translation>Move to Trash</translation>
    </message>
    <message id="smart.matchAll">
        <source>Match all rules</source>
        <translation>Match all rules</translation>
    </message>
    <message id="smart.matchAny">
        <source>Match any rule</source>
        <translation>Match any rule</translation>
    </message>
    <message id="smart.addRule">
        <source>Add Rule</source>
        <translation>Add Rule</translation>
    </message>
    <message id="smart.sort">
        <source>Sort by</source>
        <translation>Sort by</translation>
    </message>
    <message id="smart.limit">
        <source>Limit</source>
        <translation>Limit</translation>
    </message>
    <message id="music.rating">
        <source>Rating</source>
        <translation>Rating</translation>
    </message>
    <message id="music.chooseCover">
        <source>Choose Cover…</source>
        <translation>Choose Cover…</translation>
    </message>
    <message id="music.editTags">
        <source>Edit Tags…</source>
        <translation>Edit Tags…</translation>
    </message>
    <message id="music.field.title">
        <source>Title</source>
        <translation>Title</translation>
    </message>
    <message id="music.kind.artist">
        <source>Artist</source>
        <translation>Artist</translation>
    </message>
    <message id="music.kind.album">
        <source>Album</source>
        <translation>Album</translation>
    </message>
    <message id="music.field.year">
        <source>Year</source>
        <translation>Year</translation>
    </message>
    <message id="music.select">
        <source>Select</source>
        <translation>Select</translation>
    </message>
    <message id="music.more">
        <source>More</source>
        <translation>More</translation>
    </message>
    <message id="music.kind.playlist">
        <source>Playlist</source>
        <translation>Playlist</translation>
    </message>
    <message id="music.kind.smart">
        <source>Smart Playlist</source>
        <translation>Smart Playlist</translation>
    </message>
    <message id="music.singles">
        <source>Singles</source>
        <translation>Singles</translation>
    </message>
    <message id="music.noGenre">
        <source>No Genre</source>
        <translation>No Genre</translation>
    </message>
    <message id="smart.recentlyAdded">
        <source>Recently Added</source>
        <translation>Recently Added</translation>
    </message>
    <message id="smart.mostPlayed">
        <source>Most Played</source>
        <translation>Most Played</translation>
    </message>
    <message id="smart.neverPlayed">
        <source>Never Played</source>
        <translation>Never Played</translation>
    </message>
    <message id="smart.fromYouTube">
        <source>From YouTube</source>
        <translation>From YouTube</translation>
    </message>
    <message id="smart.favorites">
        <source>Favourites</source>
        <translation>Favourites</translation>
    </message>
    <message id="rule.genreIs">
        <source>Genre is</source>
        <translation>Genre is</translation>
    </message>
    <message id="rule.artistContains">
        <source>Artist contains</source>
        <translation>Artist contains</translation>
    </message>
    <message id="rule.titleContains">
        <source>Title contains</source>
        <translation>Title contains</translation>
    </message>
    <message id="rule.albumContains">
        <source>Album contains</source>
        <translation>Album contains</translation>
    </message>
    <message id="rule.addedWithinDays">
        <source>Added in the last</source>
        <translation>Added in the last</translation>
    </message>
    <message id="rule.playedAtLeast">
        <source>Played at least</source>
        <translation>Played at least</translation>
    </message>
    <message id="rule.neverPlayed">
        <source>Never played</source>
        <translation>Never played</translation>
    </message>
    <message id="rule.ratingAtLeast">
        <source>Rating at least</source>
        <translation>Rating at least</translation>
    </message>
    <message id="rule.yearBetween">
        <source>Year between</source>
        <translation>Year between</translation>
    </message>
    <message id="rule.longerThan">
        <source>Longer than</source>
        <translation>Longer than</translation>
    </message>
    <message id="rule.shorterThan">
        <source>Shorter than</source>
        <translation>Shorter than</translation>
    </message>
    <message id="rule.fromYouTube">
        <source>From YouTube</source>
        <translation>From YouTube</translation>
    </message>
    <message id="sort.title">
        <source>Title</source>
        <translation>Title</translation>
    </message>
    <message id="sort.artist">
        <source>Artist</source>
        <translation>Artist</translation>
    </message>
    <message id="sort.recentlyAdded">
        <source>Recently Added</source>
        <translation>Recently Added</translation>
    </message>
    <message id="sort.mostPlayed">
        <source>Most Played</source>
        <translation>Most Played</translation>
    </message>
    <message id="sort.recentlyPlayed">
        <source>Recently Played</source>
        <translation>Recently Played</translation>
    </message>
    <message id="sort.rating">
        <source>Rating</source>
        <translation>Rating</translation>
    </message>
    <message id="sort.random">
        <source>Random</source>
        <translation>Random</translation>
    </message>
    <message id="menu.about">
        <source>About ZintraRadio</source>
        <translation>About ZintraRadio</translation>
    </message>
    <message id="mini.open">
        <source>Open ZintraRadio</source>
        <translation>Open ZintraRadio</translation>
    </message>
    <message id="mini.quit">
        <source>Quit</source>
        <translation>Quit</translation>
    </message>
    <message id="menu.mini">
        <source>Mini Player</source>
        <translation>Mini Player</translation>
    </message>
    <message id="menu.quit">
        <source>Quit ZintraRadio</source>
        <translation>Quit ZintraRadio</translation>
    </message>
    <message id="menu.playback">
        <source>Playback</source>
        <translation>Playback</translation>
    </message>
    <message id="menu.playPause">
        <source>Play / Pause</source>
        <translation>Play / Pause</translation>
    </message>
    <message id="menu.volumeUp">
        <source>Volume Up</source>
        <translation>Volume Up</translation>
    </message>
    <message id="menu.volumeDown">
        <source>Volume Down</source>
        <translation>Volume Down</translation>
    </message>
    <message id="menu.mute">
        <source>Mute</source>
        <translation>Mute</translation>
    </message>
    <message id="menu.record">
        <source>Record</source>
        <translation>Record</translation>
    </message>
    <message id="menu.favorite">
        <source>Favourite</source>
        <translation>Favourite</translation>
    </message>
    <message id="menu.stage">
        <source>Stage</source>
        <translation>Stage</translation>
    </message>
    <message id="menu.nextMode">
        <source>Next Visual Mode</source>
        <translation>Next Visual Mode</translation>
    </message>
    <message id="menu.lyrics">
        <source>Lyrics</source>
        <translation>Lyrics</translation>
    </message>
    <message id="menu.cinema">
        <source>Cinema Mode</source>
        <translation>Cinema Mode</translation>
    </message>
    <message id="menu.togglePanel">
        <source>Show / Hide Side Panel</source>
        <translation>Show / Hide Side Panel</translation>
    </message>
    <message id="menu.modules">
        <source>Modules</source>
        <translation>Modules</translation>
    </message>
    <message id="menu.search">
        <source>Search</source>
        <translation>Search</translation>
    </message>
    <message id="menu.link">
        <source>Open Link</source>
        <translation>Open Link</translation>
    </message>
    <message id="video.position">
        <source>Position</source>
        <translation>Position</translation>
    </message>
    <message id="video.listenOnly">
        <source>Listen only</source>
        <translation>Listen only</translation>
    </message>
    <message id="video.loading">
        <source>Loading video…</source>
        <translation>Loading video…</translation>
    </message>
    <message id="youtube.downloads">
        <source>Downloads</source>
        <translation>Downloads</translation>
    </message>
    <message id="youtube.clearFinished">
        <source>Clear finished</source>
        <translation>Clear finished</translation>
    </message>
    <message id="recordings.openFolder">
        <source>Open the recordings folder</source>
        <translation>Open the recordings folder</translation>
    </message>
    <message id="recordings.empty">
        <source>No recordings yet. Press REC while a station plays.</source>
        <translation>No recordings yet. Press REC while a station plays.</translation>
    </message>
    <message id="youtube.withLyrics">
        <source>Save lyrics with downloads</source>
        <translation>Save lyrics with downloads</translation>
    </message>
    <message id="youtube.listen">
        <source>Listen</source>
        <translation>Listen</translation>
    </message>
    <message id="youtube.watch">
        <source>Watch</source>
        <translation>Watch</translation>
    </message>
    <message id="youtube.downloadVideo">
        <source>Download as video</source>
        <translation>Download as video</translation>
    </message>
    <message id="youtube.openFolder">
        <source>Open the downloads folder</source>
        <translation>Open the downloads folder</translation>
    </message>
    <message id="youtube.search">
        <source>Search YouTube or paste a link</source>
        <translation>Search YouTube or paste a link</translation>
    </message>
    <message id="youtube.error">
        <source>The search did not work</source>
        <translation>The search did not work</translation>
    </message>
    <message id="youtube.empty">
        <source>Search YouTube to listen, watch or download</source>
        <translation>Search YouTube to listen, watch or download</translation>
    </message>
    <message id="download.starting">
        <source>Starting…</source>
        <translation>Starting…</translation>
    </message>
    <message id="download.converting">
        <source>Converting…</source>
        <translation>Converting…</translation>
    </message>
    <message id="download.cancelled">
        <source>Cancelled</source>
        <translation>Cancelled</translation>
    </message>
    <message id="download.done">
        <source>Done</source>
        <translation>Done</translation>
    </message>
    <message id="download.lyricsAdded">
        <source>Lyrics added</source>
        <translation>Lyrics added</translation>
    </message>
    <message id="download.lyricsNone">
        <source>No lyrics found</source>
        <translation>No lyrics found</translation>
    </message>
    <message id="youtube.qualityBest">
        <source>Best quality</source>
        <translation>Best quality</translation>
    </message>
    <message id="recordings.running">
        <source>Recording</source>
        <translation>Recording</translation>
    </message>
    <message id="recordings.ready">
        <source>Ready to record</source>
        <translation>Ready to record</translation>
    </message>
    <message id="toast.dialogUnavailable">
        <source>This dialog cannot open: Qt's file dialog needs the package %1.</source>
        <translation>This dialog cannot open: Qt's file dialog needs the package %1.</translation>
    </message>
    <message id="toast.musicDatabaseMovedAside">
        <source>The music database could not be read and was moved aside as %1; a new one was made.</source>
        <translation>The music database could not be read and was moved aside as %1; a new one was made.</translation>
    </message>
    <message id="toast.musicDatabaseUnavailable">
        <source>The music database cannot be opened; the library keeps its tracks in music.json.</source>
        <translation>The music database cannot be opened; the library keeps its tracks in music.json.</translation>
    </message>
    <message id="toast.cannotPlay">
        <source>Cannot play “%1”. %2</source>
        <translation>Cannot play “%1”. %2</translation>
    </message>
    <message id="error.fileMissing">
        <source>The file is missing.</source>
        <translation>The file is missing.</translation>
    </message>
    <message id="error.notAudioFile">
        <source>Not a playable audio file.</source>
        <translation>Not a playable audio file.</translation>
    </message>
    <message id="stations.replaceTitle">
        <source>Replace “%1”?</source>
        <translation>Replace “%1”?</translation>
    </message>
    <message id="stations.replaceText">
        <source>A file of that name is already in %1. Replacing it overwrites what it holds.</source>
        <translation>A file of that name is already in %1. Replacing it overwrites what it holds.</translation>
    </message>
    <message id="action.replace">
        <source>Replace</source>
        <translation>Replace</translation>
    </message>
    <message id="toast.noFileManager">
        <source>No file manager could be started to show %1</source>
        <translation>No file manager could be started to show %1</translation>
    </message>
    <message id="stations.linkScheme">
        <source>A station link begins with http://, https:// or file://</source>
        <translation>A station link begins with http://, https:// or file://</translation>
    </message>
    <message id="stations.linkControl">
        <source>A station link cannot hold line breaks or control characters</source>
        <translation>A station link cannot hold line breaks or control characters</translation>
    </message>
    <message id="action.undo">
        <source>Undo</source>
        <translation>Undo</translation>
    </message>
    <message id="music.playlistDeleted">
        <source>“%1” deleted</source>
        <translation>“%1” deleted</translation>
    </message>
    <message id="rule.problem.wholeNumber">
        <source>Whole numbers only</source>
        <translation>Whole numbers only</translation>
    </message>
    <message id="rule.problem.stars">
        <source>From 1 to 5</source>
        <translation>From 1 to 5</translation>
    </message>
    <message id="music.coverUnsupported">
        <source>A .%1 file cannot hold a cover picture.</source>
        <translation>A .%1 file cannot hold a cover picture.</translation>
    </message>
</context>
</TS>