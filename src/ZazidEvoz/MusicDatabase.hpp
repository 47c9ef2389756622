// music.sqlite: the music library's tracks with a full-text index over them, the lyrics cache
// and the log of songs heard on the radio.
//
// One connection, owned by one serial queue ("ZintraRadio.MusicDatabase"): every statement
// runs there, submitted synchronously from the caller's thread. Only opening throws; every
// data operation absorbs its own failures and returns an empty or default result, and a bulk
// write is one IMMEDIATE transaction that is rolled back whole on failure.
#pragma once

#include "MusicLibrary.hpp"
#include "platform/SerialQueue.hpp"

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
    explicit MusicDatabaseError(const std::string& message) : std::runtime_error("SQLite: " + message) {}
};

class MusicDatabase {
public:
    // What the folder synchroniser compares a file with.
    struct FileStamp {
        double modified = 0;   // seconds since 1970
        std::int64_t size = 0; // bytes
    };

    // Opens or creates the database, creating its folder, and brings the schema up to date.
    // Throws MusicDatabaseError, or std::filesystem::filesystem_error when the folder cannot
    // be made.
    explicit MusicDatabase(std::filesystem::path fileURL);
    // "music.sqlite" in the support folder.
    static std::shared_ptr<MusicDatabase> standard();
    ~MusicDatabase() = default;
    MusicDatabase(const MusicDatabase&) = delete;
    MusicDatabase& operator=(const MusicDatabase&) = delete;

    const std::filesystem::path& fileURL() const { return fileURL_; }

    // ---- Tracks
    // Every stored track, in no promised order; empty on failure.
    std::vector<Track> allTracks();
    // The number of stored tracks; 0 on failure.
    std::int64_t count();
    // Tracks whose indexed texts hold every word of `text` as a word prefix, best first.
    std::vector<Track> search(std::string_view text, std::int64_t limit);
    // Inserts or replaces the tracks by path: all of them or, on any failure, none.
    void upsert(const std::vector<Track>& tracks);
    // Removes the tracks with these paths: all of them or, on any failure, none.
    void deletePaths(const std::vector<std::string>& paths);
    void updateUsage(const std::string& path, std::int64_t playCount, std::optional<Date> lastPlayed,
                     std::int64_t rating);
    // Stored modification time and size of every track, by path.
    std::unordered_map<std::string, FileStamp> fileStamps();

    // The full-text query for a search text: each run of letters, marks and digits as a quoted
    // prefix term, all of them required. Empty when the text has none.
    static std::string ftsQuery(std::string_view text);

private:
    // A statement parameter.
    using Value = std::variant<std::string, std::int64_t, double, std::monostate>;
    using Bindings = std::vector<Value>;

    // The statement layer. Call only on the queue.
    void exec(const std::string& sql);
    void withStatement(const std::string& sql, const Bindings& bindings,
                       const std::function<void(sqlite3_stmt*)>& body);
    void run(const std::string& sql, const Bindings& bindings);
    void inTransaction(const std::function<void()>& body);
    [[noreturn]] void throwLastError();

    void migrate();
    std::vector<Track> query(const std::string& sql, const Bindings& bindings);
    void reindex(const Track& track);
    void removeFromIndex(const std::string& path);

    static Bindings bindings(const Track& track);
    static Track track(sqlite3_stmt* statement);

    struct Closer {
        void operator()(sqlite3* db) const;
    };

    std::filesystem::path fileURL_;
    std::unique_ptr<sqlite3, Closer> db_; // used only on queue_; closed after the queue has ended
    std::unique_ptr<platform::SerialQueue> queue_;
};

} // namespace ZazidEvoz
