#include "RawSqlite.hpp"

#include <sqlite3.h>
#include <stdexcept>

namespace ZazidEvoz::testkit {

RawConnection::RawConnection(const std::filesystem::path& file) {
    if (sqlite3_open(file.c_str(), &db_) != SQLITE_OK) {
        std::string message = sqlite3_errmsg(db_);
        sqlite3_close(db_);
        throw std::runtime_error(message);
    }
}

RawConnection::~RawConnection() {
    sqlite3_close(db_);
}

void RawConnection::exec(const std::string& sql) {
    char* message = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        std::string text = message ? message : "?";
        sqlite3_free(message);
        throw std::runtime_error(text + " in " + sql);
    }
}

sqlite3_stmt* RawConnection::prepare(const std::string& sql) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK)
        throw std::runtime_error(sqlite3_errmsg(db_));
    return statement;
}

std::vector<std::vector<std::string>> RawConnection::rows(const std::string& sql) {
    std::vector<std::vector<std::string>> result;
    sqlite3_stmt* statement = prepare(sql);
    while (sqlite3_step(statement) == SQLITE_ROW) {
        std::vector<std::string> row;
        for (int column = 0; column < sqlite3_column_count(statement); ++column) {
            auto text = sqlite3_column_text(statement, column);
            row.push_back(text ? reinterpret_cast<const char*>(text) : "NULL");
        }
        result.push_back(row);
    }
    sqlite3_finalize(statement);
    return result;
}

std::string RawConnection::value(const std::string& sql) {
    auto result = rows(sql);
    return result.empty() || result[0].empty() ? "" : result[0][0];
}

} // namespace ZazidEvoz::testkit
