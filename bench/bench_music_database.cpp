// The music database with 100 000 generated tracks: inserting them in batches of 50, and
// search latency (p50, p95) for typical queries, each against bare SQLite on the same file in
// the same run (the same statements and rows, prepared once, no queue, no conversion into
// tracks), and the plain form of the search statement, which joins every match before ranking.
// Search texts of thousands of words show that no search holds the database for long.
#include "BenchMain.hpp"
#include "MusicBenchData.hpp"
#include "ZazidEvoz/music/MusicDatabase.hpp"
#include "support/RawSqlite.hpp"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <filesystem>
#include <fmt/format.h>
#include <sqlite3.h>

namespace {

using namespace ZazidEvoz;
namespace fs = std::filesystem;

constexpr int trackCount = 100'000;
constexpr int batchSize = 50;
constexpr int searchesPerQuery = 60;
const char* const queries[] = {"love", "the night", "rock 19", "koln", "mp3", "zzzz"};

const char* const genres[] = {"Rock", "Pop", "Jazz", "Electronic", "Hip-Hop", "Classical", "Folk", "Metal"};
const char* const extensions[] = {"mp3", "flac", "m4a", "ogg"};

// Deterministic tracks that look like a real library: 2 000 artists, 10 000 albums.
std::vector<Track> generatedTracks() {
    std::vector<Track> tracks;
    tracks.reserve(trackCount);
    benchkit::Words words;
    auto next = [&] { return words.next(); };
    auto word = [&] { return words.word(); };
    for (int index = 0; index < trackCount; ++index) {
        Track track;
        int album = index / 10;
        int artist = album / 5;
        track.artist = fmt::format("The {} {}", word(), artist);
        track.album = fmt::format("{} {} Vol {}", word(), word(), album % 7);
        track.title = fmt::format("{} of {} {}", word(), word(), word());
        track.genre = genres[artist % std::size(genres)];
        track.year = 1960 + artist % 64;
        track.duration = 120 + double(next() % 300);
        track.path = fmt::format("/home/user/Music/{}/{}/{:02} {}.{}", track.artist, track.album, index % 10,
                                 track.title, extensions[index % std::size(extensions)]);
        track.added = platform::dateFromSecondsSince1970(1.6e9 + index);
        track.fileModified = track.added;
        track.fileSize = 4'000'000 + std::int64_t(next() % 4'000'000);
        tracks.push_back(std::move(track));
    }
    return tracks;
}

const std::vector<Track>& tracks() {
    static const std::vector<Track> generated = generatedTracks();
    return generated;
}

// The song key of each generated track, as the store writes it with the row.
const std::vector<std::string>& songKeys() {
    static const std::vector<std::string> keys = [] {
        std::vector<std::string> made;
        for (const Track& track : tracks())
            made.push_back(MusicDatabase::songKey(track.artist, track.title));
        return made;
    }();
    return keys;
}

using benchkit::cacheFolder;
using benchkit::removeDatabase;

// The search file, filled once and reused by later runs.
fs::path searchDatabase() {
    fs::path file = cacheFolder() / "music-100k.sqlite";
    {
        MusicDatabase database(file);
        if (database.count() == trackCount)
            return file;
    }
    removeDatabase(file);
    MusicDatabase database(file);
    for (std::size_t start = 0; start < tracks().size(); start += batchSize)
        database.upsert(
            std::vector<Track>(tracks().begin() + long(start), tracks().begin() + long(start + batchSize)));
    return file;
}

double percentile(std::vector<double> samples, double fraction) {
    std::sort(samples.begin(), samples.end());
    return samples[std::min(samples.size() - 1, std::size_t(fraction * double(samples.size())))];
}

template <typename Work> std::vector<double> microsecondsPerCall(Work work) {
    std::vector<double> samples;
    samples.reserve(searchesPerQuery);
    for (int round = 0; round < searchesPerQuery; ++round) {
        auto start = std::chrono::steady_clock::now();
        work();
        samples.push_back(
            std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
    }
    return samples;
}

void BM_InsertInBatchesOf50(benchmark::State& state) {
    const auto& all = tracks();
    fs::path file = cacheFolder() / "insert.sqlite";
    for (auto _ : state) {
        state.PauseTiming();
        removeDatabase(file);
        MusicDatabase database(file);
        state.ResumeTiming();
        for (std::size_t start = 0; start < all.size(); start += batchSize)
            database.upsert(
                std::vector<Track>(all.begin() + long(start), all.begin() + long(start + batchSize)));
        state.PauseTiming();
        if (database.count() != trackCount)
            benchkit::fail(state, "not every track was stored");
        state.ResumeTiming();
    }
    state.counters["tracks/s"] = benchmark::Counter(double(trackCount), benchmark::Counter::kIsRate);
}

// The same rows and index entries through bare SQLite: prepared once, one transaction per 50.
void BM_InsertInBatchesOf50_RawSQLite(benchmark::State& state) {
    const auto& all = tracks();
    const auto& keys = songKeys();
    fs::path file = cacheFolder() / "insert-raw.sqlite";
    for (auto _ : state) {
        state.PauseTiming();
        removeDatabase(file);
        { MusicDatabase schema(file); }
        testkit::RawConnection raw(file);
        raw.exec("PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;");
        sqlite3_stmt* insertTrack = raw.prepare(
            "INSERT INTO tracks(path, title, artist, album, genre, year, duration, cover_file, added, "
            "file_modified, file_size, play_count, last_played, rating, source_url, song_key) "
            "VALUES(?,?,?,?,?,?,?,NULL,?,?,?,0,NULL,0,NULL,?)");
        sqlite3_stmt* insertIndex =
            raw.prepare("INSERT INTO tracks_fts(title, artist, album, genre, filename) VALUES(?,?,?,?,?)");
        sqlite3_stmt* insertMap = raw.prepare("INSERT INTO fts_map(path, rowid_fts) VALUES(?, ?)");
        state.ResumeTiming();
        for (std::size_t start = 0; start < all.size(); start += batchSize) {
            raw.exec("BEGIN IMMEDIATE");
            for (std::size_t index = start; index < start + batchSize; ++index) {
                const Track& track = all[index];
                auto text = [](sqlite3_stmt* statement, int column, const std::string& value) {
                    sqlite3_bind_text(statement, column, value.c_str(), -1, SQLITE_TRANSIENT);
                };
                text(insertTrack, 1, track.path);
                text(insertTrack, 2, track.title);
                text(insertTrack, 3, track.artist);
                text(insertTrack, 4, track.album);
                text(insertTrack, 5, track.genre);
                sqlite3_bind_int64(insertTrack, 6, track.year);
                sqlite3_bind_double(insertTrack, 7, track.duration);
                sqlite3_bind_double(insertTrack, 8, platform::secondsSince1970(track.added));
                sqlite3_bind_double(insertTrack, 9, platform::secondsSince1970(track.fileModified));
                sqlite3_bind_int64(insertTrack, 10, track.fileSize.value_or(0));
                text(insertTrack, 11, keys[index]);
                sqlite3_step(insertTrack);
                sqlite3_reset(insertTrack);
                text(insertIndex, 1, track.title);
                text(insertIndex, 2, track.artist);
                text(insertIndex, 3, track.album);
                text(insertIndex, 4, track.genre);
                text(insertIndex, 5, fs::path(track.path).filename().string());
                sqlite3_step(insertIndex);
                sqlite3_reset(insertIndex);
                text(insertMap, 1, track.path);
                sqlite3_bind_int64(insertMap, 2, sqlite3_last_insert_rowid(raw.handle()));
                sqlite3_step(insertMap);
                sqlite3_reset(insertMap);
            }
            raw.exec("COMMIT");
        }
        state.PauseTiming();
        sqlite3_finalize(insertTrack);
        sqlite3_finalize(insertIndex);
        sqlite3_finalize(insertMap);
        state.ResumeTiming();
    }
    state.counters["tracks/s"] = benchmark::Counter(double(trackCount), benchmark::Counter::kIsRate);
}

void reportLatency(benchmark::State& state, const std::vector<double>& samples, std::size_t hits) {
    state.counters["p50_us"] = percentile(samples, 0.50);
    state.counters["p95_us"] = percentile(samples, 0.95);
    state.counters["hits"] = double(hits);
}

void BM_Search(benchmark::State& state) {
    const char* text = queries[state.range(0)];
    MusicDatabase database(searchDatabase());
    state.SetLabel(text);
    std::vector<double> samples;
    std::size_t hits = 0;
    for (auto _ : state)
        samples = microsecondsPerCall([&] { hits = database.search(text, 50).size(); });
    reportLatency(state, samples, hits);
}

const std::string columns =
    "t.path, t.title, t.artist, t.album, t.genre, t.year, t.duration, t.cover_file, t.added, "
    "t.file_modified, t.file_size, t.play_count, t.last_played, t.rating, t.source_url";

// The statement the store runs: the index ranks its best rows, only those are joined.
const std::string rankFirstSQL =
    "SELECT " + columns +
    "\nFROM (SELECT rowid AS rowid_fts, bm25(tracks_fts, 10, 6, 4, 3, 1) AS score FROM tracks_fts"
    "\n      WHERE tracks_fts MATCH ? ORDER BY score LIMIT ?) f"
    "\nJOIN fts_map m ON m.rowid_fts = f.rowid_fts JOIN tracks t ON t.path = m.path"
    "\nORDER BY f.score";
// The plain form, which joins every match before ranking.
const std::string joinFirstSQL =
    "SELECT " + columns +
    "\nFROM tracks_fts f JOIN fts_map m ON m.rowid_fts = f.rowid JOIN tracks t ON t.path = m.path"
    "\nWHERE tracks_fts MATCH ? ORDER BY bm25(tracks_fts, 10, 6, 4, 3, 1) LIMIT ?";

void searchBareSQLite(benchmark::State& state, const std::string& sql) {
    const char* text = queries[state.range(0)];
    testkit::RawConnection raw(searchDatabase());
    sqlite3_stmt* statement = raw.prepare(sql);
    std::string query = MusicDatabase::ftsQuery(text);
    state.SetLabel(text);
    std::vector<double> samples;
    std::size_t hits = 0;
    for (auto _ : state)
        samples = microsecondsPerCall([&] {
            sqlite3_bind_text(statement, 1, query.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_int64(statement, 2, 50);
            hits = 0;
            while (sqlite3_step(statement) == SQLITE_ROW) {
                benchmark::DoNotOptimize(sqlite3_column_text(statement, 0));
                ++hits;
            }
            sqlite3_reset(statement);
        });
    sqlite3_finalize(statement);
    reportLatency(state, samples, hits);
}

// Texts that once held the queue for minutes: one word many times, and many different words.
std::string manyWords(bool different) {
    std::string text;
    benchkit::Words words;
    for (int index = 0; index < 2000; ++index)
        text += (different ? words.word() + std::to_string(index) : std::string("love")) + " ";
    return text;
}

void BM_SearchManyWords(benchmark::State& state) {
    bool different = state.range(0) == 1;
    std::string text = manyWords(different);
    MusicDatabase database(searchDatabase());
    state.SetLabel(different ? "2000 different words" : "2000 x love");
    std::vector<double> samples;
    std::size_t hits = 0;
    for (auto _ : state)
        samples = microsecondsPerCall([&] { hits = database.search(text, 50).size(); });
    reportLatency(state, samples, hits);
}

void BM_Search_RawSQLite(benchmark::State& state) {
    searchBareSQLite(state, rankFirstSQL);
}
void BM_Search_RawSQLiteJoinFirst(benchmark::State& state) {
    searchBareSQLite(state, joinFirstSQL);
}

} // namespace

BENCHMARK(BM_InsertInBatchesOf50)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_InsertInBatchesOf50_RawSQLite)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_Search)->DenseRange(0, std::size(queries) - 1)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_SearchManyWords)->DenseRange(0, 1)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Search_RawSQLite)
    ->DenseRange(0, std::size(queries) - 1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK(BM_Search_RawSQLiteJoinFirst)
    ->DenseRange(0, std::size(queries) - 1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

int main(int argc, char** argv) {
    return ZazidEvoz::benchkit::runBenchmarksInSandbox(argc, argv);
}
