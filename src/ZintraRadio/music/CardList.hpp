// What every list of cards shares (albums, genres, artists, playlists, smart playlists): its
// rows as a list model, its count, and when it is computed: once its QML properties are all
// set, then once per turn of the event loop after a change of what it follows; never while
// painting or hovering.
#pragma once

#include "music/MusicBound.hpp"
#include "state/ListModel.hpp"

#include <QQmlParserStatus>
#include <QStringList>
#include <QTimer>
#include <QtQml/qqmlregistration.h>
#include <string>
#include <vector>

class QAbstractItemModel;

namespace ZintraRadio {

// A role that shows one field of a card as it is.
template <typename Card, typename Field> ListRole<Card> cardRole(const char* name, Field Card::*field) {
    return {name, [field](const Card& card) { return QVariant::fromValue(card.*field); }};
}

// Texts of the engine (a card's cover files) as QML takes them.
QStringList qtTexts(const std::vector<std::string>& texts);

class CardList : public MusicBound, public QQmlParserStatus {
    Q_OBJECT
    QML_ANONYMOUS
    Q_INTERFACES(QQmlParserStatus)
    Q_PROPERTY(QAbstractItemModel* rows READ rowsModel CONSTANT)
    Q_PROPERTY(int count READ count NOTIFY countChanged)
    Q_PROPERTY(bool libraryEmpty READ libraryEmpty NOTIFY countChanged)

public:
    explicit CardList(QObject* parent);

    virtual QAbstractItemModel* rowsModel() const = 0;
    virtual int count() const = 0;
    bool libraryEmpty() const;

    void classBegin() override { ready_ = false; }
    void componentComplete() override;

Q_SIGNALS:
    void countChanged();

protected:
    void musicReplaced() override;
    // Connects to what the list depends on in the new music model (through followMusic), or
    // lets go of the old one.
    virtual void follow(MusicModel& music) = 0;
    virtual void unfollow() {}
    // Computes the rows from the music model (none: no rows).
    virtual void recompute() = 0;
    void scheduleRefresh();
    void refresh();

private:
    QTimer timer_;
    bool ready_ = true;
};

} // namespace ZintraRadio
