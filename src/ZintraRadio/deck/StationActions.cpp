#include "deck/StationActions.hpp"

#include "ZazidEvoz/platform/Text.hpp"
#include "deck/StationListRules.hpp"
#include "state/AppModel.hpp"
#include "state/QtValues.hpp"

#include <QQmlEngine>

namespace ZintraRadio {

namespace {

std::vector<ZazidEvoz::Station> stationsOf(const QVariantList& maps) {
    std::vector<ZazidEvoz::Station> stations;
    stations.reserve(static_cast<std::size_t>(maps.size()));
    for (const auto& map : maps)
        stations.push_back(stationFromMap(map.toMap()));
    return stations;
}

AppModel* appModel(QObject* model) {
    return qobject_cast<AppModel*>(model);
}

} // namespace

StationActions* StationActions::create(QQmlEngine*, QJSEngine*) {
    static StationActions* actions = new StationActions();
    QQmlEngine::setObjectOwnership(actions, QQmlEngine::CppOwnership);
    return actions;
}

void StationActions::playNext(QObject* model, const QVariantList& stations) const {
    if (auto* app = appModel(model)) {
        // Each one goes right after the current item: the last first keeps the given order.
        const auto items = stationsOf(stations);
        for (auto it = items.rbegin(); it != items.rend(); ++it)
            app->music()->playNext(*it);
    }
}

void StationActions::playLater(QObject* model, const QVariantList& stations) const {
    if (auto* app = appModel(model))
        app->music()->enqueue(stationsOf(stations));
}

void StationActions::addToPlaylist(QObject* model, const QVariantList& stations,
                                   const QString& playlist) const {
    if (auto* app = appModel(model))
        app->music()->add(stations, playlist);
}

void StationActions::addToNewPlaylist(QObject* model, const QVariantList& stations) const {
    if (auto* app = appModel(model))
        app->music()->createPlaylist(std::string(), stationsOf(stations));
}

int StationActions::importBrowseResults(QObject* model) const {
    auto* app = appModel(model);
    if (app == nullptr)
        return 0;
    const int added = app->importStations(app->browseResults());
    app->show(Toast::Style::success, localizedText("toast.imported", {QString::number(added)}));
    return added;
}

bool StationActions::dropStation(QObject* model, const QString& rawFilter, int from, const QString& url,
                                 int gap, bool insideList) const {
    auto* app = appModel(model);
    if (app == nullptr)
        return false;
    const RowDrop drop{from, stdText(url), gap, insideList};
    const auto move = stationMove(drop, stdText(rawFilter), app->library().stations);
    if (!move)
        return false;
    app->moveStations(move->offsets, move->destination);
    return true;
}

void StationActions::rename(QObject* model, const QVariantMap& station, const QString& name) const {
    if (auto* app = appModel(model))
        app->renameStation(stationFromMap(station),
                           ZazidEvoz::text::trimmedWhitespace(stdText(name)));
}

QString StationActions::linkProblem(const QString& link) const {
    switch (typedLinkProblem(stdText(link))) {
    case LinkProblem::none:
    case LinkProblem::blank:
        return {};
    case LinkProblem::scheme:
        //% "A station link begins with http://, https:// or file://"
        return qtTrId("stations.linkScheme");
    case LinkProblem::controlCharacter:
        //% "A station link cannot hold line breaks or control characters"
        return qtTrId("stations.linkControl");
    }
    return {};
}

bool StationActions::addStation(QObject* model, const QString& name, const QString& link,
                                const QString& genre) const {
    auto* app = appModel(model);
    if (app == nullptr || typedLinkProblem(stdText(link)) != LinkProblem::none)
        return false;
    app->addStation(name, link, genre);
    return true;
}

void StationActions::importFiles(QObject* model, const QList<QUrl>& files) const {
    if (auto* app = appModel(model))
        for (const QUrl& file : files)
            app->importPlaylistFile(file.isLocalFile() ? file.toLocalFile() : file.toString());
}

namespace {

std::filesystem::path exportFile(const QUrl& file) {
    const QString path = file.isLocalFile() ? file.toLocalFile() : file.toString();
    return exportPath(stdText(path));
}

} // namespace

QVariantMap StationActions::exportTarget(const QUrl& file) const {
    if (file.isEmpty())
        return {};
    const std::filesystem::path path = exportFile(file);
    std::error_code error;
    return {{QStringLiteral("path"), qtText(path.string())},
            {QStringLiteral("name"), qtText(path.filename().string())},
            {QStringLiteral("folder"), qtText(path.parent_path().string())},
            {QStringLiteral("exists"), std::filesystem::exists(path, error)}};
}

void StationActions::exportTo(QObject* model, const QUrl& file) const {
    auto* app = appModel(model);
    if (app == nullptr || file.isEmpty())
        return;
    app->exportLibrary(exportFile(file));
}

} // namespace ZintraRadio
