#include "deck/DeckRules.hpp"

#include "ZazidEvoz/catalogue/DefaultStations.hpp"
#include "ZazidEvoz/playback/AudioEngine.hpp"
#include "deck/DiscoverRules.hpp"
#include "deck/HistoryRules.hpp"
#include "deck/NowPlayingRules.hpp"
#include "deck/StationListRules.hpp"
#include "kit/ShownText.hpp"
#include "kit/StationDetails.hpp"
#include "state/AppModel.hpp"
#include "state/QtValues.hpp"
#include "state/TestHooks.hpp"

#include <QDir>
#include <QLocale>
#include <QQmlEngine>
#include <QStringList>

namespace ZintraRadio {

namespace {

using ZazidEvoz::PlaybackState;

BrowseScope scopeFromMap(const QVariantMap& map) {
    const QString kind = map.value(QStringLiteral("kind")).toString();
    if (kind == QLatin1String("search"))
        return BrowseScope::search(stdText(map.value(QStringLiteral("text")).toString()));
    if (kind == QLatin1String("country"))
        return BrowseScope::country({stdText(map.value(QStringLiteral("name")).toString()),
                                     stdText(map.value(QStringLiteral("code")).toString()),
                                     map.value(QStringLiteral("stationCount")).toLongLong()});
    if (kind == QLatin1String("tag"))
        return BrowseScope::tag(stdText(map.value(QStringLiteral("name")).toString()));
    if (kind == QLatin1String("topVoted"))
        return BrowseScope::topVoted();
    return BrowseScope::top();
}

std::optional<std::size_t> optionalCount(const QVariant& value) {
    if (value.isNull() || !value.isValid())
        return std::nullopt;
    return static_cast<std::size_t>(std::max<qint64>(0, value.toLongLong()));
}

HistoryTab tabNamed(const QString& name) {
    return historyTabNamed(stdText(name)).value_or(HistoryTab::played);
}

} // namespace

DeckRules* DeckRules::create(QQmlEngine*, QJSEngine*) {
    static DeckRules* rules = new DeckRules();
    QQmlEngine::setObjectOwnership(rules, QQmlEngine::CppOwnership);
    return rules;
}

QVariantMap DeckRules::playButton(bool playing, bool busy, double size) const {
    const PlayButtonLook look = playButtonLook(playing, busy, size);
    return {{QStringLiteral("symbol"), qtText(look.symbol)},
            {QStringLiteral("glyphShift"), look.glyphShift},
            {QStringLiteral("glyphSize"), look.glyphSize},
            {QStringLiteral("ringWidth"), look.ringWidth},
            {QStringLiteral("helpText"), qtTrId(look.helpKey.c_str())}};
}

QVariantMap DeckRules::playButtonHover(bool hovering) const {
    const PlayButtonHover look = ZintraRadio::playButtonHover(hovering);
    return {{QStringLiteral("scale"), look.scale},
            {QStringLiteral("shadowRadius"), look.shadowRadius},
            {QStringLiteral("shadowOpacity"), look.shadowOpacity},
            {QStringLiteral("bodyOpacity"), look.bodyOpacity}};
}

QVariantMap DeckRules::clock(QObject* model) const {
    auto* app = qobject_cast<AppModel*>(model);
    // An open video's time, else the engine's counter (read under its lock, so this is safe
    // while it plays).
    const auto state = app ? app->transportState() : PlaybackState::Kind::stopped;
    const ClockLook look = clockLook(state, app ? app->transportElapsed() : 0);
    return {{QStringLiteral("elapsed"), qtText(look.elapsed)},
            {QStringLiteral("spectrum"), look.spectrum},
            {QStringLiteral("glowOpacity"), look.glowOpacity}};
}

QString DeckRules::wallClock(const QDateTime& now) const {
    const QLocale locale;
    const QString format = qtText(wallClockFormat(stdText(locale.timeFormat(QLocale::LongFormat))));
    return locale.toString(now.time(), format);
}

QVariantMap DeckRules::recordButton(bool recording, const QVariant& started, bool hovering,
                                    double nowMs) const {
    std::optional<double> elapsed;
    if (started.canConvert<QDateTime>() && started.toDateTime().isValid())
        elapsed = (nowMs - static_cast<double>(started.toDateTime().toMSecsSinceEpoch())) / 1000.0;
    const double pulse = recordPulse(nowMs / 1000.0 - referenceDateOffset, recording);
    const RecordLook look = recordLook(recording, elapsed, hovering, pulse);
    return {{QStringLiteral("text"), shownText(look.text)},
            {QStringLiteral("clockText"), look.text.kind == ShownText::Kind::verbatim},
            {QStringLiteral("stopSquare"), look.stopSquare},
            {QStringLiteral("haloDiameter"), look.haloDiameter},
            {QStringLiteral("haloOpacity"), look.haloOpacity},
            {QStringLiteral("glowOpacity"), look.glowOpacity},
            {QStringLiteral("glowRadius"), look.glowRadius},
            {QStringLiteral("fillOpacity"), look.fillOpacity},
            {QStringLiteral("strokeOpacity"), look.strokeOpacity},
            {QStringLiteral("textOpacity"), look.textOpacity},
            {QStringLiteral("helpText"), qtTrId(look.helpKey.c_str())}};
}

QString DeckRules::splitHelpKey(bool split) const {
    return qtText(ZintraRadio::splitHelpKey(split));
}

QVariantMap DeckRules::mute(double volume, bool muted) const {
    const MuteLook look = muteLook(volume, muted);
    return {{QStringLiteral("symbol"), qtText(look.symbol)},
            {QStringLiteral("helpKey"), qtText(look.helpKey)},
            {QStringLiteral("red"), look.red},
            {QStringLiteral("sliderOpacity"), look.sliderOpacity}};
}

QString DeckRules::queueBadge(int upNext) const {
    return qtText(ZintraRadio::queueBadge(static_cast<std::size_t>(std::max(0, upNext))).value_or(""));
}

QString DeckRules::stationCount(int count) const {
    return qtTrId("count.stations", count);
}

QString DeckRules::entryCount(int count) const {
    return qtTrId("count.entries", count);
}

QString DeckRules::trimmed(const QString& text) const {
    return qtText(filterQuery(stdText(text)));
}

QUrl DeckRules::exportFile() const {
    return QUrl::fromLocalFile(QDir(QDir::homePath()).filePath(qtText(std::string(exportFileName))));
}

QVariantList DeckRules::genreRows(const QVariantList& tags) const {
    std::vector<ZazidEvoz::StationTag> list;
    list.reserve(static_cast<std::size_t>(tags.size()));
    for (const auto& tag : tags) {
        const QVariantMap map = tag.toMap();
        list.push_back({stdText(map.value(QStringLiteral("name")).toString()),
                        map.value(QStringLiteral("stationCount")).toLongLong()});
    }
    QVariantList rows;
    for (const auto& row :
         ZintraRadio::genreRows(genreChips(list, ZazidEvoz::DefaultStations::genreTags()))) {
        QStringList names;
        for (const auto& name : row)
            names.append(qtText(name));
        rows.append(names);
    }
    return rows;
}

QVariantList DeckRules::countries(const QVariantList& countries) const {
    std::vector<ZazidEvoz::StationCountry> list;
    list.reserve(static_cast<std::size_t>(countries.size()));
    for (const auto& country : countries) {
        const QVariantMap map = country.toMap();
        list.push_back({stdText(map.value(QStringLiteral("name")).toString()),
                        stdText(map.value(QStringLiteral("code")).toString()),
                        map.value(QStringLiteral("stationCount")).toLongLong()});
    }
    QVariantList result;
    for (const auto& shown : shownCountries(list, regionName))
        result.append(
            QVariantMap{{QStringLiteral("name"), qtText(shown.country.name)},
                        {QStringLiteral("code"), qtText(shown.country.code)},
                        {QStringLiteral("stationCount"), static_cast<qint64>(shown.country.stationCount)},
                        {QStringLiteral("shownName"), qtText(shown.name)},
                        {QStringLiteral("entry"), qtText(countryEntry(shown))}});
    return result;
}

QString DeckRules::countryLabel(const QVariantMap& scope) const {
    const BrowseScope browse = scopeFromMap(scope);
    if (const auto* country = std::get_if<BrowseScope::Country>(&browse.value))
        return qtText(countryName(country->country, regionName));
    return qtTrId("discover.country");
}

QString DeckRules::scopeText(const QVariantMap& scope, int results) const {
    const std::string prefix =
        scopePrefix(scopeFromMap(scope), regionName, [](const char* key) { return stdText(qtTrId(key)); });
    return qtText(prefix) + stationCount(results);
}

QString DeckRules::discoverState(bool loading, const QVariant& error, int results) const {
    const bool hasError = error.isValid() && !error.isNull();
    switch (ZintraRadio::discoverState(loading, hasError, static_cast<std::size_t>(std::max(0, results)))) {
    case DiscoverState::loading:
        return QStringLiteral("loading");
    case DiscoverState::error:
        return QStringLiteral("error");
    case DiscoverState::results:
        return QStringLiteral("results");
    case DiscoverState::empty:
        break;
    }
    return QStringLiteral("empty");
}

QString DeckRules::historyStartTab() const {
    return QString::fromLatin1(historyTabName(historyTab(TestHooks::value("HISTORY"))));
}

int DeckRules::historyCount(const QString& tab, int stations, int songs, const QVariant& heard) const {
    return static_cast<int>(
        ZintraRadio::historyCount(tabNamed(tab), static_cast<std::size_t>(std::max(0, stations)),
                                  static_cast<std::size_t>(std::max(0, songs)), optionalCount(heard)));
}

bool DeckRules::offersClear(const QString& tab, int stations) const {
    return ZintraRadio::offersClear(tabNamed(tab), static_cast<std::size_t>(std::max(0, stations)));
}

QString DeckRules::filterHook() const {
    return qtText(TestHooks::value("FILTER").value_or(""));
}

QString DeckRules::searchHook() const {
    return qtText(TestHooks::value("SEARCH").value_or(""));
}

} // namespace ZintraRadio
