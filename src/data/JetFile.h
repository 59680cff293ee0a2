#pragma once

// Reading a database file in the Jet engine's own format (Jet 3 and Jet 4), through mdbtools'
// libmdb. The file is opened for reading only and never written; libmdb stays behind this
// interface.

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/Dao.h"

namespace stripstock::dao {

enum class JetVersion { Jet3, Jet4 };

struct JetHeader {
    JetVersion version = JetVersion::Jet3;
    std::string password;  // UTF-8; empty when the file has none
};

// The header of page 0 (its first 0x98 bytes are enough): the signature, the version (Jet 3
// or Jet 4) and the database password, unmasked. nullopt for anything else, including the
// later formats that share the signature.
std::optional<JetHeader> ParseJetHeader(std::string_view page0);

// ParseJetHeader on the file's first bytes; nullopt when the file cannot be read.
std::optional<JetHeader> ReadJetHeader(const std::string& path);

struct JetColumn {
    std::string name;
    // The declared type the SQLite engine gives the same Jet type ("LONG", "SHORT",
    // "DATETIME_REAL", "VARCHAR(n)"); other types get names of their own ("DOUBLE", "MEMO").
    std::string declaredType;
    bool binary = false;  // bytes (Binary, OLE Object), not text
};

struct JetTable {
    std::string name;
    std::vector<JetColumn> columns;
    std::size_t rowCount = 0;  // as the table definition states it
};

// A table's rows, column by column: rows[c][r].
using JetRows = std::vector<std::vector<Value>>;

class JetFile {
  public:
    // Opens the file read-only and reads the catalog and every user table's definition; 3343
    // when libmdb cannot (a damaged file).
    explicit JetFile(const std::string& path);
    ~JetFile();
    JetFile(const JetFile&) = delete;
    JetFile& operator=(const JetFile&) = delete;

    JetVersion Version() const;
    const std::vector<JetTable>& Tables() const;

    // Every row of Tables()[index], in the order the file holds them. Values: Null, whole
    // numbers (Yes/No as -1/0, Byte, Integer, Long), doubles (Date/Time as the stored OLE
    // date, Single, Double, Currency, Decimal), UTF-8 text (Text, Memo, Replication ID as
    // "{...}") and raw bytes (Binary, OLE Object). 3343 when the table's pages cannot be read.
    JetRows ReadTable(std::size_t index);

  private:
    struct Impl;
    std::unique_ptr<Impl> m;
};

}  // namespace stripstock::dao
