// What a detail page shows for its route (an album, genre or artist by name; a playlist or a
// smart playlist by id): the kind label, the title, the covers of the hero, the summary line, its
// track list or its playlist's items, and the page's actions. Everything follows the library as
// it changes; a playlist or smart playlist that no longer exists leaves a page without title,
// items or actions of its own.
#pragma once

#include "ZazidEvoz/music/MusicLibrary.hpp"
#include "music/MusicBound.hpp"
#include "music/TrackListModel.hpp"
#include "state/ListModel.hpp"

#include <QObject>
#include <QPointer>
#include <QQmlParserStatus>
#include <QStringList>
#include <QTimer>
#include <QUrl>
#include <QVariant>
#include <QtQml/qqmlregistration.h>
#include <optional>
#include <set>
#include <string>
#include <vector>

class QAbstractItemModel;

namespace ZintraRadio {

class DetailPage : public MusicBound, public QQmlParserStatus {
    Q_OBJECT
    QML_ELEMENT
    Q_INTERFACES(QQmlParserStatus)
    // {"kind", "name"} or {"kind", "id"}, as the browser state gives it.
    Q_PROPERTY(QVariant route READ route WRITE setRoute NOTIFY routeChanged)
    Q_PROPERTY(QString kind READ kind NOTIFY routeChanged)
    Q_PROPERTY(QString kindKey READ kindKey NOTIFY routeChanged)
    Q_PROPERTY(QString title READ title NOTIFY contentChanged)
    Q_PROPERTY(QStringList covers READ covers NOTIFY contentChanged)
    Q_PROPERTY(QString summary READ summary NOTIFY contentChanged)
    Q_PROPERTY(bool playlistExists READ playlistExists NOTIFY contentChanged)
    Q_PROPERTY(bool smartExists READ smartExists NOTIFY contentChanged)
    Q_PROPERTY(bool offersGenrePlaylist READ offersGenrePlaylist NOTIFY routeChanged)
    Q_PROPERTY(int itemCount READ itemCount NOTIFY contentChanged)
    Q_PROPERTY(TrackListModel* tracks READ trackList CONSTANT)
    // The playlist's items: the station map as "station", and "missing" for a file that is gone.
    Q_PROPERTY(QAbstractItemModel* items READ itemList CONSTANT)

public:
    explicit DetailPage(QObject* parent = nullptr);

    QVariant route() const { return route_; }
    void setRoute(const QVariant& route);

    QString kind() const;
    QString kindKey() const;
    QString title() const { return title_; }
    QStringList covers() const { return covers_; }
    QString summary() const { return summary_; }
    bool playlistExists() const { return playlist_.has_value(); }
    bool smartExists() const { return smart_.has_value(); }
    bool offersGenrePlaylist() const;
    int itemCount() const;
    TrackListModel* trackList() const { return tracks_; }
    QAbstractItemModel* itemList() const;
    // The page's items: the playlist's, or its tracks as stations.
    std::vector<ZazidEvoz::Station> items() const;

    void classBegin() override { ready_ = false; }
    void componentComplete() override;

    // ---- Actions
    Q_INVOKABLE void play() const;
    Q_INVOKABLE void shuffle() const;
    Q_INVOKABLE void playLater() const;
    Q_INVOKABLE QVariantList stations() const;
    // Renames the playlist to the trimmed text (an empty result keeps the name).
    Q_INVOKABLE void rename(const QString& name) const;
    // Deletes the page's playlist or smart playlist and closes the page.
    Q_INVOKABLE void deleteList() const;
    Q_INVOKABLE void editRules() const;
    Q_INVOKABLE void createGenrePlaylist() const;
    // An album page takes the first local picture as the cover of its tracks; true when taken.
    Q_INVOKABLE bool dropCover(const QList<QUrl>& urls) const;
    // The playlist's rows.
    Q_INVOKABLE void playItem(int index) const;
    Q_INVOKABLE void removeItem(int index) const;
    // Moves one item into the gap before the item that was at `destination` (the count: the end).
    Q_INVOKABLE void moveItem(int from, int destination) const;
    Q_INVOKABLE QVariantMap item(int index) const;

Q_SIGNALS:
    void routeChanged();
    void contentChanged();

protected:
    void musicReplaced() override;

private:
    void scheduleUpdate();
    void update();

    QVariant route_;
    TrackListModel::Scope scope_;
    std::optional<ZazidEvoz::Playlist> playlist_;
    std::optional<ZazidEvoz::SmartPlaylist> smart_;
    QString title_;
    QStringList covers_;
    QString summary_;
    TrackListModel* tracks_;
    std::vector<ZazidEvoz::Station> itemStorage_;
    VectorListModel<ZazidEvoz::Station>* items_;
    QTimer timer_;
    bool ready_ = true;
    // URLs of the playlist's file items whose files are not there; the items' "missing" role.
    std::set<std::string> missingURLs_;
};

} // namespace ZintraRadio
