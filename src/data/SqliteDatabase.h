#pragma once

#include <memory>

#include "data/Dao.h"

namespace stripstock::dao {

class SqliteConnection;

// An open database; its record sets share the connection and fail once it is closed.
class SqliteDatabase : public Database {
  public:
    explicit SqliteDatabase(std::shared_ptr<SqliteConnection> conn);
    ~SqliteDatabase() override;

    void Execute(const std::string& sql) override;
    std::shared_ptr<Recordset> OpenRecordset(const std::string& source, int kind) override;
    TableDef CreateTableDef(const std::string& name) override;
    void AppendTableDef(const TableDef& table) override;
    void BeginTrans() override;
    void CommitTrans() override;
    void Rollback() override;
    std::vector<std::string> TableNames() override;
    bool IsOpen() const override;
    void Close() override;

  private:
    SqliteConnection& Conn();

    std::shared_ptr<SqliteConnection> m_conn;
};

}  // namespace stripstock::dao
