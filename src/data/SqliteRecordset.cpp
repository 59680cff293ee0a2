#include "data/SqliteRecordset.h"

#include <algorithm>

#include "data/ColumnInfo.h"
#include "data/SqliteConnection.h"
#include "text/CaseFold.h"

namespace stripstock::dao {

namespace {

[[noreturn]] void ThrowNoCurrentRecord() {
    throw JetError(kErrNoCurrentRecord, "No current record.");
}
[[noreturn]] void ThrowReadOnly() {
    throw JetError(kErrReadOnly, "Cannot update. Database or object is read-only.");
}

}  // namespace

SqliteRecordset::SqliteRecordset(std::shared_ptr<SqliteConnection> conn, Data data, bool updatable)
    : m_conn(std::move(conn)), m_data(std::move(data)), m_updatable(updatable) {
    m_bof = m_data.rows.empty();
    m_visited = m_data.rows.empty() ? 0 : 1;
}

void SqliteRecordset::CheckOpen() const {
    if (m_closed || !m_conn || !m_conn->IsOpen())
        throw JetError(kErrObjectClosed, "Object invalid or no longer set.");
}

void SqliteRecordset::CheckCurrent() const {
    if (m_bof || m_pos >= m_data.rows.size()) ThrowNoCurrentRecord();
}

std::size_t SqliteRecordset::ColumnIndex(std::string_view name) const {
    for (std::size_t i = 0; i < m_data.names.size(); ++i) {
        if (EqualsNoCase(m_data.names[i], name)) return i;
    }
    throw JetError(kErrItemNotFound, "Item not found in this collection.");
}

const std::vector<ColumnInfo>& SqliteRecordset::TableColumns() {
    if (!m_columns) m_columns = m_conn->Columns(m_data.table);
    return *m_columns;
}

const ColumnInfo* SqliteRecordset::TableColumn(const std::string& name) {
    for (const ColumnInfo& c : TableColumns()) {
        if (EqualsNoCase(c.name, name)) return &c;
    }
    return nullptr;
}

void SqliteRecordset::MoveFirst() {
    CheckOpen();
    if (m_data.rows.empty()) ThrowNoCurrentRecord();
    m_mode = EditMode::None;  // moving away drops a pending AddNew/Edit, as Jet does
    m_pos = 0;
    m_bof = false;
    m_visited = std::max<std::size_t>(m_visited, 1);
}

void SqliteRecordset::MoveLast() {
    CheckOpen();
    if (m_data.rows.empty()) ThrowNoCurrentRecord();
    m_mode = EditMode::None;
    m_pos = m_data.rows.size() - 1;
    m_bof = false;
    m_visited = m_data.rows.size();
}

void SqliteRecordset::MoveNext() {
    CheckOpen();
    if (Eof()) ThrowNoCurrentRecord();
    m_mode = EditMode::None;
    if (m_bof) {
        m_bof = false;
    } else {
        ++m_pos;
    }
    if (m_pos < m_data.rows.size()) m_visited = std::max(m_visited, m_pos + 1);
}

bool SqliteRecordset::Eof() const { return m_pos >= m_data.rows.size(); }

bool SqliteRecordset::Bof() const { return m_bof; }

long SqliteRecordset::RecordCount() const {
    CheckOpen();
    return static_cast<long>(m_visited);
}

Value SqliteRecordset::GetField(std::string_view name) const {
    CheckOpen();
    const std::size_t index = ColumnIndex(name);
    if (m_mode != EditMode::None) return m_pending[index];
    CheckCurrent();
    return m_data.rows[m_pos][index];
}

void SqliteRecordset::SetField(std::string_view name, const Value& value) {
    CheckOpen();
    if (m_mode == EditMode::None)
        throw JetError(kErrUpdateWithoutAddNew, "Update or CancelUpdate without AddNew or Edit.");
    const std::size_t index = ColumnIndex(name);
    Value stored = value;
    if (const ColumnInfo* column = TableColumn(m_data.names[index])) {
        if (column->autoIncrement)
            throw JetError(kErrFieldCannotBeUpdated, "Field can't be updated.");
        stored = CoerceForColumn(*column, value);
    }
    m_pending[index] = std::move(stored);
    m_changed[index] = true;
}

void SqliteRecordset::AddNew() {
    CheckOpen();
    if (!m_updatable) ThrowReadOnly();
    std::vector<Value> pending(m_data.names.size());
    for (std::size_t i = 0; i < m_data.names.size(); ++i) {
        const ColumnInfo* column = TableColumn(m_data.names[i]);
        if (!column || column->autoIncrement || !column->defaultSql) continue;
        // The stored DEFAULT is an SQL expression; SQLite evaluates it as it would on insert.
        SqliteStatement st = m_conn->Prepare("SELECT " + *column->defaultSql);
        if (st.Step()) pending[i] = st.Column(0, column->type);
    }
    m_pending = std::move(pending);
    m_changed.assign(m_data.names.size(), false);
    m_mode = EditMode::Adding;
}

void SqliteRecordset::Edit() {
    CheckOpen();
    if (!m_updatable) ThrowReadOnly();
    CheckCurrent();
    m_pending = m_data.rows[m_pos];
    m_changed.assign(m_data.names.size(), false);
    m_mode = EditMode::Editing;
}

void SqliteRecordset::Update() {
    CheckOpen();
    if (m_mode == EditMode::None)
        throw JetError(kErrUpdateWithoutAddNew, "Update or CancelUpdate without AddNew or Edit.");
    if (m_conn->IsReadOnly()) ThrowReadOnly();

    // Required fields: Jet refuses the row before writing anything.
    for (std::size_t i = 0; i < m_data.names.size(); ++i) {
        const ColumnInfo* column = TableColumn(m_data.names[i]);
        if (column && column->required && !column->autoIncrement && IsNull(m_pending[i]))
            throw JetError(kErrRequired,
                           "The field '" + m_data.table + "." + column->name +
                               "' can't contain a Null value because the Required property for "
                               "this field is set to True. Enter a value in this field.");
    }

    const std::string table = QuoteIdentifier(m_data.table);
    if (m_mode == EditMode::Adding) {
        std::vector<std::size_t> columns;
        std::optional<std::size_t> idColumn;
        for (std::size_t i = 0; i < m_data.names.size(); ++i) {
            const ColumnInfo* column = TableColumn(m_data.names[i]);
            if (column && column->autoIncrement) {
                idColumn = i;
                continue;
            }
            columns.push_back(i);
        }
        std::string sql = "INSERT INTO " + table;
        if (columns.empty()) {
            sql += " DEFAULT VALUES";
        } else {
            std::string names;
            std::string marks;
            for (std::size_t k = 0; k < columns.size(); ++k) {
                names += (k ? ", " : "") + QuoteIdentifier(m_data.names[columns[k]]);
                marks += k ? ", ?" : "?";
            }
            sql += " (" + names + ") VALUES (" + marks + ")";
        }
        std::int64_t rowId = 0;
        m_conn->InTransaction([&] {
            SqliteStatement st = m_conn->Prepare(sql);
            for (std::size_t k = 0; k < columns.size(); ++k)
                st.Bind(static_cast<int>(k + 1), m_pending[columns[k]]);
            st.StepDone();
            rowId = m_conn->LastInsertRowId();
        });
        if (idColumn) m_pending[*idColumn] = Value(rowId);
        // The new row joins the set at the end; the current record stays where it was.
        const bool atEnd = Eof();
        m_data.rows.push_back(std::move(m_pending));
        m_data.rowIds.push_back(rowId);
        if (atEnd) m_pos = m_data.rows.size();
        ++m_visited;
    } else {
        std::vector<std::size_t> columns;
        for (std::size_t i = 0; i < m_data.names.size(); ++i) {
            if (m_changed[i]) columns.push_back(i);
        }
        if (!columns.empty()) {
            std::string sql = "UPDATE " + table + " SET ";
            for (std::size_t k = 0; k < columns.size(); ++k)
                sql += (k ? ", " : "") + QuoteIdentifier(m_data.names[columns[k]]) + " = ?";
            sql += " WHERE _rowid_ = ?";
            m_conn->InTransaction([&] {
                SqliteStatement st = m_conn->Prepare(sql);
                for (std::size_t k = 0; k < columns.size(); ++k)
                    st.Bind(static_cast<int>(k + 1), m_pending[columns[k]]);
                st.Bind(static_cast<int>(columns.size() + 1), Value(m_data.rowIds[m_pos]));
                st.StepDone();
                if (m_conn->Changes() == 0) throw JetError(kErrRecordDeleted, "Record is deleted.");
            });
        }
        m_data.rows[m_pos] = std::move(m_pending);
    }
    m_pending.clear();
    m_mode = EditMode::None;
}

void SqliteRecordset::Close() {
    m_closed = true;
    m_mode = EditMode::None;
    m_data.rows.clear();
    m_data.rowIds.clear();
}

}  // namespace stripstock::dao
