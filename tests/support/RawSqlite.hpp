// A plain SQLite connection to a database file: to look behind a store and to stage failures.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace ZazidEvoz::testkit {

class RawConnection {
public:
    explicit RawConnection(const std::filesystem::path& file);
    ~RawConnection();
    RawConnection(const RawConnection&) = delete;
    RawConnection& operator=(const RawConnection&) = delete;

    // Throws std::runtime_error with SQLite's message.
    void exec(const std::string& sql);
    // Every row, each column as text; NULL reads as "NULL".
    std::vector<std::vector<std::string>> rows(const std::string& sql);
    // The first column of the first row; empty without rows.
    std::string value(const std::string& sql);
    // A statement to step and reset in a loop (benchmark baselines); the caller finalizes it.
    // Throws std::runtime_error with SQLite's message.
    sqlite3_stmt* prepare(const std::string& sql);
    sqlite3* handle() const { return db_; }

private:
    sqlite3* db_ = nullptr;
};

} // namespace ZazidEvoz::testkit
