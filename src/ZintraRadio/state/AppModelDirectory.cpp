// AppModel: the station directory's lists: countries and tags for the browser's menus, the
// browse list of one scope, and the quick search beside the user's own stations. Each request
// runs on a worker thread; a newer browse or search cancels the older one, whose answer is
// then dropped.
#include "ZazidEvoz/platform/Text.hpp"
#include "state/AppModel.hpp"

#include <QPointer>
#include <QString>
#include <algorithm>
#include <unordered_set>

namespace ZintraRadio {

namespace text = ZazidEvoz::text;

std::vector<std::string> directoryMirrorList(std::string_view list) {
    std::vector<std::string> mirrors;
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t comma = std::min(list.find(',', start), list.size());
        std::string mirror = text::trimmedWhitespace(list.substr(start, comma - start));
        // The request paths bring their own "/".
        while (!mirror.empty() && mirror.back() == '/')
            mirror.pop_back();
        if (!mirror.empty())
            mirrors.push_back(std::move(mirror));
        start = comma + 1;
    }
    return mirrors;
}

void AppModel::loadDirectoryMeta() {
    auto client = radioBrowser_;
    directoryMetaTask_ = TaskRunner::run(
        this, "ZR countries", [client](std::stop_token stop) { return client->countries(stop); },
        [this, client](Outcome<std::vector<ZazidEvoz::StationCountry>> outcome) {
            if (outcome.ok()) {
                auto countries = std::move(*outcome.value);
                std::erase_if(countries, [](const auto& country) { return country.stationCount <= 4; });
                std::stable_sort(countries.begin(), countries.end(), [](const auto& a, const auto& b) {
                    return QString::localeAwareCompare(qtText(a.name), qtText(b.name)) < 0;
                });
                setCountries(std::move(countries));
            }
            // Tags follow whether or not the countries came.
            directoryMetaTask_ = TaskRunner::run(
                this, "ZR dir tags", [client](std::stop_token stop) { return client->tags(120, stop); },
                [this](Outcome<std::vector<ZazidEvoz::StationTag>> tags) {
                    if (tags.ok())
                        setTags(std::move(*tags.value));
                });
        });
}

void AppModel::loadBrowse(const BrowseScope& scope) {
    setBrowseScope(scope);
    browseTask_.cancel();
    setBrowseLoading(true);
    setBrowseError(std::nullopt);
    auto client = radioBrowser_;
    browseTask_ = TaskRunner::run(
        this, "ZR dir browse",
        [client, scope](std::stop_token stop) {
            return std::visit(
                [&](const auto& value) {
                    using T = std::decay_t<decltype(value)>;
                    if constexpr (std::is_same_v<T, BrowseScope::Search>)
                        return client->search(value.text, 100, stop);
                    else if constexpr (std::is_same_v<T, BrowseScope::Country>)
                        return client->byCountry(value.country.code, 150, stop);
                    else if constexpr (std::is_same_v<T, BrowseScope::Tag>)
                        return client->byTag(value.name, 100, stop);
                    else if constexpr (std::is_same_v<T, BrowseScope::Top>)
                        return client->top(100, stop);
                    else
                        return client->topVoted(100, stop);
                },
                scope.value);
        },
        [this](Outcome<std::vector<Station>> outcome) {
            if (outcome.ok()) {
                setBrowseResults(std::move(*outcome.value));
                setBrowseLoading(false);
                return;
            }
            if (isCancellation(outcome.error))
                return;
            setBrowseError(outcome.errorText());
            setBrowseResults({});
            setBrowseLoading(false);
        });
}

void AppModel::searchStations(const std::string& text) {
    if (text::trimmedHorizontalWhitespace(text).empty())
        loadBrowse(BrowseScope::top());
    else
        loadBrowse(BrowseScope::search(text));
}

void AppModel::searchDirectory(const std::string& text) {
    if (directoryDebounce_)
        directoryDebounce_->cancel();
    directoryTask_.cancel();
    const std::string query = text::trimmedWhitespace(text);
    if (text::characterCount(query) < 2) {
        setDirectoryHits({});
        setDirectoryLoading(false);
        setDirectoryError(false);
        return;
    }
    // The error flag stays as it is until the answer comes.
    setDirectoryLoading(true);
    QPointer<AppModel> self(this);
    directoryDebounce_ = scheduler_->schedule(directorySearchDelay, [self, query] {
        if (self)
            self->startDirectorySearch(query);
    });
}

void AppModel::startDirectorySearch(const std::string& query) {
    auto client = radioBrowser_;
    directoryTask_ = TaskRunner::run(
        this, "ZR dir search",
        [client, query](std::stop_token stop) { return client->search(query, 60, stop); },
        [this](Outcome<std::vector<Station>> outcome) {
            if (outcome.ok()) {
                // Only what the user's own station list lacks; favourites and history do not count.
                std::unordered_set<std::string_view> own;
                for (const auto& station : library_.stations)
                    own.insert(station.url);
                auto hits = std::move(*outcome.value);
                std::erase_if(hits, [&](const Station& hit) { return own.contains(hit.url); });
                setDirectoryHits(std::move(hits));
                setDirectoryError(false);
                setDirectoryLoading(false);
                return;
            }
            if (isCancellation(outcome.error))
                return;
            setDirectoryHits({});
            setDirectoryError(true);
            setDirectoryLoading(false);
        });
}

void AppModel::loadBrowse(const QVariantMap& scope) {
    const QString kind = scope.value(QStringLiteral("kind")).toString();
    if (kind == QLatin1String("search"))
        loadBrowse(BrowseScope::search(stdText(scope.value(QStringLiteral("text")).toString())));
    else if (kind == QLatin1String("country"))
        loadBrowse(BrowseScope::country({stdText(scope.value(QStringLiteral("name")).toString()),
                                         stdText(scope.value(QStringLiteral("code")).toString()),
                                         scope.value(QStringLiteral("stationCount")).toLongLong()}));
    else if (kind == QLatin1String("tag"))
        loadBrowse(BrowseScope::tag(stdText(scope.value(QStringLiteral("name")).toString())));
    else if (kind == QLatin1String("topVoted"))
        loadBrowse(BrowseScope::topVoted());
    else
        loadBrowse(BrowseScope::top());
}

} // namespace ZintraRadio
