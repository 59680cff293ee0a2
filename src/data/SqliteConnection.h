#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "data/ColumnInfo.h"
#include "data/Dao.h"

struct sqlite3;
struct sqlite3_stmt;

namespace stripstock::dao {

class SqliteConnection;

// One prepared statement; finalized when it goes out of scope.
class SqliteStatement {
  public:
    SqliteStatement(SqliteConnection& conn, sqlite3_stmt* stmt, std::string sql);
    ~SqliteStatement();
    SqliteStatement(SqliteStatement&& other) noexcept;
    SqliteStatement& operator=(SqliteStatement&&) = delete;
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    void Bind(int index, const Value& value);  // 1-based
    bool Step();                               // true while a row is there
    void StepDone();                           // runs a statement that returns no rows
    int ColumnCount() const;
    std::string ColumnName(int column) const;
    // Jet type of the column's declared type, 0 for an expression or an unknown type.
    int ColumnFieldType(int column) const;
    Value Column(int column, int fieldType) const;
    int ParameterCount() const;
    bool IsReadOnly() const;

  private:
    SqliteConnection* m_conn;
    sqlite3_stmt* m_stmt;
    std::string m_sql;
};

// An open SQLite database file with the checks the Jet contract asks for.
class SqliteConnection {
  public:
    // Checks the file before SQLite sees it: 3024 missing, 3343 not an SQLite file (never
    // written), then opens without ever creating the file.
    static SqliteConnection Open(const std::string& path, bool readOnly, bool exclusive);
    // Creates a new, empty database file: 3204 when anything exists at path.
    static SqliteConnection Create(const std::string& path);
    // An empty database in memory that stands for the file at shownPath (errors name it),
    // counted as read-only. It stays writable until the caller has set up its schema and
    // calls MakeQueryOnly.
    static SqliteConnection OpenInMemory(const std::string& shownPath);
    void MakeQueryOnly();

    ~SqliteConnection();
    SqliteConnection(SqliteConnection&& other) noexcept;
    SqliteConnection& operator=(SqliteConnection&&) = delete;
    SqliteConnection(const SqliteConnection&) = delete;
    SqliteConnection& operator=(const SqliteConnection&) = delete;

    // 3031 unless connect carries the stored password (when there is one).
    void CheckPassword(std::string_view connect);

    SqliteStatement Prepare(std::string_view sql, std::string_view jetSql = {});
    void Exec(std::string_view sql);
    void RollbackQuietly();
    // Whether a transaction of the caller's (BeginTrans) is open.
    bool InExplicitTransaction() const;
    // Runs work between BEGIN IMMEDIATE and COMMIT; rolls back when it raises. Inside the
    // caller's transaction the work is a savepoint of it, undone alone when it raises.
    template <typename Work>
    void InTransaction(Work&& work) {
        const bool nested = InExplicitTransaction();
        Exec(nested ? "SAVEPOINT work" : "BEGIN IMMEDIATE");
        try {
            work();
            Exec(nested ? "RELEASE work" : "COMMIT");
        } catch (...) {
            if (nested) {
                UndoSavepointQuietly();
            } else {
                RollbackQuietly();
            }
            throw;
        }
    }
    std::int64_t LastInsertRowId() const;
    int Changes() const;

    bool TableExists(std::string_view table);
    // Columns in table order; empty when there is no such table.
    std::vector<ColumnInfo> Columns(std::string_view table);

    [[noreturn]] void ThrowError(int rc, std::string_view jetSql) const;

    // For registering extensions such as virtual table modules.
    sqlite3* Handle() const { return m_db; }
    bool IsOpen() const { return m_db != nullptr; }
    bool IsReadOnly() const { return m_readOnly; }
    const std::string& Path() const { return m_path; }
    void Close();

  private:
    SqliteConnection(sqlite3* db, std::string path, bool readOnly);
    void Configure(bool exclusive);
    void UndoSavepointQuietly();

    sqlite3* m_db;
    std::string m_path;
    bool m_readOnly;
};

}  // namespace stripstock::dao
