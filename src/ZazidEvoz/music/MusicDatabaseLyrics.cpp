// The lyrics cache and the heard-songs log of the music database.
#include "MusicDatabase.hpp"
#include "ZazidEvoz/platform/Hash.hpp"
#include "ZazidEvoz/platform/Text.hpp"

#include <algorithm>
#include <sqlite3.h>

namespace ZazidEvoz {
namespace {

// A miss is trusted this long; after that the song is asked for again.
constexpr double notFoundLifetime = 30 * 24 * 60 * 60;

const std::string saveLyricsSQL =
    "INSERT INTO lyrics(song_key, artist, title, plain, synced, found, source, fetched) "
    "VALUES(?,?,?,?,?,?,?,?)\n"
    "ON CONFLICT(song_key) DO UPDATE SET artist=excluded.artist, title=excluded.title, "
    "plain=excluded.plain,\n"
    "    synced=excluded.synced, found=excluded.found, source=excluded.source, fetched=excluded.fetched";

const std::string markHeardSQL =
    "INSERT INTO lyrics(song_key, artist, title, fetched, heard_station, heard_last, heard_count) "
    "VALUES(?,?,?,0,?,?,1)\n"
    "ON CONFLICT(song_key) DO UPDATE SET heard_station=excluded.heard_station, "
    "heard_last=excluded.heard_last,\n"
    "    heard_count=heard_count+1";

// The best hits are picked first; only they look up a library track of their song, the first
// one stored.
const std::string searchLyricsSQL =
    "SELECT h.song_key, h.artist, h.title, h.snippet, h.heard_station, h.heard_last,\n"
    "    (SELECT t.path FROM tracks t WHERE t.song_key = h.song_key ORDER BY t.rowid LIMIT 1)\n"
    "FROM (SELECT f.song_key, f.artist, f.title, snippet(lyrics_fts, 3, '«', '»', '…', 14) AS snippet,\n"
    "          l.heard_station, l.heard_last, bm25(lyrics_fts, 0, 6, 8, 1) AS score\n"
    "      FROM lyrics_fts f LEFT JOIN lyrics l ON l.song_key = f.song_key\n"
    "      WHERE lyrics_fts MATCH ? ORDER BY score LIMIT ?) h\n"
    "ORDER BY h.score";

const std::string heardSongsSQL =
    "SELECT artist, title, heard_station, heard_last, heard_count, found FROM lyrics\n"
    "WHERE heard_last IS NOT NULL ORDER BY heard_last DESC LIMIT ?";

double secondsNow() {
    return platform::secondsSince1970(platform::now());
}

// Case, accents, punctuation, bracketed version remarks and a featured tail do not count.
std::string normalizedName(std::string_view name) {
    std::string result;
    for (const std::string& word :
         text::alphanumericWords(text::foldedCaseAndDiacritics(LyricsService::cleanedTitle(name)))) {
        if (!result.empty())
            result += ' ';
        result += word;
    }
    return result;
}

std::string joinedLineTexts(const std::vector<LyricLine>& lines) {
    std::string result;
    for (const LyricLine& line : lines) {
        if (&line != &lines.front())
            result += '\n';
        result += line.text;
    }
    return result;
}

// Line breaks of any style become " / ", so a snippet reads on one line.
std::string oneLineSnippet(std::string_view snippet) {
    std::string result;
    result.reserve(snippet.size());
    for (std::size_t position = 0; position < snippet.size(); ++position) {
        char c = snippet[position];
        if (c == '\r' || c == '\n') {
            result += " / ";
            if (c == '\r' && position + 1 < snippet.size() && snippet[position + 1] == '\n')
                ++position;
        } else {
            result += c;
        }
    }
    return result;
}

} // namespace

std::size_t MusicDatabase::LyricsHitHash::operator()(const LyricsHit& hit) const {
    std::hash<std::string> text;
    std::size_t seed = 0;
    for (const std::string* field : {&hit.songKey, &hit.artist, &hit.title, &hit.snippet})
        platform::hashCombine(seed, text(*field));
    // A presence marker first, so an absent value hashes apart from every present one.
    for (const auto* field : {&hit.trackPath, &hit.heardStation}) {
        platform::hashCombine(seed, field->has_value());
        if (*field)
            platform::hashCombine(seed, text(**field));
    }
    platform::hashCombine(seed, hit.heardLast.has_value());
    if (hit.heardLast)
        platform::hashCombine(seed, std::hash<double>{}(platform::secondsSince1970(*hit.heardLast)));
    return seed;
}

std::string MusicDatabase::songKey(std::string_view artist, std::string_view title) {
    return normalizedName(LyricsService::cleanedArtist(artist)) + "|" + normalizedName(title);
}

bool MusicDatabase::saveLyrics(const std::string& artist, const std::string& title,
                               const std::optional<SongLyrics>& lyrics, const std::string& source) {
    std::string key = songKey(artist, title);
    std::string synced, plain;
    if (lyrics) {
        // Locale-free: a decimal comma would make every stored line unreadable.
        synced = LyricsService::formatLRC(lyrics->synced);
        plain = lyrics->plain.empty() ? joinedLineTexts(lyrics->synced) : lyrics->plain;
    }
    std::int64_t found = lyrics ? 1 : 0;
    return queue_->sync([&] {
        try {
            inTransaction([&] {
                run(saveLyricsSQL, {key, artist, title, plain, synced, found, source, secondsNow()});
                run("DELETE FROM lyrics_fts WHERE song_key = ?", {key});
                if (!plain.empty())
                    run("INSERT INTO lyrics_fts(song_key, artist, title, body) VALUES(?,?,?,?)",
                        {key, artist, title, plain});
            });
            return true;
        } catch (const MusicDatabaseError&) {
            return false; // rolled back whole
        }
    });
}

bool MusicDatabase::markHeard(const std::string& artist, const std::string& title,
                              const std::string& station) {
    std::string key = songKey(artist, title);
    return queue_->sync([&] {
        try {
            run(markHeardSQL, {key, artist, title, station, secondsNow()});
            return true;
        } catch (const MusicDatabaseError&) {
            return false;
        }
    });
}

MusicDatabase::LyricsLookup MusicDatabase::storedLyrics(const std::string& artist, const std::string& title) {
    std::string key = songKey(artist, title);
    return queue_->sync([&] {
        LyricsLookup result = LyricsLookup::unknown();
        try {
            withStatement(
                "SELECT artist, title, plain, synced, found, fetched FROM lyrics WHERE song_key = ?", {key},
                [&](sqlite3_stmt* statement) {
                    if (sqlite3_step(statement) != SQLITE_ROW)
                        return;
                    double fetched = sqlite3_column_double(statement, 5);
                    if (!(fetched > 0))
                        return; // heard on the radio, never looked up
                    if (sqlite3_column_int64(statement, 4) != 0) {
                        SongLyrics lyrics;
                        lyrics.artist = columnText(statement, 0);
                        lyrics.title = columnText(statement, 1);
                        lyrics.plain = columnText(statement, 2);
                        lyrics.synced = LyricsService::parseLRC(columnText(statement, 3));
                        result = LyricsLookup::found(std::move(lyrics));
                    } else if (secondsNow() - fetched < notFoundLifetime) {
                        result = LyricsLookup::notFound();
                    }
                });
        } catch (const std::exception&) {
            // A failing query or a damaged row: nothing usable is stored, so the song is asked anew.
            result = LyricsLookup::unknown();
        }
        return result;
    });
}

std::vector<Track> MusicDatabase::tracksWithoutLyrics(std::int64_t limit) {
    if (limit <= 0)
        return {};
    // Oldest added first; tracks added at the same time in the order they were stored. A row
    // that another program wrote without its key gets one at the next open; until then it is
    // left out, so the filler never asks for it again and again.
    static const std::string withLyricsTable =
        "SELECT " + trackColumnList("t.") +
        " FROM tracks t\n"
        "WHERE t.artist <> '' AND t.title <> '' AND t.song_key IS NOT NULL\n"
        "  AND NOT EXISTS (SELECT 1 FROM lyrics l WHERE l.song_key = t.song_key AND l.fetched > 0)\n"
        "ORDER BY t.added, t.rowid LIMIT ?";
    // Without a readable lyrics table no song counts as looked up.
    static const std::string tracksOnly =
        "SELECT " + trackColumnList("t.") +
        " FROM tracks t\n"
        "WHERE t.artist <> '' AND t.title <> '' AND t.song_key IS NOT NULL\n"
        "ORDER BY t.added, t.rowid LIMIT ?";
    return queue_->sync([&] {
        try {
            try {
                return query(withLyricsTable, {limit});
            } catch (const MusicDatabaseError&) {
                return query(tracksOnly, {limit});
            }
        } catch (const MusicDatabaseError&) {
            return std::vector<Track>();
        }
    });
}

std::vector<MusicDatabase::LyricsHit> MusicDatabase::searchLyrics(std::string_view text, std::int64_t limit) {
    std::string q = ftsQuery(text);
    if (q.empty())
        return {};
    return queue_->sync([&] {
        std::vector<LyricsHit> hits;
        try {
            withinSearchBudget([&] {
                withStatement(searchLyricsSQL, {q, limit}, [&](sqlite3_stmt* statement) {
                    while (sqlite3_step(statement) == SQLITE_ROW) {
                        LyricsHit hit;
                        hit.songKey = columnText(statement, 0);
                        hit.artist = columnText(statement, 1);
                        hit.title = columnText(statement, 2);
                        hit.snippet = oneLineSnippet(columnText(statement, 3));
                        hit.heardStation = optionalColumnText(statement, 4);
                        if (!columnIsNull(statement, 5))
                            hit.heardLast = columnDate(statement, 5);
                        hit.trackPath = optionalColumnText(statement, 6);
                        hits.push_back(std::move(hit));
                    }
                });
            });
        } catch (const MusicDatabaseError&) {
            // Whatever was read before the failure.
        }
        return hits;
    });
}

std::vector<MusicDatabase::HeardSong> MusicDatabase::heardSongs(std::int64_t limit) {
    return queue_->sync([&] {
        std::vector<HeardSong> songs;
        try {
            withStatement(heardSongsSQL, {limit}, [&](sqlite3_stmt* statement) {
                while (sqlite3_step(statement) == SQLITE_ROW)
                    songs.push_back({columnText(statement, 0), columnText(statement, 1),
                                     columnText(statement, 2), columnDate(statement, 3),
                                     sqlite3_column_int64(statement, 4),
                                     sqlite3_column_int64(statement, 5) == 1});
            });
        } catch (const MusicDatabaseError&) {
        }
        return songs;
    });
}

} // namespace ZazidEvoz
