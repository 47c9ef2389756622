// How engine records reach QML: texts as QString (translated ones by key), stations as maps
// with the record's field names, and the role tables of the list models that show them.
#pragma once

#include "ZazidEvoz/catalogue/Station.hpp"
#include "ZazidEvoz/platform/Date.hpp"
#include "state/ListModel.hpp"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <QVariantMap>
#include <optional>
#include <string>
#include <vector>

namespace ZintraRadio {

inline QString qtText(const std::string& text) {
    return QString::fromStdString(text);
}
inline std::string stdText(const QString& text) {
    return text.toStdString();
}
// An absent text is an undefined QVariant (null in QML).
QVariant optionalText(const std::optional<std::string>& text);
QDateTime qtDate(ZazidEvoz::platform::Date date);

// The translation of a dotted text key, its "%1", "%2"... filled with `arguments`. Without
// a translation the key itself is the text, followed by the arguments.
std::string localizedText(const char* key, const QStringList& arguments = {});

// The fourteen fields by their names, "kind" as its stored text, plus "isLive".
QVariantMap stationMap(const ZazidEvoz::Station& station);
QVariant optionalStationMap(const std::optional<ZazidEvoz::Station>& station);
QVariantList stationMaps(const std::vector<ZazidEvoz::Station>& stations);
// Reads a map made by stationMap back (QML hands stations back to the models this way).
// Missing fields take their empty values; an unknown kind is guessed from the URL.
ZazidEvoz::Station stationFromMap(const QVariantMap& map);

// Roles of a station list: the field names above, and "station" with the whole map.
std::vector<ListRole<ZazidEvoz::Station>> stationRoles();

using StationListModel = VectorListModel<ZazidEvoz::Station>;

} // namespace ZintraRadio
