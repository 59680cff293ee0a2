#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdint>
#include <optional>
#include <string>
#include <type_traits>

namespace stripstock::test {

// A plain SQLite connection, created when missing: expected figures must not come through the
// engine under test, and a damaged or foreign file is made without the program's checks.
class Sql {
  public:
    explicit Sql(const std::string& path) {
        if (sqlite3_open_v2(path.c_str(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                            nullptr) != SQLITE_OK)
            ADD_FAILURE() << "cannot open " << path;
    }
    ~Sql() { sqlite3_close(m_db); }
    Sql(const Sql&) = delete;
    Sql& operator=(const Sql&) = delete;

    void Exec(const std::string& sql) {
        char* error = nullptr;
        if (sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
            ADD_FAILURE() << sql << ": " << (error ? error : "?");
            sqlite3_free(error);
        }
    }
    // The first column of the first row; nullopt for Null or no row.
    std::optional<double> Real(const std::string& sql) { return Scalar<double>(sql); }
    std::optional<std::int64_t> Whole(const std::string& sql) { return Scalar<std::int64_t>(sql); }

  private:
    template <typename T>
    std::optional<T> Scalar(const std::string& sql) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(m_db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK) {
            ADD_FAILURE() << sql << ": " << sqlite3_errmsg(m_db);
            return std::nullopt;
        }
        std::optional<T> out;
        if (sqlite3_step(st) == SQLITE_ROW && sqlite3_column_type(st, 0) != SQLITE_NULL) {
            if constexpr (std::is_same_v<T, double>)
                out = sqlite3_column_double(st, 0);
            else
                out = sqlite3_column_int64(st, 0);
        }
        sqlite3_finalize(st);
        return out;
    }

    sqlite3* m_db = nullptr;
};

}  // namespace stripstock::test
