#pragma once

#include <memory>
#include <string>
#include <vector>

#include "data/Dao.h"
#include "data/SqliteDatabase.h"

namespace stripstock::dao {

class JetTableStore;
class SqliteConnection;

// A database file in the Jet engine's own format, opened read-only: queries run on the
// SQLite engine over the file's tables (read through libmdb on first use), and every write
// raises 3027 with the file left as it was.
class JetDatabase : public Database {
  public:
    JetDatabase(std::shared_ptr<SqliteConnection> conn, std::shared_ptr<JetTableStore> store);
    ~JetDatabase() override;

    // A SELECT raises 3065 (3078 first for a missing table), anything else 3027.
    void Execute(const std::string& sql) override;
    // Every kind is served as a snapshot: AddNew and Edit raise 3027.
    std::shared_ptr<Recordset> OpenRecordset(const std::string& source, int kind) override;
    TableDef CreateTableDef(const std::string& name) override;
    void AppendTableDef(const TableDef& table) override;  // 3027
    // Nothing can be changed: BeginTrans raises 3027, CommitTrans and Rollback 3219.
    void BeginTrans() override;
    void CommitTrans() override;
    void Rollback() override;
    std::vector<std::string> TableNames() override;  // the file's user tables
    bool IsOpen() const override;
    void Close() override;

  private:
    SqliteConnection& Conn();

    std::shared_ptr<SqliteConnection> m_conn;
    std::shared_ptr<JetTableStore> m_store;
    SqliteDatabase m_sql;
};

// Opens path with the Jet backend when its first page is that of a Jet 3 or Jet 4 database;
// nullptr for any other content. Raises 3031 when the file has a password and connect's
// "pwd=" differs, 3343 when the file is damaged.
std::shared_ptr<Database> OpenJetDatabaseIfJet(const std::string& path, const std::string& connect);

}  // namespace stripstock::dao
