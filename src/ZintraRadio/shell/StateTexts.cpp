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
    //% "Nothing is playing."
    QT_TRID_NOOP("error.notPlaying"),
    //% "No playable stream found."
    QT_TRID_NOOP("error.noStream"),
    //% "%1 is not installed:"
    QT_TRID_NOOP("error.missingTool"),
};

} // namespace ZintraRadio
