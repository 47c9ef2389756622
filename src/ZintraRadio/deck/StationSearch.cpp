#include "deck/StationSearch.hpp"

#include "state/AppModel.hpp"
#include "state/Observable.hpp"
#include "state/QtValues.hpp"

namespace ZintraRadio {

namespace {

QString kindName(SearchRow::Kind kind) {
    switch (kind) {
    case SearchRow::Kind::note:
        return QStringLiteral("note");
    case SearchRow::Kind::directoryHeader:
        return QStringLiteral("header");
    case SearchRow::Kind::hit:
        return QStringLiteral("hit");
    case SearchRow::Kind::station:
        break;
    }
    return QStringLiteral("station");
}

std::vector<ListRole<StationSearch::Entry>> entryRoles() {
    using Entry = StationSearch::Entry;
    return {
        {"kind", [](const Entry& e) { return QVariant(kindName(e.kind)); }},
        {"noteKey", [](const Entry& e) { return QVariant(qtText(e.noteKey)); }},
        {"station", [](const Entry& e) { return QVariant(stationMap(e.station)); }},
        {"url", [](const Entry& e) { return QVariant(qtText(e.station.url)); }},
    };
}

} // namespace

StationSearch::StationSearch(QObject* parent)
    : QObject(parent), rowModel_(std::make_unique<VectorListModel<Entry>>(&entries_, entryRoles())) {}

StationSearch::~StationSearch() = default;

QObject* StationSearch::modelObject() const {
    return model_.get();
}

void StationSearch::setModel(QObject* model) {
    if (!model_.replace(model))
        return;
    if (AppModel* appModel = model_.get())
        for (auto signal : {&AppModel::libraryChanged, &AppModel::directoryHitsChanged,
                            &AppModel::directoryLoadingChanged, &AppModel::directoryErrorChanged})
            model_.follow(connect(appModel, signal, this, &StationSearch::refresh));
    Q_EMIT modelChanged();
    refresh();
}

void StationSearch::setFilter(const QString& filter) {
    if (!storeProperty(this, filter_, filter, &StationSearch::filterChanged))
        return;
    refresh();
}

QString StationSearch::query() const {
    return qtText(filterQuery(stdText(filter_)));
}

void StationSearch::refresh() {
    std::vector<Entry> entries;
    int matches = 0;
    int hits = 0;
    const std::string queryText = filterQuery(stdText(filter_));
    if (model_ && !queryText.empty()) {
        const auto& library = model_->library().stations;
        const auto& directory = model_->directoryHits();
        const auto matchRows = matchingRows(library, queryText);
        const auto hitRows = newDirectoryRows(directory, library);
        matches = static_cast<int>(matchRows.size());
        hits = static_cast<int>(hitRows.size());
        for (const SearchRow& row : searchRows(matchRows.size(), hitRows.size(), model_->directoryLoading(),
                                               model_->directoryError())) {
            Entry entry{row.kind, row.noteKey, {}};
            if (row.kind == SearchRow::Kind::station)
                entry.station = library[matchRows[row.index]];
            else if (row.kind == SearchRow::Kind::hit)
                entry.station = directory[hitRows[row.index]];
            entries.push_back(std::move(entry));
        }
    }
    rowModel_->assign(std::move(entries));
    matchCount_ = matches;
    hitCount_ = hits;
    Q_EMIT rowsChanged();
}

} // namespace ZintraRadio
