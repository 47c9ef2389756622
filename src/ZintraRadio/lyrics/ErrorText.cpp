#include "lyrics/ErrorText.hpp"

#include "kit/ShownText.hpp"

namespace ZintraRadio {

std::string ErrorText::localized(std::string_view message) {
    // One rule for toasts, the deck and the lyrics views.
    const QString text = QString::fromUtf8(message.data(), static_cast<qsizetype>(message.size()));
    return displayedError(text, [](const char* key) { return qtTrId(key); }).toStdString();
}

ErrorText* ErrorText::create(QQmlEngine*, QJSEngine*) {
    return new ErrorText();
}

QString ErrorText::localized(const QString& message) const {
    return displayedError(message, [](const char* key) { return qtTrId(key); });
}

} // namespace ZintraRadio
