#include "data/SqliteDatabase.h"

#include <algorithm>

#include "data/ColumnInfo.h"
#include "data/SqlTranslator.h"
#include "data/SqliteConnection.h"
#include "data/SqliteForwardRecordset.h"
#include "data/SqliteRecordset.h"
#include "text/CaseFold.h"

namespace stripstock::dao {

namespace {

bool HasBlank(std::string_view s) {
    return std::any_of(s.begin(), s.end(), [](char c) {
        return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
    });
}

[[noreturn]] void ThrowTableNotFound(const std::string& name) {
    throw JetError(kErrInputTableNotFound,
                   "The Microsoft Jet database engine cannot find the input table or query '" +
                       name + "'. Make sure it exists and that its name is spelled correctly.");
}

SqliteRecordset::Data ReadAll(SqliteStatement& st, bool withRowId) {
    SqliteRecordset::Data data;
    const int count = st.ColumnCount();
    const int first = withRowId ? 1 : 0;
    for (int c = first; c < count; ++c) {
        data.names.push_back(st.ColumnName(c));
        data.fieldTypes.push_back(st.ColumnFieldType(c));
    }
    while (st.Step()) {
        std::vector<Value> row;
        row.reserve(static_cast<std::size_t>(count - first));
        for (int c = first; c < count; ++c)
            row.push_back(st.Column(c, data.fieldTypes[static_cast<std::size_t>(c - first)]));
        data.rows.push_back(std::move(row));
        if (withRowId) {
            const Value id = st.Column(0, 0);
            const auto* whole = std::get_if<std::int64_t>(&id);
            data.rowIds.push_back(whole ? *whole : 0);
        }
    }
    return data;
}

}  // namespace

SqliteDatabase::SqliteDatabase(std::shared_ptr<SqliteConnection> conn) : m_conn(std::move(conn)) {}

SqliteDatabase::~SqliteDatabase() = default;

SqliteConnection& SqliteDatabase::Conn() {
    if (!m_conn || !m_conn->IsOpen())
        throw JetError(kErrObjectClosed, "Object invalid or no longer set.");
    return *m_conn;
}

void SqliteDatabase::Execute(const std::string& sql) {
    SqliteConnection& conn = Conn();
    const TranslatedSql t = TranslateJetSql(sql);
    SqliteStatement st = conn.Prepare(t.sql, sql);  // a missing table fails here (3078)
    if (t.verb == "SELECT" || st.IsReadOnly())
        throw JetError(kErrCannotExecuteSelect, "Can't execute a select query.");
    if (conn.IsReadOnly())
        throw JetError(kErrReadOnly, "Cannot update. Database or object is read-only.");
    if (const int params = st.ParameterCount(); params > 0)
        throw JetError(kErrTooFewParameters,
                       "Too few parameters. Expected " + std::to_string(params) + ".");
    conn.InTransaction([&] { st.StepDone(); });
}

std::shared_ptr<Recordset> SqliteDatabase::OpenRecordset(const std::string& source, int kind) {
    SqliteConnection& conn = Conn();
    if (kind != 1 && kind != dbOpenDynaset && kind != dbOpenSnapshot && kind != dbOpenForwardOnly &&
        kind != 16)
        throw JetError(kErrInvalidArgument, "Invalid argument.");
    const bool writable = kind != dbOpenSnapshot && kind != dbOpenForwardOnly;

    std::string table;
    std::string rowIdSql;
    std::string plainSql;
    if (!source.empty() && !HasBlank(source)) {
        // A table name, possibly in brackets.
        table = source;
        if (table.size() >= 2 && table.front() == '[' && table.back() == ']')
            table = table.substr(1, table.size() - 2);
        if (!conn.TableExists(table)) ThrowTableNotFound(table);
        plainSql = "SELECT * FROM " + QuoteIdentifier(table);
        rowIdSql = "SELECT _rowid_, * FROM " + QuoteIdentifier(table);
    } else {
        TranslatedSql t = TranslateJetSql(source);
        if (t.verb != "SELECT") throw JetError(kErrInvalidOperation, "Invalid operation.");
        table = std::move(t.table);
        rowIdSql = std::move(t.sqlWithRowid);
        plainSql = std::move(t.sql);
    }

    std::optional<SqliteStatement> st;
    bool withRowId = false;
    if (writable && !table.empty()) {
        try {
            st.emplace(conn.Prepare(rowIdSql, source));
            withRowId = true;
        } catch (const JetError&) {
            // A view or a table without row ids: readable, not writable. The plain query
            // below reports the real error if there is one.
        }
    }
    if (!st) st.emplace(conn.Prepare(plainSql, source));
    if (const int params = st->ParameterCount(); params > 0)
        throw JetError(kErrTooFewParameters,
                       "Too few parameters. Expected " + std::to_string(params) + ".");

    if (kind == dbOpenForwardOnly)
        return std::make_shared<SqliteForwardRecordset>(m_conn, std::move(*st));
    SqliteRecordset::Data data = ReadAll(*st, withRowId);
    if (withRowId) data.table = table;
    return std::make_shared<SqliteRecordset>(m_conn, std::move(data), withRowId);
}

TableDef SqliteDatabase::CreateTableDef(const std::string& name) {
    Conn();
    return TableDef(name);
}

std::vector<std::string> SqliteDatabase::TableNames() {
    std::vector<std::string> names;
    SqliteStatement st = Conn().Prepare(
        "SELECT name FROM sqlite_master WHERE type='table' AND name NOT LIKE 'sqlite\\_%' "
        "ESCAPE '\\' AND name <> 'MSysPassword' ORDER BY rowid");
    while (st.Step()) names.push_back(ToText(st.Column(0, dbText)));
    return names;
}

void SqliteDatabase::AppendTableDef(const TableDef& table) {
    SqliteConnection& conn = Conn();
    if (table.Name.empty() || HasBlank(table.Name.substr(0, 1)))
        throw JetError(kErrInvalidName, "'" + table.Name + "' isn't a valid name.");
    if (table.Fields.empty())
        throw JetError(kErrNoFieldDefined, "No field defined--cannot append TableDef or Index.");
    if (conn.IsReadOnly())
        throw JetError(kErrReadOnly, "Cannot update. Database or object is read-only.");
    if (conn.TableExists(table.Name))
        throw JetError(kErrTableExists, "Table '" + table.Name + "' already exists.");

    // Fields take their OrdinalPosition where one is set, else their place in the list.
    std::vector<std::pair<int, const Field*>> order;
    for (std::size_t i = 0; i < table.Fields.size(); ++i) {
        const Field& f = table.Fields[i];
        order.emplace_back(f.OrdinalPosition >= 0 ? f.OrdinalPosition : static_cast<int>(i), &f);
    }
    std::stable_sort(order.begin(), order.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });

    std::string ddl = "CREATE TABLE " + QuoteIdentifier(table.Name) + " (";
    int autoIncrements = 0;
    for (std::size_t i = 0; i < order.size(); ++i) {
        const Field& f = *order[i].second;
        if (f.Name.empty()) throw JetError(kErrInvalidName, "'' isn't a valid name.");
        for (std::size_t j = 0; j < i; ++j) {
            if (EqualsNoCase(order[j].second->Name, f.Name))
                throw JetError(kErrFieldDefinedTwice, "Can't define field more than once.");
        }
        const std::string declared = DeclaredTypeFor(f);
        const bool autoInc = (f.Attributes & dbAutoIncrField) != 0;
        if (autoInc && ++autoIncrements > 1)
            throw JetError(kErrInvalidFieldType, "Invalid field data type.");
        if (i > 0) ddl += ", ";
        ddl += QuoteIdentifier(f.Name) + " " + declared;
        if (autoInc) continue;
        if (f.Required) ddl += " NOT NULL";
        if (f.DefaultValue && !IsNull(*f.DefaultValue)) {
            ColumnInfo info;
            info.name = f.Name;
            info.type = FieldTypeOfDeclared(declared, &info.size);
            ddl += " DEFAULT " + SqlLiteral(CoerceForColumn(info, *f.DefaultValue));
        }
    }
    ddl += ")";
    conn.InTransaction([&] { conn.Exec(ddl); });
}

void SqliteDatabase::BeginTrans() {
    SqliteConnection& conn = Conn();
    if (conn.InExplicitTransaction()) throw JetError(kErrInvalidOperation, "Invalid operation.");
    if (conn.IsReadOnly())
        throw JetError(kErrReadOnly, "Cannot update. Database or object is read-only.");
    conn.Exec("BEGIN IMMEDIATE");
}

void SqliteDatabase::CommitTrans() {
    SqliteConnection& conn = Conn();
    if (!conn.InExplicitTransaction()) throw JetError(kErrInvalidOperation, "Invalid operation.");
    conn.Exec("COMMIT");
}

void SqliteDatabase::Rollback() {
    SqliteConnection& conn = Conn();
    if (!conn.InExplicitTransaction()) throw JetError(kErrInvalidOperation, "Invalid operation.");
    conn.RollbackQuietly();
}

bool SqliteDatabase::IsOpen() const { return m_conn && m_conn->IsOpen(); }

void SqliteDatabase::Close() {
    if (m_conn) m_conn->Close();
}

}  // namespace stripstock::dao
