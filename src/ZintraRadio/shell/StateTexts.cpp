// The English texts of the messages the state layer and the rules build in C++ (toasts,
// error texts). They are listed here so that the translation table carries them; the code
// that shows them looks them up by key.
#include <QtGlobal>

namespace ZintraRadio {

[[maybe_unused]] const char* const stateTexts[] = {
    //% "Copied"
    QT_TRID_NOOP("toast.copied"),
    //% "Nothing is playing, so there is nothing to record."
    QT_TRID_NOOP("toast.nothingToRecord"),
    //% "Reconnecting (%1 of %2)…"
    QT_TRID_NOOP("toast.reconnecting"),
    //% "Recording saved: %1"
    QT_TRID_NOOP("toast.recordingSaved"),
    //% "%1 is already downloading."
    QT_TRID_NOOP("toast.downloadRunning"),
    //% "Downloaded: %1"
    QT_TRID_NOOP("toast.downloaded"),
    //% "The video could not be played: %1"
    QT_TRID_NOOP("toast.videoFailed"),
    //% "yt-dlp is not installed."
    QT_TRID_NOOP("tools.missingYtDlp"),
    //% "Nothing found."
    QT_TRID_NOOP("youtube.noResults"),
    //% "New Playlist"
    QT_TRID_NOOP("music.newPlaylist"),
    //% "New Smart Playlist"
    QT_TRID_NOOP("music.newSmartPlaylist"),
    //% "No cover found."
    QT_TRID_NOOP("music.noCoverFound"),
    //% "%n item(s) added to the queue"
    QT_TRID_N_NOOP("music.queued"),
    //% "%n file(s) could not be moved to the Trash and stay in the library."
    QT_TRID_N_NOOP("music.trashFailed"),
    //% "Could not move %1 to the Trash; it is still there."
    QT_TRID_NOOP("toast.trashFailed"),
    //% "The music database could not be read and was moved aside as %1; a new one was made."
    QT_TRID_NOOP("toast.musicDatabaseMovedAside"),
    //% "The music database cannot be opened; the library keeps its tracks in music.json."
    QT_TRID_NOOP("toast.musicDatabaseUnavailable"),
    //% "Cannot play “%1”. %2"
    QT_TRID_NOOP("toast.cannotPlay"),
    //% "The file is missing."
    QT_TRID_NOOP("error.fileMissing"),
    //% "Not a playable audio file."
    QT_TRID_NOOP("error.notAudioFile"),
    //% "No file manager could be started to show %1"
    QT_TRID_NOOP("toast.noFileManager"),
    //% "Nothing is playing."
    QT_TRID_NOOP("error.notPlaying"),
    //% "No playable stream found."
    QT_TRID_NOOP("error.noStream"),
    //% "%1 is not installed:"
    QT_TRID_NOOP("error.missingTool"),
    //% "Undo"
    QT_TRID_NOOP("action.undo"),
};

} // namespace ZintraRadio
