#include "MusicDatabase.hpp"

#include "ZazidEvoz/core/MediaFolders.hpp"
#include "ZazidEvoz/platform/Text.hpp"

#include <cstdio>
#include <fmt/format.h>
#include <sqlite3.h>
#include <unordered_set>

namespace ZazidEvoz {
namespace {

constexpr int schemaVersion = 1;

// The track index stores its own copy of the texts: the FTS5 of this SQLite has no
// contentless_delete, and an index that stores its text can drop a row by rowid alone.
// tracks_added serves the lyrics filler, which takes the oldest tracks first.
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
    source_url TEXT,
    song_key TEXT
);
CREATE INDEX IF NOT EXISTS tracks_genre ON tracks(genre COLLATE NOCASE);
CREATE INDEX IF NOT EXISTS tracks_artist ON tracks(artist COLLATE NOCASE);
CREATE INDEX IF NOT EXISTS tracks_album ON tracks(album COLLATE NOCASE);
CREATE INDEX IF NOT EXISTS tracks_added ON tracks(added);
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
std::string columnList(std::string_view prefix = {}) {
    std::string list;
    for (std::string_view name : trackColumnNames)
        list += fmt::format("{}{}{}", list.empty() ? "" : ", ", prefix, name);
    return list;
}

const std::string trackColumns = columnList();
const std::string allTracksSQL = "SELECT " + trackColumns + " FROM tracks";

// Inserts a track with its song key (the last binding), or replaces every column of the row
// that has its path.
const std::string upsertTrackSQL = [] {
    std::string placeholders, updates;
    for (std::string_view name : trackColumnNames) {
        placeholders += placeholders.empty() ? "?" : ",?";
        if (name != "path")
            updates += fmt::format("{}{}=excluded.{}", updates.empty() ? "" : ", ", name, name);
    }
    return fmt::format("INSERT INTO tracks({}, song_key) VALUES({},?)\nON CONFLICT(path) DO UPDATE SET {}, "
                       "song_key=excluded.song_key",
                       trackColumns, placeholders, updates);
}();

// The index picks and ranks its best rows first and only those are joined: the same rows in
// the same order as joining every match, without looking up thousands of rows for a common word.
const std::string searchTracksSQL =
    "SELECT " + columnList("t.") +
    "\nFROM (SELECT rowid AS rowid_fts, bm25(tracks_fts, 10, 6, 4, 3, 1) AS score FROM tracks_fts"
    "\n      WHERE tracks_fts MATCH ? ORDER BY score LIMIT ?) f"
    "\nJOIN fts_map m ON m.rowid_fts = f.rowid_fts JOIN tracks t ON t.path = m.path"
    "\nORDER BY f.score";

// The index's tokenizer folds case and strips diacritics, but the dotless ı is a letter of its
// own to it, so "gunaydin" would miss "Günaydın". Both what is indexed and what is searched
// for pass through here. Written into the index by every open that finds the marker missing.
constexpr std::string_view dotlessI = "\u0131";
constexpr const char* foldedIndexMarker = "tracks_index_folding";

std::string foldedForIndex(std::string text) {
    for (std::size_t at = text.find(dotlessI); at != std::string::npos; at = text.find(dotlessI, at + 1))
        text.replace(at, dotlessI.size(), "i");
    return text;
}

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

// While it lives, the statements of the connection are interrupted once `budget` has passed:
// they end as if their rows had run out. SQLite asks between steps of its program, so the
// clock is read about once per thousand of them.
class TimeBudget {
public:
    TimeBudget(sqlite3* db, std::chrono::milliseconds budget)
        : db_(db), deadline_(std::chrono::steady_clock::now() + budget) {
        sqlite3_progress_handler(db_, 1000, &TimeBudget::expired, this);
    }
    ~TimeBudget() { sqlite3_progress_handler(db_, 0, nullptr, nullptr); }
    TimeBudget(const TimeBudget&) = delete;
    TimeBudget& operator=(const TimeBudget&) = delete;

private:
    static int expired(void* budget) {
        return std::chrono::steady_clock::now() >= static_cast<TimeBudget*>(budget)->deadline_ ? 1 : 0;
    }

    sqlite3* db_;
    std::chrono::steady_clock::time_point deadline_;
};

} // namespace

std::string MusicDatabase::trackColumnList(std::string_view prefix) {
    return columnList(prefix);
}

void MusicDatabase::Closer::operator()(sqlite3* db) const {
    sqlite3_close_v2(db);
}

MusicDatabase::MusicDatabase(std::filesystem::path fileURL, std::chrono::milliseconds searchBudget)
    : fileURL_(std::move(fileURL)), searchBudget_(searchBudget) {
    if (fileURL_.has_parent_path())
        std::filesystem::create_directories(fileURL_.parent_path());
    sqlite3* handle = nullptr;
    int result = sqlite3_open_v2(fileURL_.c_str(), &handle,
                                 SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX, nullptr);
    db_.reset(handle);
    if (result != SQLITE_OK)
        throw MusicDatabaseError(handle ? sqlite3_errmsg(handle) : sqlite3_errstr(result), result & 0xff);
    queue_ = std::make_unique<platform::SerialQueue>("ZR music db");
    queue_->sync([this] { migrate(); });
}

MusicDatabase::StatementCache::~StatementCache() {
    for (auto& [sql, cached] : *this)
        sqlite3_finalize(cached.statement);
}

std::shared_ptr<MusicDatabase> MusicDatabase::standard() {
    return std::make_shared<MusicDatabase>(MediaFolders::support() / "music.sqlite");
}

bool MusicDatabaseError::isDamagedFile() const {
    return code_ == SQLITE_NOTADB || code_ == SQLITE_CORRUPT;
}

namespace {

// Moves a damaged database aside with its journal files, which belong to it and would
// otherwise be played into the new one. Returns where the database went.
std::filesystem::path moveDamagedDatabaseAside(const std::filesystem::path& fileURL) {
    for (const char* suffix : {"-wal", "-shm", "-journal"}) {
        std::filesystem::path journal = fileURL;
        journal += suffix;
        std::error_code unknown;
        if (std::filesystem::exists(journal, unknown))
            platform::moveAside(journal);
    }
    return platform::moveAside(fileURL);
}

} // namespace

MusicDatabase::Opening MusicDatabase::openForLibrary(const std::filesystem::path& fileURL) {
    Opening opening;
    std::string failure;
    try {
        try {
            opening.database = std::make_shared<MusicDatabase>(fileURL);
            return opening;
        } catch (const MusicDatabaseError& error) {
            if (!error.isDamagedFile())
                throw;
            opening.movedAside = moveDamagedDatabaseAside(fileURL);
            std::fprintf(stderr, "ZintraRadio: music database %s could not be read (%s); moved aside to %s\n",
                         fileURL.c_str(), error.what(), opening.movedAside->c_str());
        }
        opening.database = std::make_shared<MusicDatabase>(fileURL);
        return opening;
    } catch (const std::exception& error) {
        failure = error.what();
    }
    std::fprintf(stderr,
                 "ZintraRadio: music database %s cannot be opened (%s); the library keeps its tracks in "
                 "music.json\n",
                 fileURL.c_str(), failure.c_str());
    return opening;
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
    throw MusicDatabaseError(sqlite3_errmsg(db_.get()), sqlite3_errcode(db_.get()) & 0xff);
}

void MusicDatabase::exec(const std::string& sql) {
    char* message = nullptr;
    int result = sqlite3_exec(db_.get(), sql.c_str(), nullptr, nullptr, &message);
    if (result == SQLITE_OK)
        return;
    std::string text = message ? message : "unknown";
    sqlite3_free(message);
    throw MusicDatabaseError(text, result & 0xff);
}

void MusicDatabase::withStatement(std::string_view sql, const Bindings& values,
                                  const std::function<void(sqlite3_stmt*)>& body) {
    auto prepare = [this, &sql](unsigned flags) {
        sqlite3_stmt* raw = nullptr;
        if (sqlite3_prepare_v3(db_.get(), sql.data(), int(sql.size()), flags, &raw, nullptr) != SQLITE_OK ||
            raw == nullptr) {
            sqlite3_finalize(raw);
            throwLastError();
        }
        return raw;
    };
    auto entry = statements_.find(sql);
    if (entry == statements_.end())
        entry = statements_.emplace(std::string(sql), CachedStatement()).first;
    CachedStatement& cached = entry->second;
    std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> ownStatement(nullptr, sqlite3_finalize);
    sqlite3_stmt* raw = nullptr;
    if (cached.inUse) {
        ownStatement.reset(prepare(0));
        raw = ownStatement.get();
    } else {
        if (!cached.statement) {
            try {
                cached.statement = prepare(SQLITE_PREPARE_PERSISTENT);
            } catch (const MusicDatabaseError&) {
                statements_.erase(entry); // a failed text is not kept
                throw;
            }
        }
        raw = cached.statement;
        cached.inUse = true;
    }
    // Leaves a kept statement ready for its next use, however the body ends.
    struct Release {
        sqlite3_stmt* statement;
        CachedStatement* cached;
        ~Release() {
            if (!cached)
                return;
            sqlite3_reset(statement);
            sqlite3_clear_bindings(statement);
            cached->inUse = false;
        }
    } release{raw, ownStatement ? nullptr : &cached};

    // The values outlive the body, and the bindings are cleared after it: SQLite need not copy.
    int index = 1;
    for (const Value& value : values) {
        std::visit(
            [&](const auto& bound) {
                using Bound = std::decay_t<decltype(bound)>;
                if constexpr (std::is_same_v<Bound, std::string>)
                    sqlite3_bind_text(raw, index, bound.c_str(), -1, SQLITE_STATIC);
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

void MusicDatabase::run(std::string_view sql, const Bindings& values) {
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

void MusicDatabase::withinSearchBudget(const std::function<void()>& body) {
    TimeBudget budget(db_.get(), searchBudget_);
    body();
}

void MusicDatabase::migrate() {
    exec("PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL; PRAGMA foreign_keys=ON;");
    exec(schemaScript);
    exec(fmt::format("INSERT OR IGNORE INTO meta(key, value) VALUES('schema', '{}')", schemaVersion));
    exec("DELETE FROM lyrics_fts WHERE song_key IN (SELECT song_key FROM lyrics WHERE source = "
         "'transcript');\n"
         "DELETE FROM lyrics WHERE source = 'transcript';");
    addSongKeyColumn();
    fillMissingSongKeys();
    foldStoredIndexTexts();
}

// Files made before tracks kept their song key get the column here; its values follow.
void MusicDatabase::addSongKeyColumn() {
    bool present = false;
    withStatement("SELECT 1 FROM pragma_table_info('tracks') WHERE name = 'song_key'", {},
                  [&](sqlite3_stmt* statement) { present = sqlite3_step(statement) == SQLITE_ROW; });
    if (!present)
        exec("ALTER TABLE tracks ADD COLUMN song_key TEXT");
    exec("CREATE INDEX IF NOT EXISTS tracks_song_key ON tracks(song_key)");
}

void MusicDatabase::fillMissingSongKeys() {
    struct Missing {
        std::int64_t rowid;
        std::string key;
    };
    std::vector<Missing> missing;
    withStatement("SELECT rowid, artist, title FROM tracks WHERE song_key IS NULL", {},
                  [&](sqlite3_stmt* statement) {
                      while (sqlite3_step(statement) == SQLITE_ROW)
                          missing.push_back({sqlite3_column_int64(statement, 0),
                                             songKey(columnText(statement, 1), columnText(statement, 2))});
                  });
    if (missing.empty())
        return;
    inTransaction([&] {
        for (const Missing& row : missing)
            run("UPDATE tracks SET song_key = ? WHERE rowid = ?", {row.key, row.rowid});
    });
}

// Index rows written before the index folded its texts get the folded form once.
void MusicDatabase::foldStoredIndexTexts() {
    bool folded = false;
    withStatement("SELECT 1 FROM meta WHERE key = ?", {std::string(foldedIndexMarker)},
                  [&](sqlite3_stmt* statement) { folded = sqlite3_step(statement) == SQLITE_ROW; });
    if (folded)
        return;
    struct Row {
        std::int64_t rowid;
        std::vector<std::string> texts;
    };
    std::vector<Row> unfolded;
    const std::string pattern = "%" + std::string(dotlessI) + "%";
    withStatement("SELECT rowid, title, artist, album, genre, filename FROM tracks_fts WHERE title LIKE ?1 "
                  "OR artist LIKE ?1 OR album LIKE ?1 OR genre LIKE ?1 OR filename LIKE ?1",
                  {pattern}, [&](sqlite3_stmt* statement) {
                      while (sqlite3_step(statement) == SQLITE_ROW) {
                          Row row{sqlite3_column_int64(statement, 0), {}};
                          for (int column = 1; column <= 5; ++column)
                              row.texts.push_back(foldedForIndex(columnText(statement, column)));
                          unfolded.push_back(std::move(row));
                      }
                  });
    inTransaction([&] {
        for (const Row& row : unfolded)
            run("UPDATE tracks_fts SET title = ?, artist = ?, album = ?, genre = ?, filename = ? WHERE rowid = ?",
                {row.texts[0], row.texts[1], row.texts[2], row.texts[3], row.texts[4], row.rowid});
        run("INSERT INTO meta(key, value) VALUES(?, '1')", {std::string(foldedIndexMarker)});
    });
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

std::vector<Track> MusicDatabase::query(std::string_view sql, const Bindings& values) {
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
        {foldedForIndex(track.title), foldedForIndex(track.artist), foldedForIndex(track.album),
         foldedForIndex(track.genre), foldedForIndex(lastPathComponent(track.path))});
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
        std::vector<Track> tracks;
        try {
            withinSearchBudget([&] { tracks = query(searchTracksSQL, {q, limit}); });
        } catch (const MusicDatabaseError&) {
            tracks.clear();
        }
        return tracks;
    });
}

bool MusicDatabase::upsert(const std::vector<Track>& tracks) {
    return upsert(tracks, {});
}

bool MusicDatabase::upsert(const std::vector<Track>& tracks, const std::vector<std::string>& songKeys) {
    if (tracks.empty())
        return true;
    // Worked out on the caller's thread, so the queue is held only for the writes.
    bool keysGiven = songKeys.size() == tracks.size();
    std::vector<Bindings> rows;
    rows.reserve(tracks.size());
    for (std::size_t index = 0; index < tracks.size(); ++index) {
        const Track& track = tracks[index];
        rows.push_back(bindings(track));
        rows.back().emplace_back(keysGiven ? songKeys[index] : songKey(track.artist, track.title));
    }
    return queue_->sync([&] {
        try {
            inTransaction([&] {
                for (std::size_t index = 0; index < tracks.size(); ++index) {
                    run(upsertTrackSQL, rows[index]);
                    reindex(tracks[index]);
                }
            });
            return true;
        } catch (const MusicDatabaseError&) {
            return false; // rolled back whole
        }
    });
}

bool MusicDatabase::deletePaths(const std::vector<std::string>& paths) {
    if (paths.empty())
        return true;
    return queue_->sync([&] {
        try {
            inTransaction([&] {
                for (const std::string& path : paths) {
                    removeFromIndex(path);
                    run("DELETE FROM tracks WHERE path = ?", {path});
                }
            });
            return true;
        } catch (const MusicDatabaseError&) {
            return false; // rolled back whole
        }
    });
}

bool MusicDatabase::updateUsage(const std::string& path, std::int64_t playCount,
                                std::optional<Date> lastPlayed, std::int64_t rating) {
    return queue_->sync([&] {
        try {
            run("UPDATE tracks SET play_count=?, last_played=?, rating=? WHERE path=?",
                {playCount, lastPlayed ? Value(seconds(*lastPlayed)) : Value(std::monostate()), rating,
                 path});
            return true;
        } catch (const MusicDatabaseError&) {
            return false;
        }
    });
}

std::optional<std::int64_t> MusicDatabase::moveTracks(const std::vector<PathMove>& moves) {
    if (moves.empty())
        return 0;
    return queue_->sync([&]() -> std::optional<std::int64_t> {
        std::int64_t moved = 0;
        try {
            inTransaction([&] {
                moved = 0;
                for (const PathMove& move : moves) {
                    // The file itself and what lies inside it as a folder; compared as text, so
                    // no character of a path acts as a pattern.
                    const std::string inside = move.from + "/";
                    const auto tracks = query(allTracksSQL + " WHERE path = ? OR substr(path, 1, length(?)) = ?",
                                              {move.from, inside, inside});
                    for (Track track : tracks) {
                        auto target = movedPath(track.path, {move});
                        if (!target)
                            continue;
                        removeFromIndex(track.path);
                        run("DELETE FROM tracks WHERE path = ?", {track.path});
                        removeFromIndex(*target);
                        run("DELETE FROM tracks WHERE path = ?", {*target});
                        track.path = std::move(*target);
                        Bindings row = bindings(track);
                        row.emplace_back(songKey(track.artist, track.title));
                        run(upsertTrackSQL, row);
                        reindex(track);
                        ++moved;
                    }
                }
            });
        } catch (const MusicDatabaseError&) {
            return std::nullopt; // rolled back whole
        }
        return moved;
    });
}

std::unordered_map<std::string, MusicDatabase::FileStamp> MusicDatabase::fileStamps() {
    return queue_->sync([this] {
        std::unordered_map<std::string, FileStamp> stamps;
        try {
            withStatement("SELECT path, file_modified, file_size, added, duration FROM tracks", {},
                          [&](sqlite3_stmt* statement) {
                              while (sqlite3_step(statement) == SQLITE_ROW)
                                  stamps[columnText(statement, 0)] = {sqlite3_column_double(statement, 1),
                                                                      sqlite3_column_int64(statement, 2),
                                                                      sqlite3_column_double(statement, 3),
                                                                      sqlite3_column_double(statement, 4)};
                          });
        } catch (const MusicDatabaseError&) {
        }
        return stamps;
    });
}

std::string MusicDatabase::ftsQuery(std::string_view text) {
    // Each term costs the index a pass over its matches, and repeated terms add nothing.
    std::string query;
    std::unordered_set<std::string> used;
    for (const std::string& word :
         text::alphanumericWords(text::bytePrefixOnCharacterBoundary(text, maximumSearchTextBytes))) {
        if (used.size() == maximumSearchWords)
            break;
        if (!used.insert(text::lowercased(foldedForIndex(word))).second)
            continue;
        if (!query.empty())
            query += " AND ";
        query += '"' + foldedForIndex(word) + "\"*";
    }
    return query;
}

} // namespace ZazidEvoz
