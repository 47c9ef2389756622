// The shell's rules as pure functions: which tools the banner names, the rail's badges, and
// how engine texts are shown in toasts.
#pragma once

#include <QFont>
#include <QString>
#include <QStringList>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace ZintraRadio {

// "ffmpeg", "yt-dlp" or "ffmpeg + yt-dlp"; the FAKE_MISSING_TOOLS hook names both. Empty when
// nothing is missing.
std::string missingTools(bool hasFFmpeg, bool hasYtDlp, bool fakeMissing);

// The badge count of the YouTube module: downloads still running or converting.
int activeDownloadCount(const std::vector<std::string>& phases);

// The text a toast or a failed state shows for an engine message: the engine's few known
// English texts become localised ones (through `translate`, which maps a key to its text);
// every other message is shown as it is.
QString displayedError(const QString& message, const std::function<QString(const char*)>& translate);

// `text` as it fits in `maximumLines` lines of `width` wrapped at word boundaries (anywhere
// inside a word too long for a line): unchanged when it fits, else cut in the middle with "…",
// keeping as much of both ends as fits and never splitting a user-perceived character.
QString middleCut(const QString& text, const QFont& font, qreal width, int maximumLines);

// Whether the program can show a window: an X display or a Wayland display is named, or a Qt
// platform was chosen on purpose (offscreen, say). Unset variables are passed as empty texts.
bool hasGraphicalSession(std::string_view display, std::string_view waylandDisplay, std::string_view chosenPlatform);

} // namespace ZintraRadio
