// Tells a list derived from the library's tracks (albums, genres, artists, smart playlists) when
// it has to be computed again: once per turn of the event loop in which the tracks changed in a
// way it depends on. What a list depends on is a fingerprint of each track; a change that leaves
// every fingerprint as it was (a play count, a rating for a list that shows none) is no change
// for it, so hovering, painting and unrelated edits never recompute a list.
#pragma once

#include "ZazidEvoz/music/MusicLibrary.hpp"
#include "state/MusicModel.hpp"

#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <vector>

namespace ZintraRadio {

class TrackChangeWatch : public QObject {
    Q_OBJECT

public:
    // None: every change of the tracks counts.
    using Fingerprint = std::function<std::uint64_t(const ZazidEvoz::Track&)>;

    explicit TrackChangeWatch(Fingerprint fingerprint, QObject* parent = nullptr);
    ~TrackChangeWatch() override;

    // Starts watching `music` (none: stops); says nothing for the start itself.
    void watch(MusicModel* music);
    MusicModel* music() const { return music_.data(); }

    // The fingerprint of these fields of a track (texts hashed, numbers as they are).
    static std::uint64_t combine(std::initializer_list<std::uint64_t> values);
    static std::uint64_t textHash(const std::string& text);

Q_SIGNALS:
    // At once, when a relevant change happened (for caches that must not serve a stale value).
    void touched();
    // After the turn of the event loop in which a relevant change happened.
    void changed();

private:
    void fingerprintAll();
    // Compares the rows' fingerprints with the stored ones and stores the new ones.
    bool refresh(int first, int last);
    void schedule();

    Fingerprint fingerprint_;
    QPointer<MusicModel> music_;
    std::vector<std::uint64_t> prints_; // per row of the tracks
    QTimer timer_;
    std::vector<QMetaObject::Connection> connections_;
};

} // namespace ZintraRadio
