// AppModel: the station directory's lists: countries and tags for the browser's menus, and
// the browse list of one scope. Each request runs on a worker thread; a newer browse cancels
// the older one, whose answer is then dropped.
#include "state/AppModel.hpp"

#include <QString>
#include <algorithm>

namespace ZintraRadio {

void AppModel::loadDirectoryMeta() {
    auto client = radioBrowser_;
    directoryMetaTask_ = TaskRunner::run(
        this, "ZintraRadio countries", [client](std::stop_token stop) { return client->countries(stop); },
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
                this, "ZintraRadio tags", [client](std::stop_token stop) { return client->tags(120, stop); },
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
        this, "ZintraRadio browse",
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

} // namespace ZintraRadio
