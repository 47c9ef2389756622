#include "MusicDatabase.hpp"

#include "MediaFolders.hpp"
#include "platform/Text.hpp"

#include <fmt/format.h>
#include <sqlite3.h>

namespace ZazidEvoz {
namespace {

constexpr int schemaVersion = 1;

// The track index stores its own copy of the texts: the FTS5 of this SQLite has no
// contentless_delete, and an index that stores its text can drop a row by rowid alone.
constexpr const char* schemaScript = R"sql(
CREATE TABLE IF NOT EXISTS tracks (
    path TEXT PRIMARY KEY,
    title TEXT NOT NULL DEFAULT '',
    artist TEXT NOT NULL DEFAULT '',
    album TEXT NOT NULL DEFAULT '',
    genre TEXT NOT NULL DEFAULT '',
    year INTEGER NOT NULL DEFAULT 0,
    duration REAL NOT NULL DEFAULT 0,
    cover_file TEXT,
    added REAL NOT NULL,
    file_modified REAL NOT NULL,
    file_size INTEGER NOT NULL DEFAULT 0,
    play_count INTEGER NOT NULL DEFAULT 0,
    last_played REAL,
    rating INTEGER NOT NULL DEFAULT 0,
    source_url TEXT
);
CREATE INDEX IF NOT EXISTS tracks_genre ON tracks(genre COLLATE NOCASE);
CREATE INDEX IF NOT EXISTS tracks_artist ON tracks(artist COLLATE NOCASE);
CREATE INDEX IF NOT EXISTS tracks_album ON tracks(album COLLATE NOCASE);
CREATE VIRTUAL TABLE IF NOT EXISTS tracks_fts USING fts5(
    title, artist, album, genre, filename,
    tokenize='unicode61 remove_diacritics 2'
);
CREATE TABLE IF NOT EXISTS fts_map (path TEXT PRIMARY KEY, rowid_fts INTEGER NOT NULL UNIQUE);
CREATE TABLE IF NOT EXISTS meta (key TEXT PRIMARY KEY, value TEXT);
CREATE TABLE IF NOT EXISTS lyrics (
    song_key TEXT PRIMARY KEY,
    artist TEXT NOT NULL,
    title TEXT NOT NULL,
    plain TEXT NOT NULL DEFAULT '',
    synced TEXT NOT NULL DEFAULT '',
    found INTEGER NOT NULL DEFAULT 0,
    source TEXT NOT NULL DEFAULT '',
    fetched REAL NOT NULL,
    heard_station TEXT,
    heard_last REAL,
    heard_count INTEGER NOT NULL DEFAULT 0
);
CREATE VIRTUAL TABLE IF NOT EXISTS lyrics_fts USING fts5(
    song_key UNINDEXED, artist, title, body,
    tokenize='unicode61 remove_diacritics 2'
);
)sql";

// The columns of a track row, in the order of bindings() and track().
constexpr std::string_view trackColumnNames[] = {
    "path",  "title",         "artist",    "album",      "genre",       "year",   "duration",  "cover_file",
    "added", "file_modified", "file_size", "play_count", "last_played", "rating", "source_url"};

// The column names, each after `prefix`, joined by ", ".
std::string trackColumnList(std::string_view prefix = {}) {
    std::string list;
    for (std::string_view name : trackColumnNames)
        list += fmt::format("{}{}{}", list.empty() ? "" : ", ", prefix, name);
    return list;
}

const std::string trackColumns = trackColumnList();
const std::string allTracksSQL = "SELECT " + trackColumns + " FROM tracks";

// Inserts a track, or replaces every column of the row that has its path.
const std::string upsertTrackSQL = [] {
    std::string placeholders, updates;
    for (std::string_view name : trackColumnNames) {
        placeholders += placeholders.empty() ? "?" : ",?";
        if (name != "path")
            updates += fmt::format("{}{}=excluded.{}", updates.empty() ? "" : ", ", name, name);
    }
    return fmt::format("INSERT INTO tracks({}) VALUES({})\nON CONFLICT(path) DO UPDATE SET {}", trackColumns,
                       placeholders, updates);
}();

// The index picks and ranks its best rows first and only those are joined: the same rows in
// the same order as joining every match, without looking up thousands of rows for a common word.
const std::string searchTracksSQL =
    "SELECT " + trackColumnList("t.") +
    "\nFROM (SELECT rowid AS rowid_fts, bm25(tracks_fts, 10, 6, 4, 3, 1) AS score FROM tracks_fts"
    "\n      WHERE tracks_fts MATCH ? ORDER BY score LIMIT ?) f"
    "\nJOIN fts_map m ON m.rowid_fts = f.rowid_fts JOIN tracks t ON t.path = m.path"
    "\nORDER BY f.score";

// The text after the last slash, trailing slashes ignored.
std::string lastPathComponent(const std::string& path) {
    std::size_t end = path.find_last_not_of('/');
    if (end == std::string::npos)
        return path.empty() ? std::string() : std::string("/");
    std::size_t slash = path.rfind('/', end);
    std::size_t start = slash == std::string::npos ? 0 : slash + 1;
    return path.substr(start, end + 1 - start);
}

// SQLite stores a NaN as NULL, which a NOT NULL column refuses, and that would sink a whole batch.
double seconds(Date date) {
    return json::finiteOrZero(platform::secondsSince1970(date));
}

} // namespace

void MusicDatabase::Closer::operator()(sqlite3* db) const {
    sqlite3_close_v2(db);
}

MusicDatabase::MusicDatabase(std::filesystem::path fileURL) : fileURL_(std::move(fileURL)) {
    if (fileURL_.has_parent_path())
        std::filesystem::create_directories(fileURL_.parent_path());
    sqlite3* handle = nullptr;
    int result = sqlite3_open_v2(fileURL_.c_str(), &handle,
                                 SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX, nullptr);
    db_.reset(handle);
    if (result != SQLITE_OK)
        throw MusicDatabaseError(handle ? sqlite3_errmsg(handle) : sqlite3_errstr(result));
    queue_ = std::make_unique<platform::SerialQueue>("ZintraRadio.MusicDatabase");
    queue_->sync([this] { migrate(); });
}

std::shared_ptr<MusicDatabase> MusicDatabase::standard() {
    return std::make_shared<MusicDatabase>(MediaFolders::support() / "music.sqlite");
}

// ---- Column reading

std::string MusicDatabase::columnText(sqlite3_stmt* statement, int column) {
    const unsigned char* text = sqlite3_column_text(statement, column);
    return text ? std::string(reinterpret_cast<const char*>(text)) : std::string();
}

bool MusicDatabase::columnIsNull(sqlite3_stmt* statement, int column) {
    return sqlite3_column_type(statement, column) == SQLITE_NULL;
}

std::optional<std::string> MusicDatabase::optionalColumnText(sqlite3_stmt* statement, int column) {
    return columnIsNull(statement, column) ? std::nullopt : std::optional(columnText(statement, column));
}

Date MusicDatabase::columnDate(sqlite3_stmt* statement, int column) {
    return platform::dateFromSecondsSince1970(sqlite3_column_double(statement, column));
}

// ---- Statement layer

void MusicDatabase::throwLastError() {
    throw MusicDatabaseError(sqlite3_errmsg(db_.get()));
}

void MusicDatabase::exec(const std::string& sql) {
    char* message = nullptr;
    int result = sqlite3_exec(db_.get(), sql.c_str(), nullptr, nullptr, &message);
    if (result == SQLITE_OK)
        return;
    std::string text = message ? message : "unknown";
    sqlite3_free(message);
    throw MusicDatabaseError(text);
}

void MusicDatabase::withStatement(const std::string& sql, const Bindings& values,
                                  const std::function<void(sqlite3_stmt*)>& body) {
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db_.get(), sql.c_str(), -1, &raw, nullptr) != SQLITE_OK || raw == nullptr) {
        sqlite3_finalize(raw);
        throwLastError();
    }
    std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> statement(raw, sqlite3_finalize);
    int index = 1;
    for (const Value& value : values) {
        std::visit(
            [&](const auto& bound) {
                using Bound = std::decay_t<decltype(bound)>;
                if constexpr (std::is_same_v<Bound, std::string>)
                    sqlite3_bind_text(raw, index, bound.c_str(), -1, SQLITE_TRANSIENT);
                else if constexpr (std::is_same_v<Bound, std::int64_t>)
                    sqlite3_bind_int64(raw, index, bound);
                else if constexpr (std::is_same_v<Bound, double>)
                    sqlite3_bind_double(raw, index, bound);
                else
                    sqlite3_bind_null(raw, index);
            },
            value);
        ++index;
    }
    body(raw);
}

void MusicDatabase::run(const std::string& sql, const Bindings& values) {
    withStatement(sql, values, [this](sqlite3_stmt* statement) {
        int result = sqlite3_step(statement);
        if (result != SQLITE_ROW && result != SQLITE_DONE)
            throwLastError();
    });
}

void MusicDatabase::inTransaction(const std::function<void()>& body) {
    exec("BEGIN IMMEDIATE");
    try {
        body();
        exec("COMMIT");
    } catch (...) {
        try {
            exec("ROLLBACK");
        } catch (const MusicDatabaseError&) {
            // The first error is the one worth passing on.
        }
        throw;
    }
}

void MusicDatabase::migrate() {
    exec("PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL; PRAGMA foreign_keys=ON;");
    exec(schemaScript);
    exec(fmt::format("INSERT OR IGNORE INTO meta(key, value) VALUES('schema', '{}')", schemaVersion));
    exec("DELETE FROM lyrics_fts WHERE song_key IN (SELECT song_key FROM lyrics WHERE source = "
         "'transcript');\n"
         "DELETE FROM lyrics WHERE source = 'transcript';");
}

// ---- Track rows

MusicDatabase::Bindings MusicDatabase::bindings(const Track& track) {
    auto optionalText = [](const std::optional<std::string>& text) -> Value {
        return text ? Value(*text) : Value(std::monostate());
    };
    return {
        track.path,
        track.title,
        track.artist,
        track.album,
        track.genre,
        track.year,
        json::finiteOrZero(track.duration),
        optionalText(track.coverFile),
        seconds(track.added),
        seconds(track.fileModified),
        track.fileSize.value_or(0),
        track.playCount,
        track.lastPlayed ? Value(seconds(*track.lastPlayed)) : Value(std::monostate()),
        track.rating,
        optionalText(track.sourceURL),
    };
}

Track MusicDatabase::track(sqlite3_stmt* statement) {
    Track track;
    track.path = columnText(statement, 0);
    track.title = columnText(statement, 1);
    track.artist = columnText(statement, 2);
    track.album = columnText(statement, 3);
    track.genre = columnText(statement, 4);
    track.year = sqlite3_column_int64(statement, 5);
    track.duration = sqlite3_column_double(statement, 6);
    track.coverFile = optionalColumnText(statement, 7);
    track.added = columnDate(statement, 8);
    track.fileModified = columnDate(statement, 9);
    track.fileSize = sqlite3_column_int64(statement, 10);
    track.playCount = sqlite3_column_int64(statement, 11);
    if (!columnIsNull(statement, 12))
        track.lastPlayed = columnDate(statement, 12);
    track.rating = sqlite3_column_int64(statement, 13);
    track.sourceURL = optionalColumnText(statement, 14);
    return track;
}

std::vector<Track> MusicDatabase::query(const std::string& sql, const Bindings& values) {
    std::vector<Track> tracks;
    withStatement(sql, values, [&](sqlite3_stmt* statement) {
        while (sqlite3_step(statement) == SQLITE_ROW)
            tracks.push_back(track(statement));
    });
    return tracks;
}

void MusicDatabase::removeFromIndex(const std::string& path) {
    std::optional<std::int64_t> rowid;
    withStatement("SELECT rowid_fts FROM fts_map WHERE path = ?", {path}, [&](sqlite3_stmt* statement) {
        if (sqlite3_step(statement) == SQLITE_ROW)
            rowid = sqlite3_column_int64(statement, 0);
    });
    if (!rowid)
        return;
    run("DELETE FROM tracks_fts WHERE rowid = ?", {*rowid});
    run("DELETE FROM fts_map WHERE path = ?", {path});
}

void MusicDatabase::reindex(const Track& track) {
    removeFromIndex(track.path);
    run("INSERT INTO tracks_fts(title, artist, album, genre, filename) VALUES(?,?,?,?,?)",
        {track.title, track.artist, track.album, track.genre, lastPathComponent(track.path)});
    std::int64_t rowid = sqlite3_last_insert_rowid(db_.get());
    run("INSERT INTO fts_map(path, rowid_fts) VALUES(?, ?)", {track.path, rowid});
}

// ---- Track operations

std::vector<Track> MusicDatabase::allTracks() {
    return queue_->sync([this] {
        try {
            return query(allTracksSQL, {});
        } catch (const MusicDatabaseError&) {
            return std::vector<Track>();
        }
    });
}

std::int64_t MusicDatabase::count() {
    return queue_->sync([this] {
        std::int64_t total = 0;
        try {
            withStatement("SELECT COUNT(*) FROM tracks", {}, [&](sqlite3_stmt* statement) {
                if (sqlite3_step(statement) == SQLITE_ROW)
                    total = sqlite3_column_int64(statement, 0);
            });
        } catch (const MusicDatabaseError&) {
            total = 0;
        }
        return total;
    });
}

std::vector<Track> MusicDatabase::search(std::string_view text, std::int64_t limit) {
    std::string q = ftsQuery(text);
    if (q.empty())
        return {};
    return queue_->sync([&] {
        try {
            return query(searchTracksSQL, {q, limit});
        } catch (const MusicDatabaseError&) {
            return std::vector<Track>();
        }
    });
}

void MusicDatabase::upsert(const std::vector<Track>& tracks) {
    if (tracks.empty())
        return;
    queue_->sync([&] {
        try {
            inTransaction([&] {
                for (const Track& track : tracks) {
                    run(upsertTrackSQL, bindings(track));
                    reindex(track);
                }
            });
        } catch (const MusicDatabaseError&) {
            // The batch is rolled back whole; callers are not told.
        }
    });
}

void MusicDatabase::deletePaths(const std::vector<std::string>& paths) {
    if (paths.empty())
        return;
    queue_->sync([&] {
        try {
            inTransaction([&] {
                for (const std::string& path : paths) {
                    removeFromIndex(path);
                    run("DELETE FROM tracks WHERE path = ?", {path});
                }
            });
        } catch (const MusicDatabaseError&) {
            // Rolled back whole.
        }
    });
}

void MusicDatabase::updateUsage(const std::string& path, std::int64_t playCount,
                                std::optional<Date> lastPlayed, std::int64_t rating) {
    queue_->sync([&] {
        try {
            run("UPDATE tracks SET play_count=?, last_played=?, rating=? WHERE path=?",
                {playCount, lastPlayed ? Value(seconds(*lastPlayed)) : Value(std::monostate()), rating,
                 path});
        } catch (const MusicDatabaseError&) {
        }
    });
}

std::unordered_map<std::string, MusicDatabase::FileStamp> MusicDatabase::fileStamps() {
    return queue_->sync([this] {
        std::unordered_map<std::string, FileStamp> stamps;
        try {
            withStatement("SELECT path, file_modified, file_size FROM tracks", {},
                          [&](sqlite3_stmt* statement) {
                              while (sqlite3_step(statement) == SQLITE_ROW)
                                  stamps[columnText(statement, 0)] = {sqlite3_column_double(statement, 1),
                                                                      sqlite3_column_int64(statement, 2)};
                          });
        } catch (const MusicDatabaseError&) {
        }
        return stamps;
    });
}

std::string MusicDatabase::ftsQuery(std::string_view text) {
    std::string query;
    for (const std::string& word : text::alphanumericWords(text)) {
        if (!query.empty())
            query += " AND ";
        query += '"' + word + "\"*";
    }
    return query;
}

} // namespace ZazidEvoz
