#include "lyrics/ErrorText.hpp"

namespace ZintraRadio {

std::string ErrorText::localized(std::string_view message) {
    if (message == "Nothing is playing.")
        //% "Nothing is playing."
        return qtTrId("error.notPlaying").toStdString();
    if (message == "No playable stream found.")
        //% "No playable stream was found for this item."
        return qtTrId("error.noStream").toStdString();
    const auto marker = message.find(missingToolMarker);
    if (marker == std::string_view::npos)
        return std::string(message);
    const auto tool = QString::fromUtf8(message.data(), static_cast<qsizetype>(marker));
    const auto hint = message.substr(marker + missingToolMarker.size());
    //% "%1 was not found. Install it with:"
    std::string text = qtTrId("error.missingTool").arg(tool).toStdString();
    text.push_back(' ');
    text.append(hint);
    return text;
}

ErrorText* ErrorText::create(QQmlEngine*, QJSEngine*) {
    return new ErrorText();
}

QString ErrorText::localized(const QString& message) const {
    return QString::fromStdString(localized(message.toStdString()));
}

} // namespace ZintraRadio
