// The songs heard on the radio, newest first, at most 200, read from the music database off
// the main thread and read again after every change of the database.
#pragma once

#include "ZazidEvoz/music/MusicDatabase.hpp"
#include "state/ListModel.hpp"
#include "state/MusicQuery.hpp"

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>
#include <memory>
#include <vector>

namespace ZintraRadio {

class HeardSongsQuery : public MusicQuery {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(ZintraRadio::ListModelBase* songs READ songList CONSTANT)
    Q_PROPERTY(bool ready READ ready NOTIFY readyChanged)

public:
    static constexpr std::int64_t limit = 200;
    using HeardSong = ZazidEvoz::MusicDatabase::HeardSong;

    explicit HeardSongsQuery(QObject* parent = nullptr);
    ~HeardSongsQuery() override;

    ListModelBase* songList() const;
    bool ready() const { return ready_; }
    const std::vector<HeardSong>& songs() const { return songs_; }

    // What the song is searched and downloaded by: one text, never split into arguments.
    Q_INVOKABLE QString youtubeQuery(int row) const;

Q_SIGNALS:
    void readyChanged();

private:
    void refresh() override;
    void apply(std::vector<HeardSong> songs);

    bool ready_ = false;
    std::vector<HeardSong> songs_;
    std::unique_ptr<VectorListModel<HeardSong>> songModel_;
};

} // namespace ZintraRadio
