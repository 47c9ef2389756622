// The shell's rules as pure functions: which tools the banner names, the rail's badges, how
// long toast texts are cut, and whether a window can be shown.
#pragma once

#include <QFont>
#include <QString>
#include <QStringList>
#include <string>
#include <string_view>
#include <vector>

namespace ZintraRadio {

// "ffmpeg", "yt-dlp" or "ffmpeg + yt-dlp"; the FAKE_MISSING_TOOLS hook names both. Empty when
// nothing is missing.
std::string missingTools(bool hasFFmpeg, bool hasYtDlp, bool fakeMissing);

// The badge count of the YouTube module: downloads still running or converting.
int activeDownloadCount(const std::vector<std::string>& phases);

// `text` as it fits in `maximumLines` lines of `width` wrapped at word boundaries (anywhere
// inside a word too long for a line): unchanged when it fits, else cut in the middle with "…",
// keeping as much of both ends as fits and never splitting a user-perceived character.
QString middleCut(const QString& text, const QFont& font, qreal width, int maximumLines);

// Whether the program can show a window: an X display or a Wayland display is named, or a Qt
// platform was chosen on purpose (offscreen, say). Unset variables are passed as empty texts.
bool hasGraphicalSession(std::string_view display, std::string_view waylandDisplay, std::string_view chosenPlatform);

} // namespace ZintraRadio
