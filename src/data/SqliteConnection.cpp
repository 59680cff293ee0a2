#include "data/SqliteConnection.h"

#include <sqlite3.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "data/ConnectString.h"
#include "data/SqlTranslator.h"
#include "text/TextHelpers.h"

namespace stripstock::dao {

namespace {

constexpr int kBusyTimeoutMs = 2000;
// Marks files made by this engine ("SSTK"); SQLite keeps it in the file header.
constexpr int kApplicationId = 0x5353544B;

std::string FileNotFoundText(const std::string& path) {
    return "Couldn't find file '" + path + "'.";
}
std::string UnrecognizedText(const std::string& path) {
    return "Unrecognized database format '" + path + "'.";
}
std::string CannotOpenText(const std::string& path) {
    return "The Microsoft Jet database engine cannot open the file '" + path +
           "'. It is already opened exclusively by another user, or you need permission to "
           "view its data.";
}

bool StartsWith(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && s.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

// ---- SqliteStatement ----

SqliteStatement::SqliteStatement(SqliteConnection& conn, sqlite3_stmt* stmt, std::string sql)
    : m_conn(&conn), m_stmt(stmt), m_sql(std::move(sql)) {}

SqliteStatement::~SqliteStatement() {
    if (m_stmt) sqlite3_finalize(m_stmt);
}

SqliteStatement::SqliteStatement(SqliteStatement&& other) noexcept
    : m_conn(other.m_conn), m_stmt(other.m_stmt), m_sql(std::move(other.m_sql)) {
    other.m_stmt = nullptr;
}

void SqliteStatement::Bind(int index, const Value& value) {
    int rc = SQLITE_OK;
    if (IsNull(value)) {
        rc = sqlite3_bind_null(m_stmt, index);
    } else if (const auto* i = std::get_if<std::int64_t>(&value)) {
        rc = sqlite3_bind_int64(m_stmt, index, *i);
    } else if (const auto* d = std::get_if<double>(&value)) {
        rc = sqlite3_bind_double(m_stmt, index, *d);
    } else {
        const auto& s = std::get<std::string>(value);
        rc = sqlite3_bind_text64(m_stmt, index, s.data(), s.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
    }
    if (rc != SQLITE_OK) m_conn->ThrowError(rc, m_sql);
}

bool SqliteStatement::Step() {
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    sqlite3_reset(m_stmt);
    m_conn->ThrowError(rc, m_sql);
}

void SqliteStatement::StepDone() {
    while (Step()) {
    }
}

int SqliteStatement::ColumnCount() const { return sqlite3_column_count(m_stmt); }

std::string SqliteStatement::ColumnName(int column) const {
    const char* name = sqlite3_column_name(m_stmt, column);
    return name ? std::string(name) : std::string();
}

int SqliteStatement::ColumnFieldType(int column) const {
    const char* decl = sqlite3_column_decltype(m_stmt, column);
    return decl ? FieldTypeOfDeclared(decl) : 0;
}

Value SqliteStatement::Column(int column, int fieldType) const {
    switch (sqlite3_column_type(m_stmt, column)) {
        case SQLITE_NULL:
            return Value();
        case SQLITE_INTEGER: {
            const auto v = static_cast<std::int64_t>(sqlite3_column_int64(m_stmt, column));
            // A date column of NUMERIC affinity keeps whole days as integers.
            if (fieldType == dbDate) return Value(static_cast<double>(v));
            return Value(v);
        }
        case SQLITE_FLOAT:
            return Value(sqlite3_column_double(m_stmt, column));
        default: {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
            const int len = sqlite3_column_bytes(m_stmt, column);
            return Value(text ? std::string(text, static_cast<std::size_t>(len)) : std::string());
        }
    }
}

int SqliteStatement::ParameterCount() const { return sqlite3_bind_parameter_count(m_stmt); }

bool SqliteStatement::IsReadOnly() const { return sqlite3_stmt_readonly(m_stmt) != 0; }

// ---- SqliteConnection ----

SqliteConnection::SqliteConnection(sqlite3* db, std::string path, bool readOnly)
    : m_db(db), m_path(std::move(path)), m_readOnly(readOnly) {}

SqliteConnection::~SqliteConnection() { Close(); }

SqliteConnection::SqliteConnection(SqliteConnection&& other) noexcept
    : m_db(other.m_db), m_path(std::move(other.m_path)), m_readOnly(other.m_readOnly) {
    other.m_db = nullptr;
}

void SqliteConnection::Close() {
    if (m_db) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
}

SqliteConnection SqliteConnection::Open(const std::string& path, bool readOnly, bool exclusive) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const auto status = fs::status(Utf8Path(path), ec);
    if (path.empty() || ec || !fs::exists(status) || fs::is_directory(status))
        throw JetError(kErrFileNotFound, FileNotFoundText(path));

    // SQLite would take an empty file for a new database and write to it on the first
    // change; only a file with SQLite's header is handed over.
    {
        std::ifstream in(Utf8Path(path), std::ios::binary);
        if (!in) throw JetError(kErrCannotOpenFile, CannotOpenText(path));
        std::array<char, 16> header{};
        in.read(header.data(), header.size());
        if (in.gcount() != static_cast<std::streamsize>(header.size()) ||
            std::memcmp(header.data(), "SQLite format 3", 16) != 0)
            throw JetError(kErrUnrecognizedFormat, UnrecognizedText(path));
    }

    sqlite3* db = nullptr;
    const int flags = readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
    const int rc = sqlite3_open_v2(path.c_str(), &db, flags, nullptr);
    SqliteConnection conn(db, path, readOnly);
    if (rc != SQLITE_OK) conn.ThrowError(rc, {});
    conn.Configure(exclusive);
    // Reading the schema is the first real access: a damaged file shows here.
    conn.Exec("SELECT count(*) FROM sqlite_master");
    return conn;
}

SqliteConnection SqliteConnection::Create(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (path.empty()) throw JetError(kErrCannotOpenFile, CannotOpenText(path));
    if (fs::exists(fs::symlink_status(Utf8Path(path), ec)))
        throw JetError(kErrDatabaseExists, "Database already exists.");
    // Claim the name atomically, so that a file made by someone else in between is never
    // taken over.
    std::FILE* f = std::fopen(path.c_str(), "wbx");
    if (!f) {
        if (fs::exists(fs::symlink_status(Utf8Path(path), ec)))
            throw JetError(kErrDatabaseExists, "Database already exists.");
        throw JetError(kErrCannotOpenFile, CannotOpenText(path));
    }
    std::fclose(f);

    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    SqliteConnection conn(db, path, false);
    try {
        if (rc != SQLITE_OK) conn.ThrowError(rc, {});
        conn.Configure(false);
        // Writes the file header now: an empty file would not count as a database.
        conn.Exec("PRAGMA application_id = " + std::to_string(kApplicationId));
    } catch (const JetError&) {
        conn.Close();
        fs::remove(Utf8Path(path), ec);
        throw;
    }
    return conn;
}

SqliteConnection SqliteConnection::OpenInMemory(const std::string& shownPath) {
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(":memory:", &db, SQLITE_OPEN_READWRITE, nullptr);
    SqliteConnection conn(db, shownPath, false);
    if (rc != SQLITE_OK) conn.ThrowError(rc, {});
    conn.Configure(false);
    conn.m_readOnly = true;
    return conn;
}

void SqliteConnection::MakeQueryOnly() { Exec("PRAGMA query_only = 1"); }

void SqliteConnection::Configure(bool exclusive) {
    sqlite3_extended_result_codes(m_db, 1);
    sqlite3_busy_timeout(m_db, kBusyTimeoutMs);
    // No attached files, no schema tricks, no double-quoted strings: the engine only ever
    // works on this one file with the statements it builds itself.
    sqlite3_limit(m_db, SQLITE_LIMIT_ATTACHED, 0);
    sqlite3_limit(m_db, SQLITE_LIMIT_LENGTH, 100'000'000);
    sqlite3_db_config(m_db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(m_db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    sqlite3_db_config(m_db, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    sqlite3_db_config(m_db, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
    if (m_readOnly) Exec("PRAGMA query_only = 1");
    if (exclusive) Exec("PRAGMA locking_mode = EXCLUSIVE");
}

void SqliteConnection::CheckPassword(std::string_view connect) {
    if (!TableExists("MSysPassword")) return;
    SqliteStatement st = Prepare("SELECT pwd FROM MSysPassword LIMIT 1");
    if (!st.Step()) return;
    const Value stored = st.Column(0, dbText);
    if (IsNull(stored) || ToText(stored).empty()) return;

    if (ConnectPassword(connect) != ToText(stored))
        throw JetError(kErrNotValidPassword, "Not a valid password.");
}

SqliteStatement SqliteConnection::Prepare(std::string_view sql, std::string_view jetSql) {
    if (!m_db) throw JetError(kErrObjectClosed, "Object invalid or no longer set.");
    sqlite3_stmt* stmt = nullptr;
    const char* tail = nullptr;
    const std::string shown(jetSql.empty() ? sql : jetSql);
    const int rc = sqlite3_prepare_v2(m_db, sql.data(), static_cast<int>(sql.size()), &stmt, &tail);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(stmt);
        ThrowError(rc, shown);
    }
    if (!stmt)
        throw JetError(kErrInvalidSqlStatement,
                       "Invalid SQL statement; expected 'DELETE', 'INSERT', 'PROCEDURE', "
                       "'SELECT', or 'UPDATE'.");
    SqliteStatement st(*this, stmt, shown);
    for (const char* p = tail; p && p < sql.data() + sql.size(); ++p) {
        if (*p != ' ' && *p != '\t' && *p != '\r' && *p != '\n' && *p != ';')
            throw JetError(kErrCharactersAfterEnd, "Characters found after end of SQL statement.");
    }
    return st;
}

void SqliteConnection::Exec(std::string_view sql) { Prepare(sql).StepDone(); }

void SqliteConnection::RollbackQuietly() {
    if (m_db && sqlite3_get_autocommit(m_db) == 0)
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
}

bool SqliteConnection::InExplicitTransaction() const {
    return m_db && sqlite3_get_autocommit(m_db) == 0;
}

void SqliteConnection::UndoSavepointQuietly() {
    if (!m_db) return;
    sqlite3_exec(m_db, "ROLLBACK TO work", nullptr, nullptr, nullptr);
    sqlite3_exec(m_db, "RELEASE work", nullptr, nullptr, nullptr);
}

std::int64_t SqliteConnection::LastInsertRowId() const {
    return m_db ? static_cast<std::int64_t>(sqlite3_last_insert_rowid(m_db)) : 0;
}

int SqliteConnection::Changes() const { return m_db ? sqlite3_changes(m_db) : 0; }

bool SqliteConnection::TableExists(std::string_view table) {
    SqliteStatement st = Prepare(
        "SELECT 1 FROM sqlite_master WHERE type IN ('table','view') AND name = ? "
        "COLLATE NOCASE");
    st.Bind(1, Value(std::string(table)));
    return st.Step();
}

std::vector<ColumnInfo> SqliteConnection::Columns(std::string_view table) {
    std::vector<ColumnInfo> cols;
    // table_info: cid, name, type, notnull, dflt_value, pk
    SqliteStatement st = Prepare(
        "SELECT name, type, \"notnull\", dflt_value, pk FROM "
        "pragma_table_info(?)");
    st.Bind(1, Value(std::string(table)));
    while (st.Step()) {
        ColumnInfo c;
        c.name = ToText(st.Column(0, dbText));
        const Value decl = st.Column(1, dbText);
        const std::string declared = IsNull(decl) ? std::string() : ToText(decl);
        c.type = FieldTypeOfDeclared(declared, &c.size);
        c.required = ToLong(st.Column(2, 0)) != 0;
        const Value dflt = st.Column(3, dbText);
        if (!IsNull(dflt)) c.defaultSql = ToText(dflt);
        const bool pk = ToLong(st.Column(4, 0)) != 0;
        if (pk && c.type == dbLong &&
            (declared == "INTEGER" || declared == "integer" || StartsWith(declared, "INTEGER"))) {
            c.autoIncrement = true;
        }
        cols.push_back(std::move(c));
    }
    return cols;
}

void SqliteConnection::ThrowError(int rc, std::string_view jetSql) const {
    const std::string msg = m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(rc);
    switch (rc & 0xFF) {
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            throw JetError(kErrFileLocked, "Could not use '" + m_path + "'; file already in use.");
        case SQLITE_CORRUPT:
        case SQLITE_NOTADB:
            throw JetError(kErrUnrecognizedFormat, UnrecognizedText(m_path));
        case SQLITE_READONLY:
            throw JetError(kErrReadOnly, "Cannot update. Database or object is read-only.");
        case SQLITE_CANTOPEN:
        case SQLITE_PERM:
        case SQLITE_AUTH:
            throw JetError(kErrCannotOpenFile, CannotOpenText(m_path));
        case SQLITE_IOERR:
        case SQLITE_FULL:
            throw JetError(kErrDiskIo, "Disk or network error.");
        case SQLITE_NOMEM:
            throw JetError(kErrOutOfMemory, "Out of memory");
        case SQLITE_TOOBIG:
            throw JetError(kErrFieldTooSmall,
                           "The field is too small to accept the amount of data you attempted "
                           "to add. Try inserting or pasting less data.");
        case SQLITE_CONSTRAINT: {
            if (rc == SQLITE_CONSTRAINT_NOTNULL) {
                const std::string prefix = "NOT NULL constraint failed: ";
                const std::string field = StartsWith(msg, prefix) ? msg.substr(prefix.size()) : msg;
                throw JetError(kErrRequired,
                               "The field '" + field +
                                   "' can't contain a Null value because the Required property "
                                   "for this field is set to True. Enter a value in this field.");
            }
            if (rc == SQLITE_CONSTRAINT_UNIQUE || rc == SQLITE_CONSTRAINT_PRIMARYKEY ||
                rc == SQLITE_CONSTRAINT_ROWID)
                throw JetError(kErrDuplicateValue,
                               "The changes you requested to the table were not successful "
                               "because they would create duplicate values in the index, "
                               "primary key, or relationship.");
            throw JetError(kErrEngine, msg);
        }
        case SQLITE_ERROR:
        case SQLITE_RANGE: {
            if (StartsWith(msg, "no such table: ")) {
                std::string name = msg.substr(15);
                if (StartsWith(name, "main.")) name = name.substr(5);
                throw JetError(kErrInputTableNotFound,
                               "The Microsoft Jet database engine cannot find the input table or "
                               "query '" +
                                   name +
                                   "'. Make sure it exists and that its name is spelled "
                                   "correctly.");
            }
            if (StartsWith(msg, "no such column: "))
                throw JetError(kErrTooFewParameters, "Too few parameters. Expected 1.");
            if (StartsWith(msg, "table ") && msg.find("already exists") != std::string::npos) {
                const auto first = msg.find_first_not_of(' ', 6);
                const auto last = msg.find(" already exists");
                throw JetError(kErrTableExists,
                               "Table '" + msg.substr(first, last - first) + "' already exists.");
            }
            std::string detail = msg;
            if (const auto pos = msg.find(": syntax error"); pos != std::string::npos)
                detail = msg.substr(0, pos);
            throw JetError(kErrSyntax, "Syntax error (" + detail + ") in query expression '" +
                                           std::string(jetSql) + "'.");
        }
        default:
            throw JetError(kErrEngine, msg);
    }
}

}  // namespace stripstock::dao
