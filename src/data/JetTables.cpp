#include "data/JetTables.h"

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <new>
#include <numeric>
#include <string>

#include "data/ColumnInfo.h"
#include "data/SqliteConnection.h"
#include "text/CaseFold.h"
#include "text/TextHelpers.h"

namespace stripstock::dao {

namespace {

constexpr const char* kModuleName = "jet";

// SQLite's order within one column of a single storage class: Null first, then numbers, or
// text and bytes byte by byte (as memcmp, SQLite's BINARY collation).
bool Less(const JetColumnValues& values, std::uint32_t a, std::uint32_t b) {
    const bool nullA = values.IsNull(a);
    const bool nullB = values.IsNull(b);
    if (nullA || nullB) return nullA && !nullB;
    switch (values.Kind()) {
        case JetKind::Whole:
            return values.Whole(a) < values.Whole(b);
        case JetKind::Real:
            return values.Real(a) < values.Real(b);
        default:
            // char_traits<char> compares as unsigned bytes.
            return values.Text(a) < values.Text(b);
    }
}

// One virtual table; SQLite needs sqlite3_vtab as the first member.
struct JetVtab {
    sqlite3_vtab base;
    JetTableStore* store;
    std::size_t table;
};

struct JetCursor {
    sqlite3_vtab_cursor base;
    const JetRows* rows = nullptr;
    const std::vector<std::uint32_t>* order = nullptr;  // null: the file's order
    bool descending = false;
    std::size_t pos = 0;
    std::size_t count = 0;

    std::size_t Row() const {
        if (!order) return pos;
        return (*order)[descending ? count - 1 - pos : pos];
    }
};

JetVtab* VtabOf(sqlite3_vtab* p) { return reinterpret_cast<JetVtab*>(p); }
JetCursor* CursorOf(sqlite3_vtab_cursor* p) { return reinterpret_cast<JetCursor*>(p); }

void SetError(sqlite3_vtab* vtab, const std::string& text) {
    sqlite3_free(vtab->zErrMsg);
    vtab->zErrMsg = sqlite3_mprintf("%s", text.c_str());
}

// argv[3]: the table's place in the store.
int Connect(sqlite3* db, void* aux, int argc, const char* const* argv, sqlite3_vtab** out,
            char** err) {
    auto& store = **static_cast<std::shared_ptr<JetTableStore>*>(aux);
    std::size_t index = store.Tables().size();
    if (argc >= 4) index = static_cast<std::size_t>(std::strtoul(argv[3], nullptr, 10));
    if (index >= store.Tables().size()) {
        *err = sqlite3_mprintf("no such Jet table");
        return SQLITE_ERROR;
    }
    std::string ddl = "CREATE TABLE x(";
    const JetTable& table = store.Tables()[index];
    for (std::size_t c = 0; c < table.columns.size(); ++c) {
        if (c > 0) ddl += ", ";
        ddl += QuoteIdentifier(table.columns[c].name) + " " + table.columns[c].declaredType;
    }
    ddl += ")";
    // Refused only for names a sound file cannot have (two columns of one name).
    if (const int rc = sqlite3_declare_vtab(db, ddl.c_str()); rc != SQLITE_OK)
        return rc == SQLITE_NOMEM ? rc : SQLITE_CORRUPT;
    auto* vtab = new (std::nothrow) JetVtab{};
    if (!vtab) return SQLITE_NOMEM;
    vtab->store = &store;
    vtab->table = index;
    *out = &vtab->base;
    return SQLITE_OK;
}

int Disconnect(sqlite3_vtab* vtab) {
    delete VtabOf(vtab);
    return SQLITE_OK;
}

// No index: every constraint is checked by SQLite on a full scan. A single sort term on a
// column is served in order, which spares SQLite its sorter for ORDER BY and GROUP BY.
int BestIndex(sqlite3_vtab* vtab, sqlite3_index_info* info) {
    const JetVtab& v = *VtabOf(vtab);
    const auto rows = static_cast<double>(v.store->Tables()[v.table].rowCount);
    info->estimatedRows = static_cast<sqlite3_int64>(rows) + 1;
    info->estimatedCost = rows + 1.0;
    info->idxNum = 0;
    if (info->nOrderBy == 1 && info->aOrderBy[0].iColumn >= 0) {
        info->idxNum = 1 + 2 * info->aOrderBy[0].iColumn + (info->aOrderBy[0].desc ? 1 : 0);
        info->orderByConsumed = 1;
    }
    return SQLITE_OK;
}

int Open(sqlite3_vtab*, sqlite3_vtab_cursor** out) {
    auto* cursor = new (std::nothrow) JetCursor{};
    if (!cursor) return SQLITE_NOMEM;
    *out = &cursor->base;
    return SQLITE_OK;
}

int Close(sqlite3_vtab_cursor* cursor) {
    delete CursorOf(cursor);
    return SQLITE_OK;
}

int Filter(sqlite3_vtab_cursor* cur, int idxNum, const char*, int, sqlite3_value**) {
    JetCursor& c = *CursorOf(cur);
    JetVtab& v = *VtabOf(cur->pVtab);
    try {
        c.rows = &v.store->Rows(v.table);
        c.count = c.rows->empty() ? 0 : c.rows->front().Size();
        c.pos = 0;
        c.order = nullptr;
        if (idxNum > 0) {
            const auto column = static_cast<std::size_t>((idxNum - 1) / 2);
            c.order = &v.store->Order(v.table, column);
            c.descending = (idxNum - 1) % 2 == 1;
        }
        return SQLITE_OK;
    } catch (const JetError& e) {
        SetError(cur->pVtab, e.what());
        // SqliteConnection turns these codes back into 3343 and 7.
        if (e.number() == kErrUnrecognizedFormat) return SQLITE_CORRUPT;
        if (e.number() == kErrOutOfMemory) return SQLITE_NOMEM;
        return SQLITE_ERROR;
    } catch (const std::bad_alloc&) {
        return SQLITE_NOMEM;
    }
}

int Next(sqlite3_vtab_cursor* cur) {
    ++CursorOf(cur)->pos;
    return SQLITE_OK;
}

int Eof(sqlite3_vtab_cursor* cur) {
    const JetCursor& c = *CursorOf(cur);
    return c.pos >= c.count ? 1 : 0;
}

int Column(sqlite3_vtab_cursor* cur, sqlite3_context* ctx, int column) {
    const JetCursor& c = *CursorOf(cur);
    const JetColumnValues& values = (*c.rows)[static_cast<std::size_t>(column)];
    const std::size_t row = c.Row();
    if (values.IsNull(row)) {
        sqlite3_result_null(ctx);
        return SQLITE_OK;
    }
    // The rows stay put while the connection lives: text and bytes need no copy.
    switch (values.Kind()) {
        case JetKind::Whole:
            sqlite3_result_int64(ctx, values.Whole(row));
            break;
        case JetKind::Real:
            sqlite3_result_double(ctx, values.Real(row));
            break;
        case JetKind::Text:
            sqlite3_result_text64(ctx, values.Text(row).data(), values.Text(row).size(),
                                  SQLITE_STATIC, SQLITE_UTF8);
            break;
        case JetKind::Bytes:
            sqlite3_result_blob64(ctx, values.Text(row).data(), values.Text(row).size(),
                                  SQLITE_STATIC);
            break;
    }
    return SQLITE_OK;
}

int RowId(sqlite3_vtab_cursor* cur, sqlite3_int64* out) {
    *out = static_cast<sqlite3_int64>(CursorOf(cur)->Row()) + 1;
    return SQLITE_OK;
}

// Without xUpdate the tables cannot be written: SQLite refuses the statement before it runs.
sqlite3_module MakeModule() {
    sqlite3_module m{};
    m.iVersion = 0;
    m.xCreate = Connect;
    m.xConnect = Connect;
    m.xBestIndex = BestIndex;
    m.xDisconnect = Disconnect;
    m.xDestroy = Disconnect;
    m.xOpen = Open;
    m.xClose = Close;
    m.xFilter = Filter;
    m.xNext = Next;
    m.xEof = Eof;
    m.xColumn = Column;
    m.xRowid = RowId;
    return m;
}

const sqlite3_module kModule = MakeModule();

void ReleaseStore(void* aux) { delete static_cast<std::shared_ptr<JetTableStore>*>(aux); }

}  // namespace

JetTableStore::JetTableStore(std::unique_ptr<JetFile> file)
    : m_file(std::move(file)),
      m_tables(m_file->Tables()),
      m_rows(m_tables.size()),
      m_orders(m_tables.size()) {}

const JetRows& JetTableStore::Rows(std::size_t table) {
    auto& rows = m_rows.at(table);
    if (!rows) {
        if (!m_file) throw JetError(kErrObjectClosed, "Object invalid or no longer set.");
        rows = m_file->ReadTable(table);
    }
    return *rows;
}

const std::vector<std::uint32_t>& JetTableStore::Order(std::size_t table, std::size_t column) {
    const JetRows& rows = Rows(table);
    auto& orders = m_orders.at(table);
    if (orders.empty()) orders.resize(rows.size());
    auto& order = orders.at(column);
    const JetColumnValues& values = rows.at(column);
    if (order.size() != values.Size()) {
        order.resize(values.Size());
        std::iota(order.begin(), order.end(), 0U);
        std::stable_sort(order.begin(), order.end(),
                         [&](std::uint32_t a, std::uint32_t b) { return Less(values, a, b); });
    }
    return order;
}

void JetTableStore::Release() {
    m_file.reset();
    m_rows.assign(m_rows.size(), std::nullopt);
    m_orders.assign(m_orders.size(), {});
}

void AttachJetTables(SqliteConnection& conn, const std::shared_ptr<JetTableStore>& store) {
    auto* aux = new std::shared_ptr<JetTableStore>(store);
    // On failure SQLite has already called ReleaseStore.
    if (sqlite3_create_module_v2(conn.Handle(), kModuleName, &kModule, aux, ReleaseStore) !=
        SQLITE_OK)
        throw JetError(kErrOutOfMemory, "Out of memory");
    const auto& tables = store->Tables();
    for (std::size_t i = 0; i < tables.size(); ++i) {
        // SQLite keeps these names for itself; such a table cannot be queried.
        if (EqualsNoCase(tables[i].name.substr(0, 7), "sqlite_")) {
            DebugLog("AttachJetTables", "table skipped: " + tables[i].name);
            continue;
        }
        try {
            conn.Exec("CREATE VIRTUAL TABLE main." + QuoteIdentifier(tables[i].name) + " USING " +
                      kModuleName + "(" + std::to_string(i) + ")");
        } catch (const JetError& e) {
            // Two tables of one name, or columns SQLite cannot take: a damaged catalog.
            if (e.number() == kErrOutOfMemory) throw;
            throw JetError(kErrUnrecognizedFormat,
                           "Unrecognized database format '" + conn.Path() + "'.");
        }
    }
}

}  // namespace stripstock::dao
