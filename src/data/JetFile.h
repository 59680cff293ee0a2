#pragma once

// Reading a database file in the Jet engine's own format (Jet 3 and Jet 4), through mdbtools'
// libmdb. The file is opened for reading only and never written; libmdb stays behind this
// interface.

#include <cstddef>
#include <cstdint>
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

// How the values of one Jet type are held: whole numbers (Yes/No as -1/0, Byte, Integer,
// Long), doubles (Date/Time as the stored OLE date, Single, Double, Currency, Decimal), UTF-8
// text (Text, Memo, Replication ID as "{...}") or raw bytes (Binary, OLE Object).
enum class JetKind { Whole, Real, Text, Bytes };

struct JetColumn {
    std::string name;
    // The declared type the SQLite engine gives the same Jet type ("LONG", "SHORT",
    // "DATETIME_REAL", "VARCHAR(n)"); other types get names of their own ("DOUBLE", "LONGTEXT").
    std::string declaredType;
    JetKind kind = JetKind::Whole;
};

struct JetTable {
    std::string name;
    std::vector<JetColumn> columns;
    std::size_t rowCount = 0;  // as the table definition states it
};

// The values of one column, row by row, in its kind's storage alone (a Null row keeps a
// placeholder there).
class JetColumnValues {
  public:
    explicit JetColumnValues(JetKind kind = JetKind::Whole) : m_kind(kind) {}

    JetKind Kind() const { return m_kind; }
    std::size_t Size() const { return m_null.size(); }
    bool IsNull(std::size_t row) const { return m_null[row] != 0; }
    std::int64_t Whole(std::size_t row) const { return m_whole[row]; }
    double Real(std::size_t row) const { return m_real[row]; }
    const std::string& Text(std::size_t row) const { return m_text[row]; }  // also Bytes
    Value At(std::size_t row) const;

    void Reserve(std::size_t rows);
    void AppendNull();
    void Append(std::int64_t v);
    void Append(double v);  // NaN is kept as Null, as SQLite would make it
    void Append(std::string v);

  private:
    JetKind m_kind;
    std::vector<unsigned char> m_null;
    std::vector<std::int64_t> m_whole;
    std::vector<double> m_real;
    std::vector<std::string> m_text;
};

// A table's rows, column by column.
using JetRows = std::vector<JetColumnValues>;

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

    // Every row of Tables()[index], in the order the file holds them; 3343 when the table's
    // pages cannot be read.
    JetRows ReadTable(std::size_t index);

  private:
    struct Impl;
    std::unique_ptr<Impl> m;
};

}  // namespace stripstock::dao
