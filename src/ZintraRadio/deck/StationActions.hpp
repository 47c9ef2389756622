// What the station panels' buttons and menus do that is more than one call of a model
// operation: queue entries for a list of stations, importing a whole result list with its
// toast, dropping a dragged row, renaming and adding with the typed text trimmed, and the
// file choosers' results. Every operation takes the application model it acts on.
#pragma once

#include <QObject>
#include <QString>
#include <QUrl>
#include <QVariantList>
#include <QVariantMap>
#include <QtQml/qqmlregistration.h>

class QQmlEngine;
class QJSEngine;

namespace ZintraRadio {

class AppModel;

class StationActions : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    static StationActions* create(QQmlEngine*, QJSEngine*);

    // Right after the current queue item, in the order given.
    Q_INVOKABLE void playNext(QObject* model, const QVariantList& stations) const;
    // At the end of the queue.
    Q_INVOKABLE void playLater(QObject* model, const QVariantList& stations) const;
    Q_INVOKABLE void addToPlaylist(QObject* model, const QVariantList& stations,
                                   const QString& playlist) const;
    // A new playlist, named by the music model.
    Q_INVOKABLE void addToNewPlaylist(QObject* model, const QVariantList& stations) const;

    // Imports every station of the directory's browse results that the library lacks and says
    // how many were added.
    Q_INVOKABLE int importBrowseResults(QObject* model) const;

    // Moves a dropped library row (see stationMove); true when the library changed.
    Q_INVOKABLE bool dropStation(QObject* model, const QString& rawFilter, int from, const QString& url,
                                 int gap, bool insideList) const;
    // Renames to the text without leading and trailing blanks and line breaks (a blank name
    // changes nothing).
    Q_INVOKABLE void rename(QObject* model, const QVariantMap& station, const QString& name) const;
    // Why the form refuses the typed link, in words shown beside the field; empty for a link
    // that is taken and for a blank one (the form does nothing for that).
    Q_INVOKABLE QString linkProblem(const QString& link) const;
    // Adds the typed station unless the link is blank or refused; true when it was handed to
    // the model (the form then closes).
    Q_INVOKABLE bool addStation(QObject* model, const QString& name, const QString& link,
                                const QString& genre) const;

    // The open dialog's files, each imported with its own toast, in the dialog's order.
    Q_INVOKABLE void importFiles(QObject* model, const QList<QUrl>& files) const;
    // Where an export to the save dialog's file goes: {path, name, folder, exists}, the path
    // with ".m3u" added to a name without an extension.
    Q_INVOKABLE QVariantMap exportTarget(const QUrl& file) const;
    // The save dialog's file, with ".m3u" added to a name without an extension.
    Q_INVOKABLE void exportTo(QObject* model, const QUrl& file) const;

private:
    StationActions() = default;
};

} // namespace ZintraRadio
