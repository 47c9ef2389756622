// The lyrics cache over a library of 20 000 tracks, 5 000 of whose songs have stored lyrics:
// finding the next tracks for the lyrics filler and searching stored lyrics. Two baselines in
// the same run: bare SQLite reading every track and every stored key (what matching the keys
// outside the database needs), and bare SQLite running the store's own statement (prepared
// once, no queue, no conversion into records).
#include "BenchMain.hpp"
#include "MusicBenchData.hpp"
#include "ZazidEvoz/music/MusicDatabase.hpp"
#include "support/RawSqlite.hpp"

#include <array>
#include <benchmark/benchmark.h>
#include <filesystem>
#include <fmt/format.h>
#include <sqlite3.h>
#include <unordered_set>

namespace {

using namespace ZazidEvoz;
namespace fs = std::filesystem;

constexpr int trackCount = 20'000;
constexpr int lyricsCount = 5'000;

std::vector<Track> generatedTracks() {
    std::vector<Track> tracks;
    benchkit::Words words;
    auto word = [&] { return words.word(); };
    for (int index = 0; index < trackCount; ++index) {
        Track track;
        int artist = index / 50;
        track.artist = index % 9 == 0 ? fmt::format("The {} {} feat. {}", word(), artist, word())
                                      : fmt::format("The {} {}", word(), artist);
        track.title = index % 7 == 0 ? fmt::format("{} of {} (Radio Edit) {}", word(), word(), index)
                                     : fmt::format("{} of {} {}", word(), word(), index);
        track.album = fmt::format("Album {}", index / 10);
        track.path = fmt::format("/home/user/Music/{}/{}/{}.mp3", track.artist, track.album, track.title);
        track.added = platform::dateFromSecondsSince1970(1.6e9 + index);
        track.fileModified = track.added;
        tracks.push_back(std::move(track));
    }
    return tracks;
}

fs::path databaseFile() {
    static const fs::path file = [] {
        fs::path path = benchkit::cacheFolder() / "lyrics-20k.sqlite";
        benchkit::removeDatabase(path);
        MusicDatabase database(path);
        std::vector<Track> tracks = generatedTracks();
        database.upsert(tracks);
        for (int index = 0; index < lyricsCount; ++index) {
            const Track& track = tracks[std::size_t(index) * (trackCount / lyricsCount)];
            database.saveLyrics(
                track.artist, track.title,
                SongLyrics{track.artist, track.title, {}, fmt::format("words of {}", track.title), false, 0},
                "LRCLIB");
        }
        return path;
    }();
    return file;
}

std::string text(sqlite3_stmt* statement, int column) {
    auto value = sqlite3_column_text(statement, column);
    return value ? reinterpret_cast<const char*>(value) : "";
}

const char* const trackColumns =
    "path, title, artist, album, genre, year, duration, cover_file, added, file_modified, file_size, "
    "play_count, last_played, rating, source_url";
const std::string allTracksSQL = std::string("SELECT ") + trackColumns + " FROM tracks";

// Path, title and artist of every row, as the store needs them.
std::vector<std::array<std::string, 3>> trackRows(sqlite3_stmt* tracks) {
    std::vector<std::array<std::string, 3>> rows;
    while (sqlite3_step(tracks) == SQLITE_ROW)
        rows.push_back({text(tracks, 0), text(tracks, 1), text(tracks, 2)});
    sqlite3_reset(tracks);
    return rows;
}

// Every column of every row, each read as its type, as the store reads them for its tracks.
struct WholeTrackRow {
    std::array<std::string, 7> texts;
    std::array<double, 4> reals{};
    std::array<std::int64_t, 4> integers{};
};

std::vector<WholeTrackRow> wholeTrackRows(sqlite3_stmt* tracks) {
    std::vector<WholeTrackRow> rows;
    while (sqlite3_step(tracks) == SQLITE_ROW) {
        WholeTrackRow& row = rows.emplace_back();
        std::size_t texts = 0, reals = 0, integers = 0;
        for (int column : {0, 1, 2, 3, 4, 7, 14})
            row.texts[texts++] = text(tracks, column);
        for (int column : {6, 8, 9, 12})
            row.reals[reals++] = sqlite3_column_double(tracks, column);
        for (int column : {5, 10, 11, 13})
            row.integers[integers++] = sqlite3_column_int64(tracks, column);
    }
    sqlite3_reset(tracks);
    return rows;
}

void BM_TracksWithoutLyrics(benchmark::State& state) {
    MusicDatabase database(databaseFile());
    for (auto _ : state) {
        auto tracks = database.tracksWithoutLyrics(20);
        if (tracks.size() != 20)
            benchkit::fail(state, "expected a full batch");
        benchmark::DoNotOptimize(tracks);
    }
}

// The same reads: every track's columns and the keys of stored lookups, nothing computed.
void BM_TracksWithoutLyrics_RawSQLite(benchmark::State& state) {
    fs::path file = databaseFile();
    testkit::RawConnection raw(file);
    sqlite3_stmt* tracks = raw.prepare(allTracksSQL);
    sqlite3_stmt* keys = raw.prepare("SELECT song_key FROM lyrics WHERE fetched > 0");
    for (auto _ : state) {
        auto rows = trackRows(tracks);
        std::unordered_set<std::string> stored;
        while (sqlite3_step(keys) == SQLITE_ROW)
            stored.insert(text(keys, 0));
        sqlite3_reset(keys);
        benchmark::DoNotOptimize(rows);
        benchmark::DoNotOptimize(stored);
    }
    sqlite3_finalize(tracks);
    sqlite3_finalize(keys);
}

// The store's statement: the database matches the stored song keys itself; every column read.
void BM_TracksWithoutLyrics_RawSQLiteSameStatement(benchmark::State& state) {
    testkit::RawConnection raw(databaseFile());
    sqlite3_stmt* statement =
        raw.prepare(std::string("SELECT ") + trackColumns +
                    " FROM tracks t WHERE t.artist <> '' AND t.title <> '' AND t.song_key IS NOT NULL AND "
                    "NOT EXISTS (SELECT 1 FROM lyrics l "
                    "WHERE l.song_key = t.song_key AND l.fetched > 0) ORDER BY t.added, t.rowid LIMIT ?");
    sqlite3_bind_int64(statement, 1, 20); // kept across resets
    for (auto _ : state) {
        auto rows = wholeTrackRows(statement);
        if (rows.size() != 20)
            benchkit::fail(state, "expected a full batch");
        benchmark::DoNotOptimize(rows);
    }
    sqlite3_finalize(statement);
}

void BM_SearchLyrics(benchmark::State& state) {
    MusicDatabase database(databaseFile());
    for (auto _ : state) {
        auto hits = database.searchLyrics("words moon", 50);
        if (hits.empty())
            benchkit::fail(state, "expected hits");
        benchmark::DoNotOptimize(hits);
    }
}

// The same reads: every track's columns and the ranked hits, without the path map.
void BM_SearchLyrics_RawSQLite(benchmark::State& state) {
    fs::path file = databaseFile();
    testkit::RawConnection raw(file);
    sqlite3_stmt* tracks = raw.prepare(allTracksSQL);
    sqlite3_stmt* search = raw.prepare(
        "SELECT f.song_key, f.artist, f.title, snippet(lyrics_fts, 3, '«', '»', '…', 14), l.heard_station, "
        "l.heard_last FROM lyrics_fts f LEFT JOIN lyrics l ON l.song_key = f.song_key "
        "WHERE lyrics_fts MATCH '\"words\"* AND \"moon\"*' ORDER BY bm25(lyrics_fts, 0, 6, 8, 1) LIMIT 50");
    for (auto _ : state) {
        auto rows = trackRows(tracks);
        std::vector<std::string> hits;
        while (sqlite3_step(search) == SQLITE_ROW)
            hits.push_back(text(search, 3));
        sqlite3_reset(search);
        benchmark::DoNotOptimize(rows);
        benchmark::DoNotOptimize(hits);
    }
    sqlite3_finalize(tracks);
    sqlite3_finalize(search);
}

// The store's statement: the best hits look up a library track of their song in the database.
void BM_SearchLyrics_RawSQLiteSameStatement(benchmark::State& state) {
    testkit::RawConnection raw(databaseFile());
    sqlite3_stmt* search = raw.prepare(
        "SELECT h.song_key, h.artist, h.title, h.snippet, h.heard_station, h.heard_last, "
        "(SELECT t.path FROM tracks t WHERE t.song_key = h.song_key ORDER BY t.rowid LIMIT 1) "
        "FROM (SELECT f.song_key, f.artist, f.title, snippet(lyrics_fts, 3, '«', '»', '…', 14) AS snippet, "
        "l.heard_station, l.heard_last, bm25(lyrics_fts, 0, 6, 8, 1) AS score FROM lyrics_fts f "
        "LEFT JOIN lyrics l ON l.song_key = f.song_key WHERE lyrics_fts MATCH '\"words\"* AND \"moon\"*' "
        "ORDER BY score LIMIT 50) h ORDER BY h.score");
    for (auto _ : state) {
        std::vector<std::string> hits;
        while (sqlite3_step(search) == SQLITE_ROW)
            hits.push_back(text(search, 3));
        sqlite3_reset(search);
        if (hits.empty())
            benchkit::fail(state, "expected hits");
        benchmark::DoNotOptimize(hits);
    }
    sqlite3_finalize(search);
}

BENCHMARK(BM_TracksWithoutLyrics)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TracksWithoutLyrics_RawSQLite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TracksWithoutLyrics_RawSQLiteSameStatement)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchLyrics)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchLyrics_RawSQLite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchLyrics_RawSQLiteSameStatement)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return ZazidEvoz::benchkit::runBenchmarksInSandbox(argc, argv);
}
