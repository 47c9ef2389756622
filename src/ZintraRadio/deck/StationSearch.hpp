// The stations panel's search view while its filter holds text: the library stations that
// match, then the station directory's header and its hits that the library lacks (or the note
// that stands for them), as one list model. It follows the filter, the library and the
// directory's quick search, and changes by rows.
#pragma once

#include "ZazidEvoz/catalogue/Station.hpp"
#include "deck/StationListRules.hpp"
#include "state/FollowedModel.hpp"
#include "state/ListModel.hpp"

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>
#include <memory>
#include <vector>

namespace ZintraRadio {

class AppModel;

class StationSearch : public QObject {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QObject* model READ modelObject WRITE setModel NOTIFY modelChanged)
    Q_PROPERTY(QString filter READ filter WRITE setFilter NOTIFY filterChanged)
    // The filter without leading and trailing blanks; the search view shows while it is not
    // empty.
    Q_PROPERTY(QString query READ query NOTIFY filterChanged)
    Q_PROPERTY(bool searching READ searching NOTIFY filterChanged)
    Q_PROPERTY(int matchCount READ matchCount NOTIFY rowsChanged)
    Q_PROPERTY(int hitCount READ hitCount NOTIFY rowsChanged)
    // Roles: kind ("note", "station", "header", "hit"), noteKey, station (map), url.
    Q_PROPERTY(ZintraRadio::ListModelBase* rows READ rowList CONSTANT)

public:
    struct Entry {
        SearchRow::Kind kind = SearchRow::Kind::station;
        std::string noteKey;
        ZazidEvoz::Station station;
        friend bool operator==(const Entry&, const Entry&) = default;
    };

    explicit StationSearch(QObject* parent = nullptr);
    ~StationSearch() override;

    QObject* modelObject() const;
    void setModel(QObject* model);
    QString filter() const { return filter_; }
    void setFilter(const QString& filter);
    QString query() const;
    bool searching() const { return !query().isEmpty(); }
    int matchCount() const { return matchCount_; }
    int hitCount() const { return hitCount_; }
    ListModelBase* rowList() const { return rowModel_.get(); }

Q_SIGNALS:
    void modelChanged();
    void filterChanged();
    void rowsChanged();

private:
    void refresh();

    FollowedModel<AppModel> model_;
    QString filter_;
    int matchCount_ = 0;
    int hitCount_ = 0;
    std::vector<Entry> entries_;
    std::unique_ptr<VectorListModel<Entry>> rowModel_;
};

} // namespace ZintraRadio
