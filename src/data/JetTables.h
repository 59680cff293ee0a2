#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "data/JetFile.h"

namespace stripstock::dao {

class SqliteConnection;

// The tables of one open Jet file for the SQLite engine: each is read whole on the first query
// that scans it and then kept in memory, never longer than the database stays open.
class JetTableStore {
  public:
    explicit JetTableStore(std::unique_ptr<JetFile> file);

    const std::vector<JetTable>& Tables() const { return m_tables; }
    // The rows of Tables()[table], read on first use: 3343 when the file is damaged, 3420
    // once released.
    const JetRows& Rows(std::size_t table);
    // Row numbers in the order SQLite sorts the column's values ascending: Null, then
    // numbers, then text byte by byte, then bytes.
    const std::vector<std::uint32_t>& Order(std::size_t table, std::size_t column);
    // Drops every row read and closes the file; later reads raise 3420.
    void Release();

  private:
    std::unique_ptr<JetFile> m_file;
    std::vector<JetTable> m_tables;
    std::vector<std::optional<JetRows>> m_rows;
    std::vector<std::vector<std::vector<std::uint32_t>>> m_orders;  // [table][column]
};

// Makes every table of the store a virtual table of conn's main schema, under its Jet name
// and with its columns' declared types, so that the translated SQL runs on them unchanged.
// The tables cannot be written. conn keeps the store alive.
void AttachJetTables(SqliteConnection& conn, const std::shared_ptr<JetTableStore>& store);

}  // namespace stripstock::dao
