#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "data/Dao.h"
#include "data/SqliteConnection.h"

namespace stripstock::dao {

// A forward-only record set (dbOpenForwardOnly): the rows are read one by one as MoveNext
// asks for them, so that a pass over a large table holds one row at a time. Read-only; it
// cannot move back (MoveFirst after a MoveNext raises 3251).
class SqliteForwardRecordset : public Recordset {
  public:
    SqliteForwardRecordset(std::shared_ptr<SqliteConnection> conn, SqliteStatement statement);

    void MoveFirst() override;
    void MoveLast() override;
    void MoveNext() override;
    bool Eof() const override;
    bool Bof() const override;
    long RecordCount() const override;
    Value GetField(std::string_view name) const override;
    void SetField(std::string_view name, const Value& value) override;
    void AddNew() override;
    void Edit() override;
    void Update() override;
    void Close() override;

  private:
    void CheckOpen() const;
    // Steps to the next row; false (and the statement finished) at the end.
    bool Fetch();

    std::shared_ptr<SqliteConnection> m_conn;
    std::optional<SqliteStatement> m_statement;
    std::vector<std::string> m_names;
    std::vector<int> m_fieldTypes;
    std::vector<Value> m_row;
    bool m_eof = false;
    bool m_moved = false;
    long m_visited = 0;
    bool m_closed = false;
};

}  // namespace stripstock::dao
