// music.sqlite: the music library's tracks with a full-text index over them, the lyrics cache
// and the log of songs heard on the radio.
//
// One connection, owned by one serial queue ("ZR music db"): every statement
// runs there, submitted synchronously from the caller's thread, and is prepared once and kept
// for the life of the connection. Only opening throws; every data operation absorbs its own
// failures: a read returns an empty or default result, a write says whether it happened, and a
// bulk write is one IMMEDIATE transaction that is rolled back whole on failure. A search runs within a time
// budget, so no query text can hold the queue for long.
#pragma once

#include "MusicLibrary.hpp"
#include "TrackMoves.hpp"
#include "ZazidEvoz/lyrics/LyricsService.hpp"
#include "ZazidEvoz/platform/SerialQueue.hpp"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <variant>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace ZazidEvoz {

// what() is "SQLite: " followed by SQLite's message.
class MusicDatabaseError : public std::runtime_error {
public:
    explicit MusicDatabaseError(const std::string& message, int code = 0)
        : std::runtime_error("SQLite: " + message), code_(code) {}
    // SQLite's primary result code; 0 when unknown.
    int code() const { return code_; }
    // The file is no database or a damaged one: opening it again cannot help.
    bool isDamagedFile() const;

private:
    int code_;
};

class MusicDatabase {
public:
    // What the folder synchroniser compares a file with.
    struct FileStamp {
        double modified = 0;   // seconds since 1970
        std::int64_t size = 0; // bytes
        double added = 0;      // seconds since 1970: when the track joined the library
        double duration = 0;   // seconds; 0 when the file's length could not be read
    };

    // How long one search may run on the queue before it is cut short.
    static constexpr std::chrono::milliseconds standardSearchBudget{250};
    // A search text is read up to this many bytes and this many different words.
    static constexpr std::size_t maximumSearchTextBytes = 512;
    static constexpr std::size_t maximumSearchWords = 16;

    // Opens or creates the database, creating its folder, and brings the schema up to date.
    // Throws MusicDatabaseError, or std::filesystem::filesystem_error when the folder cannot
    // be made.
    explicit MusicDatabase(std::filesystem::path fileURL,
                           std::chrono::milliseconds searchBudget = standardSearchBudget);
    // "music.sqlite" in the support folder.
    static std::shared_ptr<MusicDatabase> standard();

    // How the library's database came to be.
    struct Opening {
        std::shared_ptr<MusicDatabase> database;         // none: the library keeps its tracks in music.json
        std::optional<std::filesystem::path> movedAside; // where a damaged file went
    };
    // The library's database at `fileURL`. A file there that is no database, or a damaged one,
    // is moved aside like every broken file ("<name>.broken-<time>", its journal files with it)
    // and a new database made in its place. When none can be opened at all, there is none.
    // Each of the two is one line on standard error. Never throws.
    static Opening openForLibrary(const std::filesystem::path& fileURL);
    ~MusicDatabase() = default;
    MusicDatabase(const MusicDatabase&) = delete;
    MusicDatabase& operator=(const MusicDatabase&) = delete;

    const std::filesystem::path& fileURL() const { return fileURL_; }

    // ---- Tracks
    // Every stored track, in no promised order; empty on failure.
    std::vector<Track> allTracks();
    // The number of stored tracks; 0 on failure.
    std::int64_t count();
    // Tracks whose indexed texts hold every word of `text` as a word prefix, best first; cut
    // short (possibly to none) when the search budget runs out.
    std::vector<Track> search(std::string_view text, std::int64_t limit);
    // Inserts or replaces the tracks by path: all of them or, on any failure, none (false).
    bool upsert(const std::vector<Track>& tracks);
    // The same, with the song key of each track (songKey(artist, title)) worked out beforehand,
    // for example on the threads that read the tracks. Ignored unless there is one per track.
    bool upsert(const std::vector<Track>& tracks, const std::vector<std::string>& songKeys);
    // Removes the tracks with these paths: all of them or, on any failure, none (false).
    bool deletePaths(const std::vector<std::string>& paths);
    // False when the write failed; a path without a track is no failure.
    bool updateUsage(const std::string& path, std::int64_t playCount, std::optional<Date> lastPlayed,
                     std::int64_t rating);
    // Gives the tracks of moved files (a file, or every file under a moved folder) their new
    // paths, the moves applied in their order, and keeps every other column; a track stored at
    // a new path already (its file was replaced) gives way. All or, on any failure, none.
    // Returns how many tracks moved; none on failure.
    std::optional<std::int64_t> moveTracks(const std::vector<PathMove>& moves);
    // Stored modification time and size of every track, by path.
    std::unordered_map<std::string, FileStamp> fileStamps();

    // The full-text query for a search text: each run of letters, marks and digits as a quoted
    // prefix term, all of them required. A word repeated (in any letter case) counts once; only
    // the first maximumSearchTextBytes of the text and its first maximumSearchWords different
    // words are used. Empty when the text has none.
    static std::string ftsQuery(std::string_view text);

    // ---- Lyrics cache and heard songs (MusicDatabaseLyrics.cpp)
    //
    // One `lyrics` row per song key holds the stored lookup of a song and the log of its radio
    // plays; `lyrics_fts` indexes the rows that have text.

    // A stored lookup.
    struct LyricsLookup {
        enum class Kind {
            found,    // `lyrics` holds what was stored
            unknown,  // nothing usable is stored: ask the web service
            notFound, // a lookup less than 30 days ago found nothing
        };
        Kind kind = Kind::unknown;
        SongLyrics lyrics; // only for `found`

        static LyricsLookup found(SongLyrics lyrics) { return {Kind::found, std::move(lyrics)}; }
        static LyricsLookup unknown() { return {Kind::unknown, {}}; }
        static LyricsLookup notFound() { return {Kind::notFound, {}}; }
        friend bool operator==(const LyricsLookup&, const LyricsLookup&) = default;
    };

    // One full-text hit in stored lyrics.
    struct LyricsHit {
        std::string songKey;
        std::string artist;
        std::string title;
        std::string snippet;                  // matches in «», cuts as …, lines separated by " / "
        std::optional<std::string> trackPath; // a library track of the same song
        std::optional<std::string> heardStation;
        std::optional<Date> heardLast;

        const std::string& id() const { return songKey; }
        friend bool operator==(const LyricsHit&, const LyricsHit&) = default;
    };
    struct LyricsHitHash {
        std::size_t operator()(const LyricsHit& hit) const;
    };

    // A song heard on the radio.
    struct HeardSong {
        std::string artist;
        std::string title;
        std::string station; // of the last report
        Date date{};         // of the last report
        std::int64_t count = 0;
        bool hasLyrics = false;

        friend bool operator==(const HeardSong&, const HeardSong&) = default;
    };

    // Normalised artist (without featured artists), "|", normalised title: variants of one
    // song name (credits, version remarks in brackets, case, accents, punctuation) share it.
    static std::string songKey(std::string_view artist, std::string_view title);

    // Stores a lookup: `lyrics`, or nothing for "the service has no lyrics". Replaces the
    // song's earlier lookup and keeps its radio plays. False when nothing could be stored
    // (callers that retry must not retry forever).
    bool saveLyrics(const std::string& artist, const std::string& title,
                    const std::optional<SongLyrics>& lyrics, const std::string& source);
    // Counts a radio play of the song now, on `station`; false when the write failed.
    bool markHeard(const std::string& artist, const std::string& title, const std::string& station);
    LyricsLookup storedLyrics(const std::string& artist, const std::string& title);
    // Tracks with artist and title whose song was never looked up, oldest added first.
    std::vector<Track> tracksWithoutLyrics(std::int64_t limit);
    // Stored lyrics holding every word of `text` as a word prefix; title matches rank above
    // artist matches above text matches. Cut short when the search budget runs out.
    std::vector<LyricsHit> searchLyrics(std::string_view text, std::int64_t limit);
    // Most recently heard first.
    std::vector<HeardSong> heardSongs(std::int64_t limit);

private:
    // A statement parameter.
    using Value = std::variant<std::string, std::int64_t, double, std::monostate>;
    using Bindings = std::vector<Value>;

    // The statement layer. Call only on the queue. A statement is prepared on its first use
    // and kept; each use binds it afresh and resets it afterwards.
    void exec(const std::string& sql);
    void withStatement(std::string_view sql, const Bindings& bindings,
                       const std::function<void(sqlite3_stmt*)>& body);
    void run(std::string_view sql, const Bindings& bindings);
    void inTransaction(const std::function<void()>& body);
    // Runs `body`, whose statements end early once the search budget has passed.
    void withinSearchBudget(const std::function<void()>& body);
    [[noreturn]] void throwLastError();

    // Column reading. NULL text reads as empty.
    static std::string columnText(sqlite3_stmt* statement, int column);
    static bool columnIsNull(sqlite3_stmt* statement, int column);
    static std::optional<std::string> optionalColumnText(sqlite3_stmt* statement, int column);
    static Date columnDate(sqlite3_stmt* statement, int column);

    void migrate();
    void addSongKeyColumn();
    // Gives every track without a stored song key its key (rows written by another program).
    void fillMissingSongKeys();
    void foldStoredIndexTexts();
    std::vector<Track> query(std::string_view sql, const Bindings& bindings);
    void reindex(const Track& track);
    void removeFromIndex(const std::string& path);

    static Bindings bindings(const Track& track);
    static Track track(sqlite3_stmt* statement);
    // The track columns read by track(), each after `prefix`, joined by ", ".
    static std::string trackColumnList(std::string_view prefix = {});

    struct Closer {
        void operator()(sqlite3* db) const;
    };
    struct CachedStatement {
        sqlite3_stmt* statement = nullptr;
        bool inUse = false; // a nested use of the same text prepares a statement of its own
    };
    // Looks statements up by any form of their text, without making a string of it.
    struct TextHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
    };
    // The kept statements by SQL text; finalises them when it goes.
    struct StatementCache : std::unordered_map<std::string, CachedStatement, TextHash, std::equal_to<>> {
        StatementCache() = default;
        ~StatementCache();
        StatementCache(const StatementCache&) = delete;
        StatementCache& operator=(const StatementCache&) = delete;
    };

    std::filesystem::path fileURL_;
    std::chrono::milliseconds searchBudget_;
    std::unique_ptr<sqlite3, Closer> db_; // used only in work of queue_; closed after the queue has ended
    StatementCache statements_;           // used only in work of queue_; finalised before db_ closes

    std::unique_ptr<platform::SerialQueue> queue_;
};

} // namespace ZazidEvoz
