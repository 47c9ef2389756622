#include "kit/ShownText.hpp"

#include "state/QtValues.hpp"

namespace ZintraRadio {

QString shownText(const ShownText& text) {
    switch (text.kind) {
    case ShownText::Kind::key:
        return qtTrId(text.value.c_str());
    case ShownText::Kind::error:
        return displayedError(qtText(text.value), [](const char* key) { return qtTrId(key); });
    case ShownText::Kind::verbatim:
        break;
    }
    return qtText(text.value);
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

std::string splitHelpKey(bool split) {
    return split ? "deck.splitOn" : "deck.splitOff";
}

} // namespace ZintraRadio
