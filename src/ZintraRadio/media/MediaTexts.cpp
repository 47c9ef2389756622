// The English texts of the keys that the media panels' rules choose in C++ (download status
// lines, the lyrics badge, the recorder card, the best quality). They are listed here so that
// the translation table carries them.
#include <QtGlobal>

namespace ZintraRadio {

[[maybe_unused]] const char* const mediaTexts[] = {
    //% "Starting…"
    QT_TRID_NOOP("download.starting"),
    //% "Converting…"
    QT_TRID_NOOP("download.converting"),
    //% "Cancelled"
    QT_TRID_NOOP("download.cancelled"),
    //% "Done"
    QT_TRID_NOOP("download.done"),
    //% "Lyrics added"
    QT_TRID_NOOP("download.lyricsAdded"),
    //% "No lyrics found"
    QT_TRID_NOOP("download.lyricsNone"),
    //% "Save lyrics with downloads"
    QT_TRID_NOOP("youtube.withLyrics"),
    //% "Best quality"
    QT_TRID_NOOP("youtube.qualityBest"),
    //% "Recording"
    QT_TRID_NOOP("recordings.running"),
    //% "Ready to record"
    QT_TRID_NOOP("recordings.ready"),
};

} // namespace ZintraRadio
