#include "state/MusicUI.hpp"

#include "ZazidEvoz/platform/Hash.hpp"
#include "state/Observable.hpp"
#include "state/QtValues.hpp"
#include "state/TestHooks.hpp"

#include <array>

namespace ZintraRadio {

namespace {

constexpr std::array<MusicUI::Tab, 5> allTabs{MusicUI::Tab::albums, MusicUI::Tab::tracks,
                                              MusicUI::Tab::genres, MusicUI::Tab::artists,
                                              MusicUI::Tab::playlists};

constexpr std::array<MusicUI::Route::Kind, 5> allRouteKinds{
    MusicUI::Route::Kind::album, MusicUI::Route::Kind::genre, MusicUI::Route::Kind::artist,
    MusicUI::Route::Kind::playlist, MusicUI::Route::Kind::smart};

std::optional<MusicUI::Route> routeFrom(const QString& kindName, const QString& nameOrId) {
    using Kind = MusicUI::Route::Kind;
    for (Kind kind : allRouteKinds) {
        if (kindName != QLatin1String(rawValue(kind).data(), qsizetype(rawValue(kind).size())))
            continue;
        switch (kind) {
        case Kind::album:
            return MusicUI::Route::album(stdText(nameOrId));
        case Kind::genre:
            return MusicUI::Route::genre(stdText(nameOrId));
        case Kind::artist:
            return MusicUI::Route::artist(stdText(nameOrId));
        case Kind::playlist:
        case Kind::smart: {
            auto id = Uuid::fromText(stdText(nameOrId));
            if (!id)
                return std::nullopt;
            return kind == Kind::playlist ? MusicUI::Route::playlist(*id) : MusicUI::Route::smart(*id);
        }
        }
    }
    return std::nullopt;
}

QString mapText(const QVariantMap& map, const char* key) {
    return map.value(QLatin1String(key)).toString();
}

} // namespace

std::string_view rawValue(MusicUI::Tab tab) {
    switch (tab) {
    case MusicUI::Tab::albums:
        return "albums";
    case MusicUI::Tab::tracks:
        return "tracks";
    case MusicUI::Tab::genres:
        return "genres";
    case MusicUI::Tab::artists:
        return "artists";
    case MusicUI::Tab::playlists:
        return "playlists";
    }
    return "albums";
}

std::optional<MusicUI::Tab> musicTabFromRawValue(std::string_view text) {
    for (MusicUI::Tab tab : allTabs)
        if (rawValue(tab) == text)
            return tab;
    return std::nullopt;
}

std::string labelKey(MusicUI::Tab tab) {
    return "music.tab." + std::string(rawValue(tab));
}

std::string_view rawValue(MusicUI::Route::Kind kind) {
    switch (kind) {
    case MusicUI::Route::Kind::album:
        return "album";
    case MusicUI::Route::Kind::genre:
        return "genre";
    case MusicUI::Route::Kind::artist:
        return "artist";
    case MusicUI::Route::Kind::playlist:
        return "playlist";
    case MusicUI::Route::Kind::smart:
        return "smart";
    }
    return "album";
}

std::size_t MusicUI::RouteHash::operator()(const Route& route) const {
    return ZazidEvoz::platform::hashValues(static_cast<int>(route.kind()), route.name(), route.id());
}

MusicUI::MusicUI(QObject* parent) : MusicUI(HookReader(&TestHooks::value), parent) {}

MusicUI::MusicUI(const HookReader& hooks, QObject* parent) : QObject(parent) {
    if (auto tab = hooks("MUSIC_TAB"))
        tab_ = musicTabFromRawValue(*tab).value_or(Tab::albums);
    if (auto search = hooks("MUSIC_SEARCH"))
        search_ = std::move(*search); // as given, blanks included
}

void MusicUI::setTab(Tab tab) {
    storeProperty(this, tab_, tab, &MusicUI::tabChanged);
}

void MusicUI::setSearch(std::string search) {
    storeProperty(this, search_, std::move(search), &MusicUI::searchChanged);
}

void MusicUI::setSelection(std::set<std::string> selection) {
    storeProperty(this, selection_, std::move(selection), &MusicUI::selectionChanged);
}

void MusicUI::toggleSelected(const QString& path) {
    auto selection = selection_;
    const std::string key = stdText(path);
    if (!selection.erase(key))
        selection.insert(key);
    setSelection(std::move(selection));
}

bool MusicUI::isSelected(const QString& path) const {
    return selection_.contains(stdText(path));
}

void MusicUI::setEditing(std::optional<Track> track) {
    storeProperty(this, editing_, std::move(track), &MusicUI::editingChanged);
}

void MusicUI::setLyricsRequest(std::optional<LyricsRequest> request) {
    // Asking again for the song on screen still asks: the sheet may have been closed meanwhile.
    editProperty(
        this, lyricsRequest_, [&](auto& field) { field = std::move(request); },
        &MusicUI::lyricsRequestChanged);
}

void MusicUI::setSmartDraft(std::optional<SmartPlaylist> draft) {
    storeProperty(this, smartDraft_, std::move(draft), &MusicUI::smartDraftChanged);
}

void MusicUI::setSmartDraftIsNew(bool isNew) {
    storeProperty(this, smartDraftIsNew_, isNew, &MusicUI::smartDraftIsNewChanged);
}

void MusicUI::setBrowserHidden(bool hidden) {
    storeProperty(this, browserHidden_, hidden, &MusicUI::browserHiddenChanged);
}

void MusicUI::setAnimation(const ViewAnimation& animation) {
    storeProperty(this, animation_, animation, &MusicUI::animationChanged);
}

void MusicUI::open(const Route& route) {
    setAnimation(pageAnimation);
    storeProperty(this, route_, std::optional<Route>(route), &MusicUI::routeChanged);
    setSelection({});
    setBrowserHidden(false);
}

void MusicUI::close() {
    setAnimation(pageAnimation);
    storeProperty(this, route_, std::optional<Route>(), &MusicUI::routeChanged);
    setSelection({});
}

SmartPlaylist MusicUI::newSmartPlaylistDraft() {
    SmartPlaylist draft;
    draft.id = Uuid::random();
    draft.rules = {ZazidEvoz::SmartRule::genreIs("")};
    draft.matchAll = true;
    draft.sort = ZazidEvoz::SmartSort::title;
    draft.limit = 0;
    return draft;
}

void MusicUI::startNewSmartPlaylist() {
    setSmartDraftIsNew(true);
    setSmartDraft(newSmartPlaylistDraft());
}

void MusicUI::editSmartPlaylist(const SmartPlaylist& playlist) {
    setSmartDraftIsNew(false);
    setSmartDraft(playlist);
}

// ---- For the views

QString MusicUI::tabName() const {
    return qtText(std::string(rawValue(tab_)));
}

void MusicUI::setTabName(const QString& name) {
    if (auto tab = musicTabFromRawValue(stdText(name)))
        setTab(*tab);
}

QStringList MusicUI::tabNames() {
    QStringList names;
    for (Tab tab : allTabs)
        names << qtText(std::string(rawValue(tab)));
    return names;
}

QVariant MusicUI::routeValue() const {
    if (!route_)
        return {};
    QVariantMap map{{QStringLiteral("kind"), qtText(std::string(rawValue(route_->kind())))}};
    if (route_->namedById())
        map.insert(QStringLiteral("id"), qtText(route_->id().text()));
    else
        map.insert(QStringLiteral("name"), qtText(route_->name()));
    return map;
}

bool MusicUI::open(const QString& kind, const QString& nameOrId) {
    auto route = routeFrom(kind, nameOrId);
    if (!route)
        return false;
    open(*route);
    return true;
}

QString MusicUI::searchText() const {
    return qtText(search_);
}

void MusicUI::setSearchText(const QString& text) {
    setSearch(stdText(text));
}

QStringList MusicUI::selectionList() const {
    QStringList paths;
    paths.reserve(qsizetype(selection_.size()));
    for (const std::string& path : selection_)
        paths << qtText(path);
    return paths;
}

void MusicUI::setSelectionList(const QStringList& paths) {
    std::set<std::string> selection;
    for (const QString& path : paths)
        selection.insert(stdText(path));
    setSelection(std::move(selection));
}

QVariant MusicUI::editingValue() const {
    if (!editing_)
        return {};
    const Track& track = *editing_;
    return QVariantMap{
        {QStringLiteral("path"), qtText(track.path)},
        {QStringLiteral("title"), qtText(track.title)},
        {QStringLiteral("artist"), qtText(track.artist)},
        {QStringLiteral("album"), qtText(track.album)},
        {QStringLiteral("genre"), qtText(track.genre)},
        {QStringLiteral("year"), static_cast<qint64>(track.year)},
        {QStringLiteral("duration"), track.duration},
        {QStringLiteral("coverFile"), optionalText(track.coverFile)},
        {QStringLiteral("rating"), static_cast<qint64>(track.rating)},
    };
}

void MusicUI::setEditingValue(const QVariant& value) {
    if (value.isNull() || !value.isValid()) {
        setEditing(std::nullopt);
        return;
    }
    const QVariantMap map = value.toMap();
    if (mapText(map, "path").isEmpty())
        return; // a track is named by its path: without one there is nothing to edit
    Track track;
    track.path = stdText(mapText(map, "path"));
    track.title = stdText(mapText(map, "title"));
    track.artist = stdText(mapText(map, "artist"));
    track.album = stdText(mapText(map, "album"));
    track.genre = stdText(mapText(map, "genre"));
    track.year = map.value(QStringLiteral("year")).toLongLong();
    track.duration = map.value(QStringLiteral("duration")).toDouble();
    if (const QVariant cover = map.value(QStringLiteral("coverFile")); !cover.isNull() && cover.isValid())
        track.coverFile = stdText(cover.toString());
    track.rating = map.value(QStringLiteral("rating")).toLongLong();
    setEditing(std::move(track));
}

QVariant MusicUI::lyricsRequestValue() const {
    if (!lyricsRequest_)
        return {};
    return QVariantMap{
        {QStringLiteral("id"), qtText(lyricsRequest_->id.text())},
        {QStringLiteral("artist"), qtText(lyricsRequest_->artist)},
        {QStringLiteral("title"), qtText(lyricsRequest_->title)},
    };
}

void MusicUI::setLyricsRequestValue(const QVariant& value) {
    if (value.isNull() || !value.isValid()) {
        setLyricsRequest(std::nullopt);
        return;
    }
    const QVariantMap map = value.toMap();
    LyricsRequest request;
    if (auto id = Uuid::fromText(stdText(mapText(map, "id"))))
        request.id = *id;
    request.artist = stdText(mapText(map, "artist"));
    request.title = stdText(mapText(map, "title"));
    setLyricsRequest(std::move(request));
}

QVariant MusicUI::smartDraftValue() const {
    if (!smartDraft_)
        return {};
    return QVariantMap{
        {QStringLiteral("id"), qtText(smartDraft_->id.text())},
        {QStringLiteral("name"), qtText(smartDraft_->name)},
        {QStringLiteral("matchAll"), smartDraft_->matchAll},
        {QStringLiteral("sort"), qtText(std::string(ZazidEvoz::rawValue(smartDraft_->sort)))},
        {QStringLiteral("limit"), static_cast<qint64>(smartDraft_->limit)},
        {QStringLiteral("ruleCount"), static_cast<qint64>(smartDraft_->rules.size())},
    };
}

void MusicUI::setSmartDraftValue(const QVariant& value) {
    if (value.isNull() || !value.isValid())
        setSmartDraft(std::nullopt);
}

} // namespace ZintraRadio
