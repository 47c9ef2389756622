#include "lyrics/LyricsViewRules.hpp"

#include "ZazidEvoz/platform/Uuid.hpp"
#include "lyrics/LyricsPresenter.hpp"
#include "lyrics/LyricsRules.hpp"

namespace ZintraRadio {

LyricsViewRules* LyricsViewRules::create(QQmlEngine*, QJSEngine*) {
    return new LyricsViewRules();
}

QString LyricsViewRules::offsetReadout(double offset) const {
    return QString::fromStdString(lyricsview::offsetReadout(offset));
}

double LyricsViewRules::introDotScale(int dot, double time) const {
    return lyricsview::introDotStyle(dot, time).scale;
}

double LyricsViewRules::introDotColorPosition(int dot) const {
    return lyricsview::introDotStyle(dot, 0).colorPosition;
}

double LyricsViewRules::statusBarHeight(int bar, double time, bool busy) const {
    return lyricsview::statusBar(bar, time, busy).height;
}

double LyricsViewRules::statusBarColorPosition(int bar, bool busy) const {
    return lyricsview::statusBar(bar, 0, busy).colorPosition.value_or(-1);
}

double LyricsViewRules::referenceTime() const {
    return LyricsPresenter::referenceSeconds(ZazidEvoz::platform::now());
}

QVariantMap LyricsViewRules::lyricsRequest(const QString& artist, const QString& title) const {
    return {{QStringLiteral("id"), QString::fromStdString(ZazidEvoz::platform::Uuid::random().text())},
            {QStringLiteral("artist"), artist},
            {QStringLiteral("title"), title}};
}

} // namespace ZintraRadio
