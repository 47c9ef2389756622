#include "state/QtValues.hpp"

namespace ZintraRadio {

std::string localizedText(const char* key, const QStringList& arguments) {
    QString text = qtTrId(key);
    if (text == QLatin1String(key)) {
        // No table holds the key: keep what would have filled it visible.
        if (!arguments.isEmpty())
            text += QLatin1Char(' ') + arguments.join(QLatin1Char(' '));
        return text.toStdString();
    }
    // One pass over the markers: a "%2" inside the first argument (a file name) stays text.
    QString filled;
    for (qsizetype at = 0; at < text.size(); ++at) {
        const int number = at + 1 < text.size() ? text[at + 1].digitValue() : -1;
        if (text[at] == QLatin1Char('%') && number >= 1 && number <= arguments.size()) {
            filled += arguments[number - 1];
            ++at;
        } else {
            filled += text[at];
        }
    }
    return filled.toStdString();
}

using ZazidEvoz::Station;

QVariant optionalText(const std::optional<std::string>& text) {
    return text ? QVariant(qtText(*text)) : QVariant();
}

QDateTime qtDate(ZazidEvoz::platform::Date date) {
    const double seconds = ZazidEvoz::platform::secondsSince1970(date);
    return QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(seconds * 1000.0), Qt::UTC);
}

QVariantMap stationMap(const Station& station) {
    return {
        {QStringLiteral("kind"), qtText(std::string(ZazidEvoz::rawValue(station.kind)))},
        {QStringLiteral("name"), qtText(station.name)},
        {QStringLiteral("url"), qtText(station.url)},
        {QStringLiteral("genre"), qtText(station.genre)},
        {QStringLiteral("country"), qtText(station.country)},
        {QStringLiteral("countryCode"), qtText(station.countryCode)},
        {QStringLiteral("codec"), qtText(station.codec)},
        {QStringLiteral("bitrate"), static_cast<qint64>(station.bitrate)},
        {QStringLiteral("faviconURL"), qtText(station.faviconURL)},
        {QStringLiteral("votes"), static_cast<qint64>(station.votes)},
        {QStringLiteral("stationUUID"), qtText(station.stationUUID)},
        {QStringLiteral("uploader"), qtText(station.uploader)},
        {QStringLiteral("duration"), static_cast<qint64>(station.duration)},
        {QStringLiteral("thumbnailURL"), qtText(station.thumbnailURL)},
        {QStringLiteral("isLive"), station.isLive()},
    };
}

QVariant optionalStationMap(const std::optional<Station>& station) {
    return station ? QVariant(stationMap(*station)) : QVariant();
}

QVariantList stationMaps(const std::vector<Station>& stations) {
    QVariantList list;
    list.reserve(static_cast<qsizetype>(stations.size()));
    for (const auto& station : stations)
        list.append(stationMap(station));
    return list;
}

Station stationFromMap(const QVariantMap& map) {
    auto text = [&map](const char* key) { return stdText(map.value(QString::fromLatin1(key)).toString()); };
    auto number = [&map](const char* key) {
        return static_cast<std::int64_t>(map.value(QString::fromLatin1(key)).toLongLong());
    };
    Station station;
    station.name = text("name");
    station.url = text("url");
    station.kind = ZazidEvoz::mediaKindFromRawValue(text("kind")).value_or(Station::guessKind(station.url));
    station.genre = text("genre");
    station.country = text("country");
    station.countryCode = text("countryCode");
    station.codec = text("codec");
    station.bitrate = number("bitrate");
    station.faviconURL = text("faviconURL");
    station.votes = number("votes");
    station.stationUUID = text("stationUUID");
    station.uploader = text("uploader");
    station.duration = number("duration");
    station.thumbnailURL = text("thumbnailURL");
    return station;
}

std::vector<ListRole<Station>> stationRoles() {
    return {
        {"station", [](const Station& s) { return QVariant(stationMap(s)); }},
        {"kind", [](const Station& s) { return QVariant(qtText(std::string(ZazidEvoz::rawValue(s.kind)))); }},
        {"name", [](const Station& s) { return QVariant(qtText(s.name)); }},
        {"url", [](const Station& s) { return QVariant(qtText(s.url)); }},
        {"genre", [](const Station& s) { return QVariant(qtText(s.genre)); }},
        {"country", [](const Station& s) { return QVariant(qtText(s.country)); }},
        {"countryCode", [](const Station& s) { return QVariant(qtText(s.countryCode)); }},
        {"codec", [](const Station& s) { return QVariant(qtText(s.codec)); }},
        {"bitrate", [](const Station& s) { return QVariant(static_cast<qint64>(s.bitrate)); }},
        {"faviconURL", [](const Station& s) { return QVariant(qtText(s.faviconURL)); }},
        {"votes", [](const Station& s) { return QVariant(static_cast<qint64>(s.votes)); }},
        {"stationUUID", [](const Station& s) { return QVariant(qtText(s.stationUUID)); }},
        {"uploader", [](const Station& s) { return QVariant(qtText(s.uploader)); }},
        {"duration", [](const Station& s) { return QVariant(static_cast<qint64>(s.duration)); }},
        {"thumbnailURL", [](const Station& s) { return QVariant(qtText(s.thumbnailURL)); }},
        {"isLive", [](const Station& s) { return QVariant(s.isLive()); }},
    };
}

} // namespace ZintraRadio
