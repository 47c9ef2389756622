#include "shell/ShellRules.hpp"

#include <algorithm>

namespace ZintraRadio {

std::string missingTools(bool hasFFmpeg, bool hasYtDlp, bool fakeMissing) {
    std::vector<std::string> names;
    if (!hasFFmpeg || fakeMissing)
        names.emplace_back("ffmpeg");
    if (!hasYtDlp || fakeMissing)
        names.emplace_back("yt-dlp");
    std::string joined;
    for (std::size_t i = 0; i < names.size(); ++i)
        joined += (i == 0 ? "" : " + ") + names[i];
    return joined;
}

int activeDownloadCount(const std::vector<std::string>& phases) {
    return static_cast<int>(std::count_if(phases.begin(), phases.end(), [](const std::string& phase) {
        return phase == "running" || phase == "converting";
    }));
}

QString displayedError(const QString& message, const std::function<QString(const char*)>& translate) {
    if (message == QLatin1String("Nothing is playing."))
        return translate("error.notPlaying");
    if (message == QLatin1String("No playable stream found."))
        return translate("error.noStream");
    const QString marker = QStringLiteral(" not found - ");
    const auto at = message.indexOf(marker);
    if (at >= 0)
        return translate("error.missingTool").arg(message.left(at)) + QLatin1Char(' ') +
               message.mid(at + marker.size());
    return message;
}

bool hasGraphicalSession(std::string_view display, std::string_view waylandDisplay, std::string_view chosenPlatform) {
    return !display.empty() || !waylandDisplay.empty() || !chosenPlatform.empty();
}

} // namespace ZintraRadio
