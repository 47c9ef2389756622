// The roles of a lyric hit row, which the discover panel and the music search show with the
// same row view. `libraryTrack(hit)` gives the hit's track in the library (a pointer or an
// optional; empty when it has none); it is asked on each read, so a track that leaves the
// library turns its hit into one without a track at the next change of the list.
#pragma once

#include "ZazidEvoz/music/MusicDatabase.hpp"
#include "lyrics/LyricsTexts.hpp"
#include "state/ListModel.hpp"
#include "state/QtValues.hpp"

#include <QUrl>
#include <vector>

namespace ZintraRadio {

// What a hit without a library track takes as its cover seed: its title, or nothing.
enum class HitSeed { title, none };

template <typename Lookup>
std::vector<ListRole<ZazidEvoz::MusicDatabase::LyricsHit>> lyricHitRoles(Lookup libraryTrack, HitSeed seed) {
    using LyricsHit = ZazidEvoz::MusicDatabase::LyricsHit;
    return {
        {"artist", [](const LyricsHit& hit) { return QVariant(qtText(hit.artist)); }},
        {"title", [](const LyricsHit& hit) { return QVariant(qtText(hit.title)); }},
        {"snippet", [](const LyricsHit& hit) { return QVariant(qtText(hit.snippet)); }},
        {"hasTrack", [libraryTrack](const LyricsHit& hit) { return QVariant(bool(libraryTrack(hit))); }},
        {"coverURL",
         [libraryTrack](const LyricsHit& hit) {
             const auto track = libraryTrack(hit);
             return track && track->coverFile ? QVariant(QUrl::fromLocalFile(qtText(*track->coverFile)))
                                              : QVariant(QUrl());
         }},
        {"coverSeed",
         [libraryTrack, seed](const LyricsHit& hit) {
             const auto track = libraryTrack(hit);
             if (!track)
                 return QVariant(seed == HitSeed::title ? qtText(hit.title) : QString());
             return QVariant(qtText(track->album.empty() ? track->title : track->album));
         }},
        {"heardStation", [](const LyricsHit& hit) { return optionalText(hit.heardStation); }},
        // Text, so that every list of hits shows the last hearing alike.
        {"heardLast",
         [](const LyricsHit& hit) {
             return hit.heardLast ? QVariant(abbreviatedDateTimeText(*hit.heardLast)) : QVariant();
         }},
    };
}

} // namespace ZintraRadio
