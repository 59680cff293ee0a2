#include "data/SqliteForwardRecordset.h"

#include "text/CaseFold.h"

namespace stripstock::dao {

SqliteForwardRecordset::SqliteForwardRecordset(std::shared_ptr<SqliteConnection> conn,
                                               SqliteStatement statement)
    : m_conn(std::move(conn)), m_statement(std::move(statement)) {
    const int count = m_statement->ColumnCount();
    for (int c = 0; c < count; ++c) {
        m_names.push_back(m_statement->ColumnName(c));
        m_fieldTypes.push_back(m_statement->ColumnFieldType(c));
    }
    m_row.resize(m_names.size());
    m_eof = !Fetch();
    m_visited = m_eof ? 0 : 1;
}

bool SqliteForwardRecordset::Fetch() {
    if (!m_statement->Step()) {
        m_statement.reset();
        return false;
    }
    for (std::size_t c = 0; c < m_row.size(); ++c)
        m_row[c] = m_statement->Column(static_cast<int>(c), m_fieldTypes[c]);
    return true;
}

void SqliteForwardRecordset::CheckOpen() const {
    if (m_closed || !m_conn || !m_conn->IsOpen())
        throw JetError(kErrObjectClosed, "Object invalid or no longer set.");
}

void SqliteForwardRecordset::MoveFirst() {
    CheckOpen();
    if (m_moved)
        throw JetError(kErrNotSupported, "Operation is not supported for this type of object.");
    if (m_eof) throw JetError(kErrNoCurrentRecord, "No current record.");
}

void SqliteForwardRecordset::MoveLast() {
    CheckOpen();
    if (m_eof) throw JetError(kErrNoCurrentRecord, "No current record.");
    // The last row is the one read before the end.
    std::vector<Value> last = m_row;
    while (Fetch()) {
        last = m_row;
        ++m_visited;
    }
    m_row = std::move(last);
    m_moved = true;
}

void SqliteForwardRecordset::MoveNext() {
    CheckOpen();
    if (m_eof) throw JetError(kErrNoCurrentRecord, "No current record.");
    m_moved = true;
    if (m_statement && Fetch()) {
        ++m_visited;
    } else {
        m_eof = true;
    }
}

bool SqliteForwardRecordset::Eof() const { return m_eof; }

bool SqliteForwardRecordset::Bof() const { return m_visited == 0; }

long SqliteForwardRecordset::RecordCount() const {
    CheckOpen();
    return m_visited;
}

Value SqliteForwardRecordset::GetField(std::string_view name) const {
    CheckOpen();
    for (std::size_t i = 0; i < m_names.size(); ++i) {
        if (!EqualsNoCase(m_names[i], name)) continue;
        if (m_eof) throw JetError(kErrNoCurrentRecord, "No current record.");
        return m_row[i];
    }
    throw JetError(kErrItemNotFound, "Item not found in this collection.");
}

void SqliteForwardRecordset::SetField(std::string_view, const Value&) {
    CheckOpen();
    throw JetError(kErrUpdateWithoutAddNew, "Update or CancelUpdate without AddNew or Edit.");
}

void SqliteForwardRecordset::AddNew() {
    CheckOpen();
    throw JetError(kErrReadOnly, "Cannot update. Database or object is read-only.");
}

void SqliteForwardRecordset::Edit() { AddNew(); }

void SqliteForwardRecordset::Update() { SetField({}, Value()); }

void SqliteForwardRecordset::Close() {
    m_closed = true;
    m_statement.reset();  // the statement ends before its database may be closed
    m_row.clear();
    m_eof = true;
}

}  // namespace stripstock::dao
