// The English texts of the keys that the deck's and the panels' rules choose in C++ (the
// deck's lines, the recording and mute buttons, counts, the toasts of the panels' actions).
// They are listed here so that the translation table carries them.
#include <QtGlobal>

namespace ZintraRadio {

[[maybe_unused]] const char* const deckTexts[] = {
    //% "Nothing playing"
    QT_TRID_NOOP("deck.nothing"),
    //% "Pick a station"
    QT_TRID_NOOP("deck.pickSomething"),
    //% "Stopped"
    QT_TRID_NOOP("deck.stopped"),
    //% "Connecting"
    QT_TRID_NOOP("stage.connecting"),
    //% "Paused"
    QT_TRID_NOOP("stage.paused"),
    //% "Video"
    QT_TRID_NOOP("deck.video"),
    //% "Play"
    QT_TRID_NOOP("deck.play"),
    //% "Pause"
    QT_TRID_NOOP("deck.pause"),
    //% "REC"
    QT_TRID_NOOP("deck.rec"),
    //% "Start recording"
    QT_TRID_NOOP("deck.recStart"),
    //% "Stop recording"
    QT_TRID_NOOP("deck.recStop"),
    //% "New file for every song: on"
    QT_TRID_NOOP("deck.splitOn"),
    //% "New file for every song: off"
    QT_TRID_NOOP("deck.splitOff"),
    //% "Mute"
    QT_TRID_NOOP("deck.mute"),
    //% "Unmute"
    QT_TRID_NOOP("deck.unmute"),
    //% "%n station(s)"
    QT_TRID_N_NOOP("count.stations"),
    //% "%n entries"
    QT_TRID_N_NOOP("count.entries"),
    //% "Top"
    QT_TRID_NOOP("discover.top"),
    //% "Top Voted"
    QT_TRID_NOOP("discover.topVoted"),
    //% "Country"
    QT_TRID_NOOP("discover.country"),
    //% "Stations added: %1"
    QT_TRID_NOOP("toast.imported"),
    //% "Stations exported"
    QT_TRID_NOOP("toast.exported"),
    //% "The playlist file could not be read."
    QT_TRID_NOOP("toast.importFailed"),
};

} // namespace ZintraRadio
