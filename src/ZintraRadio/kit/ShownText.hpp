// The texts rules hand to the views, how engine failure texts are shown, and the text keys two
// modules share: for the shell, the deck, the lyrics and the media views alike.
#pragma once

#include <QString>
#include <functional>
#include <string>

namespace ZintraRadio {

// A text to show: a translation key, a value shown as it is (names, titles), or a failure
// message that goes through the error texts first.
struct ShownText {
    enum class Kind { key, verbatim, error };
    Kind kind = Kind::verbatim;
    std::string value;

    static ShownText key(std::string key) { return {Kind::key, std::move(key)}; }
    static ShownText verbatim(std::string text) { return {Kind::verbatim, std::move(text)}; }
    static ShownText error(std::string message) { return {Kind::error, std::move(message)}; }
    friend bool operator==(const ShownText&, const ShownText&) = default;
};

// A rule's text for the user: a key translated, a failure through the error texts, a name or
// title as it is.
QString shownText(const ShownText& text);

// The text a toast or a failed state shows for an engine message: the engine's few known
// English texts become localised ones (through `translate`, which maps a key to its text);
// every other message is shown as it is.
QString displayedError(const QString& message, const std::function<QString(const char*)>& translate);

// The help key of the recording's split toggle, on the deck and on the recorder card.
std::string splitHelpKey(bool split);

} // namespace ZintraRadio
