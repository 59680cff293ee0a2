#include "data/JetDatabase.h"

#include "data/ConnectString.h"
#include "data/JetFile.h"
#include "data/JetTables.h"
#include "data/SqlTranslator.h"
#include "data/SqliteConnection.h"

namespace stripstock::dao {

namespace {

[[noreturn]] void ThrowReadOnly() {
    throw JetError(kErrReadOnly, "Cannot update. Database or object is read-only.");
}

}  // namespace

JetDatabase::JetDatabase(std::shared_ptr<SqliteConnection> conn,
                         std::shared_ptr<JetTableStore> store)
    : m_conn(std::move(conn)), m_store(std::move(store)), m_sql(m_conn) {}

// Record sets keep their rows (and the in-memory connection) after the database is gone; the
// file's tables do not outlive it.
JetDatabase::~JetDatabase() { m_store->Release(); }

SqliteConnection& JetDatabase::Conn() {
    if (!m_conn->IsOpen()) throw JetError(kErrObjectClosed, "Object invalid or no longer set.");
    return *m_conn;
}

void JetDatabase::Execute(const std::string& sql) {
    SqliteConnection& conn = Conn();
    const TranslatedSql t = TranslateJetSql(sql);
    if (t.verb == "SELECT") {
        conn.Prepare(t.sql, sql);  // a missing table fails here (3078)
        throw JetError(kErrCannotExecuteSelect, "Can't execute a select query.");
    }
    ThrowReadOnly();
}

std::shared_ptr<Recordset> JetDatabase::OpenRecordset(const std::string& source, int kind) {
    Conn();
    const bool updatable = kind == 1 || kind == dbOpenDynaset || kind == 16;
    return m_sql.OpenRecordset(source, updatable ? dbOpenSnapshot : kind);
}

TableDef JetDatabase::CreateTableDef(const std::string& name) {
    Conn();
    return TableDef(name);
}

void JetDatabase::AppendTableDef(const TableDef&) {
    Conn();
    ThrowReadOnly();
}

void JetDatabase::BeginTrans() {
    Conn();
    ThrowReadOnly();
}

void JetDatabase::CommitTrans() {
    Conn();
    throw JetError(kErrInvalidOperation, "Invalid operation.");
}

void JetDatabase::Rollback() {
    Conn();
    throw JetError(kErrInvalidOperation, "Invalid operation.");
}

std::vector<std::string> JetDatabase::TableNames() {
    Conn();
    return m_sql.TableNames();
}

bool JetDatabase::IsOpen() const { return m_conn->IsOpen(); }

void JetDatabase::Close() {
    m_sql.Close();
    m_store->Release();
}

std::shared_ptr<Database> OpenJetDatabaseIfJet(const std::string& path,
                                               const std::string& connect) {
    const auto header = ReadJetHeader(path);
    if (!header) return nullptr;
    if (!header->password.empty() && ConnectPassword(connect) != header->password)
        throw JetError(kErrNotValidPassword, "Not a valid password.");
    auto store = std::make_shared<JetTableStore>(std::make_unique<JetFile>(path));
    auto conn = std::make_shared<SqliteConnection>(SqliteConnection::OpenInMemory(path));
    AttachJetTables(*conn, store);
    conn->MakeQueryOnly();
    return std::make_shared<JetDatabase>(std::move(conn), std::move(store));
}

}  // namespace stripstock::dao
