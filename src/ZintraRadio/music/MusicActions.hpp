// The music views' operations on the library, the queue and the browser state, in the form the
// views hand them over (station maps, track paths, row numbers): the queue menu's entries, the
// selection bar's actions, a track row's menu, the queue panel's edits and the browser's manage
// menu. Each one reads the models at the moment it runs.
#pragma once

#include "ZazidEvoz/music/MusicLibrary.hpp"
#include "music/MusicBound.hpp"

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QUrl>
#include <QVariantList>
#include <QVariantMap>
#include <QtQml/qqmlregistration.h>
#include <vector>

namespace ZintraRadio {

class AppModel;

class MusicActions : public MusicBound {
    Q_OBJECT
    QML_ELEMENT
    // The user's music folders after the Downloads folder: {path, name}.
    Q_PROPERTY(QVariantList removableFolders READ removableFolders NOTIFY foldersChanged)

public:
    explicit MusicActions(QObject* parent = nullptr) : MusicBound(parent) {}

    // ---- Queue menu
    // The items right after the current queue entry, in their order.
    Q_INVOKABLE void playNext(const QVariantList& stations) const;
    Q_INVOKABLE void playLater(const QVariantList& stations) const;
    Q_INVOKABLE void addToPlaylist(const QVariantList& stations, const QString& playlistId) const;
    // A new playlist named by the model, holding the items; no page opens.
    Q_INVOKABLE void addToNewPlaylist(const QVariantList& stations) const;

    // ---- Track rows
    Q_INVOKABLE void rate(const QString& path, int stars) const;
    Q_INVOKABLE void setGenre(const QString& genre, const QStringList& paths) const;
    // Looks up covers for the tracks one after another.
    Q_INVOKABLE void fetchCovers(const QStringList& paths) const;
    Q_INVOKABLE void trash(const QStringList& paths) const;
    Q_INVOKABLE void reveal(const QString& path) const;
    // Presents the tag editor for the library's track.
    Q_INVOKABLE void editTags(const QString& path) const;
    Q_INVOKABLE void requestLyrics(const QString& artist, const QString& title) const;

    // ---- Selection bar: the selected tracks that are in the library, in library order
    Q_INVOKABLE QStringList selectedPaths() const;
    Q_INVOKABLE QVariantList selectedStations() const;
    // Genre, covers and trash for the selected tracks; the trash also empties the selection.
    Q_INVOKABLE void setGenreOfSelection(const QString& genre) const;
    Q_INVOKABLE void fetchCoversOfSelection() const;
    Q_INVOKABLE void trashSelection() const;

    // ---- Queue panel
    // Moves one entry into the gap before the entry that was at `destination` (the count: the
    // end); positions that no longer exist are ignored.
    Q_INVOKABLE void moveInQueue(int from, int destination) const;
    Q_INVOKABLE void removeFromQueue(int index) const;
    Q_INVOKABLE void cycleRepeatMode() const;
    // A new, empty playlist, then its page.
    Q_INVOKABLE void createPlaylistAndOpen() const;

    // ---- Manage menu
    Q_INVOKABLE void addFolders(const QList<QUrl>& folders) const;
    Q_INVOKABLE void rescan() const;
    QVariantList removableFolders() const;

Q_SIGNALS:
    void foldersChanged();

protected:
    void musicReplaced() override;

private:
    std::vector<ZazidEvoz::Track> tracksWithPaths(const QStringList& paths) const;
    std::vector<ZazidEvoz::Track> selectedTracks() const;
};

} // namespace ZintraRadio
