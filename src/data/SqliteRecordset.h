#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "data/ColumnInfo.h"
#include "data/Dao.h"

namespace stripstock::dao {

class SqliteConnection;

// The rows of a query, read at open. A record set over one table also keeps each row's id,
// so that AddNew/Edit can write back through bound parameters.
class SqliteRecordset : public Recordset {
  public:
    struct Data {
        std::vector<std::string> names;  // column names as the query gives them
        std::vector<int> fieldTypes;     // Jet type per column, 0 when unknown
        std::vector<std::vector<Value>> rows;
        std::vector<std::int64_t> rowIds;  // one per row when table is set
        std::string table;                 // empty: the rows cannot be written back
    };

    SqliteRecordset(std::shared_ptr<SqliteConnection> conn, Data data, bool updatable);

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
    enum class EditMode { None, Adding, Editing };

    void CheckOpen() const;
    void CheckCurrent() const;
    std::size_t ColumnIndex(std::string_view name) const;
    const std::vector<ColumnInfo>& TableColumns();
    const ColumnInfo* TableColumn(const std::string& name);

    std::shared_ptr<SqliteConnection> m_conn;
    Data m_data;
    bool m_updatable;
    bool m_closed = false;
    std::size_t m_pos = 0;      // current row; == rows.size() at EOF
    bool m_bof = false;         // before the first row
    std::size_t m_visited = 0;  // rows counted so far (RecordCount)
    EditMode m_mode = EditMode::None;
    std::vector<Value> m_pending;
    std::vector<bool> m_changed;
    std::optional<std::vector<ColumnInfo>> m_columns;  // the table's columns, read on demand
};

}  // namespace stripstock::dao
