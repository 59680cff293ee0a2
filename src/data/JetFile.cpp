#include "data/JetFile.h"

// glib first: mdbtools.h includes it inside extern "C", where its C++ parts cannot stand.
#include <glib.h>
#include <mdbtools.h>

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>

#include "text/Cp1252.h"
#include "text/TextHelpers.h"
#include "text/UserText.h"

namespace stripstock::dao {

namespace {

constexpr std::size_t kVersionOffset = 0x14;
constexpr std::size_t kMaskedStart = 0x18;
constexpr std::size_t kPasswordOffset = 0x42;
constexpr std::size_t kCreationDateOffset = 0x72;
constexpr std::size_t kHeaderBytes = kMaskedStart + 128;
constexpr std::size_t kJet3PageSize = 2048;
constexpr std::size_t kJet4PageSize = 4096;
constexpr unsigned kRowOffsetMask = 0x1fff;  // the row offset without its flag bits
constexpr std::size_t kLvalHeader = 12;      // Memo/OLE: length and flags, pointer, unused

std::uint16_t Le16(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
std::uint32_t Le32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::uint64_t Le64(const unsigned char* p) {
    return static_cast<std::uint64_t>(Le32(p)) | (static_cast<std::uint64_t>(Le32(p + 4)) << 32);
}
double LeDouble(const unsigned char* p) {
    const std::uint64_t bits = Le64(p);
    double d = 0.0;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}
float LeFloat(const unsigned char* p) {
    const std::uint32_t bits = Le32(p);
    float f = 0.0F;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

// The header from 0x18 on is masked with the key stream of RC4 under a fixed key.
void UnmaskHeader(unsigned char* data, std::size_t n) {
    const std::array<unsigned char, 4> key{0xc7, 0xda, 0x39, 0x6b};  // 0x6b39dac7
    std::array<unsigned char, 256> s{};
    for (std::size_t i = 0; i < s.size(); ++i) s[i] = static_cast<unsigned char>(i);
    for (std::size_t i = 0, j = 0; i < s.size(); ++i) {
        j = (j + s[i] + key[i % key.size()]) & 0xff;
        std::swap(s[i], s[j]);
    }
    for (std::size_t k = 0, i = 0, j = 0; k < n; ++k) {
        i = (i + 1) & 0xff;
        j = (j + s[i]) & 0xff;
        std::swap(s[i], s[j]);
        data[k] ^= s[(s[i] + s[j]) & 0xff];
    }
}

// Jet 4 text: UCS-2 little endian, or, after the marker FF FE, "compressed": one byte per
// character with a zero high byte, a 0x00 byte switching between that and two bytes per
// character (the rule libmdb reads it by).
std::string Jet4Text(const unsigned char* p, std::size_t n) {
    std::u16string units;
    units.reserve(n);
    if (n >= 2 && p[0] == 0xff && p[1] == 0xfe) {
        bool compressed = true;
        for (std::size_t i = 2; i < n;) {
            if (p[i] == 0) {
                compressed = !compressed;
                ++i;
            } else if (compressed) {
                units.push_back(p[i]);
                ++i;
            } else if (i + 1 < n) {
                units.push_back(static_cast<char16_t>(Le16(p + i)));
                i += 2;
            } else {
                break;
            }
        }
    } else {
        for (std::size_t i = 0; i + 1 < n; i += 2)
            units.push_back(static_cast<char16_t>(Le16(p + i)));
    }
    return Utf16ToUtf8Replacing(units);
}

std::string JetText(JetVersion version, const unsigned char* p, std::size_t n) {
    if (version == JetVersion::Jet3)
        return Cp1252ToUtf8(std::string_view(reinterpret_cast<const char*>(p), n));
    return Jet4Text(p, n);
}

[[noreturn]] void ThrowDamaged(const std::string& path) {
    throw JetError(kErrUnrecognizedFormat, "Unrecognized database format '" + path + "'.");
}

struct TableDefDeleter {
    void operator()(MdbTableDef* t) const { mdb_free_tabledef(t); }
};
using TableDefPtr = std::unique_ptr<MdbTableDef, TableDefDeleter>;

MdbColumn* ColumnAt(MdbTableDef* t, unsigned i) {
    return static_cast<MdbColumn*>(g_ptr_array_index(t->columns, i));
}

JetColumn DescribeColumn(const MdbColumn& col, JetVersion version) {
    JetColumn c;
    c.name = col.name;
    switch (col.col_type) {
        case MDB_MONEY:
        case MDB_FLOAT:
        case MDB_DOUBLE:
        case MDB_DATETIME:
        case MDB_NUMERIC:
            c.kind = JetKind::Real;
            break;
        case MDB_TEXT:
        case MDB_MEMO:
        case MDB_REPID:
            c.kind = JetKind::Text;
            break;
        case MDB_BINARY:
        case MDB_OLE:
            c.kind = JetKind::Bytes;
            break;
        default:
            c.kind = JetKind::Whole;
            break;
    }
    switch (col.col_type) {
        case MDB_BOOL:
            c.declaredType = "YESNO";
            break;
        case MDB_BYTE:
            c.declaredType = "BYTE";
            break;
        case MDB_INT:
            c.declaredType = "SHORT";
            break;
        case MDB_LONGINT:
            c.declaredType = "LONG";
            break;
        case MDB_MONEY:
            c.declaredType = "CURRENCY";
            break;
        case MDB_FLOAT:
            c.declaredType = "SINGLE";
            break;
        case MDB_DOUBLE:
            c.declaredType = "DOUBLE";
            break;
        case MDB_DATETIME:
            c.declaredType = "DATETIME_REAL";
            break;
        case MDB_TEXT: {
            // Jet 4 counts the size in bytes of UCS-2.
            const int chars = version == JetVersion::Jet4 ? col.col_size / 2 : col.col_size;
            c.declaredType = chars > 0 && chars <= 255 ? "VARCHAR(" + std::to_string(chars) + ")"
                                                       : std::string("TEXT");
            break;
        }
        case MDB_MEMO:
            c.declaredType = "LONGTEXT";  // text affinity, no size
            break;
        case MDB_REPID:
            c.declaredType = "GUIDTEXT";
            break;
        case MDB_NUMERIC:
            c.declaredType = "DECIMAL";
            break;
        case MDB_BINARY:
        case MDB_OLE:
            c.declaredType = "BLOB";
            break;
        default:
            c.declaredType = "UNKNOWN";
            break;
    }
    return c;
}

}  // namespace

std::optional<JetHeader> ParseJetHeader(std::string_view page0) {
    static constexpr unsigned char kSignature[] = {0x00, 0x01, 0x00, 0x00, 'S', 't', 'a',
                                                   'n',  'd',  'a',  'r',  'd', ' ', 'J',
                                                   'e',  't',  ' ',  'D',  'B', 0x00};
    if (page0.size() < kHeaderBytes ||
        std::memcmp(page0.data(), kSignature, sizeof kSignature) != 0)
        return std::nullopt;
    std::array<unsigned char, kHeaderBytes> h{};
    std::memcpy(h.data(), page0.data(), h.size());

    JetHeader header;
    const std::uint32_t version = Le32(h.data() + kVersionOffset);
    if (version == 0) {
        header.version = JetVersion::Jet3;
    } else if (version == 1) {
        header.version = JetVersion::Jet4;
    } else {
        return std::nullopt;  // the 2007 format and later
    }
    const bool jet3 = header.version == JetVersion::Jet3;
    UnmaskHeader(h.data() + kMaskedStart, jet3 ? 126 : 128);

    const unsigned char* pwd = h.data() + kPasswordOffset;
    if (jet3) {
        std::size_t n = 0;
        while (n < 20 && pwd[n] != 0) ++n;
        header.password = Cp1252ToUtf8(std::string_view(reinterpret_cast<const char*>(pwd), n));
    } else {
        // Jet 4 masks the password once more with the whole days of the creation date.
        const double created = LeDouble(h.data() + kCreationDateOffset);
        std::int32_t days = 0;
        if (std::isfinite(created) && std::fabs(created) < 2147483647.0)
            days = static_cast<std::int32_t>(created);
        const auto d = static_cast<std::uint32_t>(days);
        const std::array<unsigned char, 4> mask{
            static_cast<unsigned char>(d), static_cast<unsigned char>(d >> 8),
            static_cast<unsigned char>(d >> 16), static_cast<unsigned char>(d >> 24)};
        std::array<unsigned char, 40> bytes{};
        for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = pwd[i] ^ mask[i % 4];
        std::u16string units;
        for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
            const auto u = static_cast<char16_t>(Le16(bytes.data() + i));
            if (u == 0) break;
            units.push_back(u);
        }
        header.password = Utf16ToUtf8Replacing(units);
    }
    return header;
}

std::optional<JetHeader> ReadJetHeader(const std::string& path) {
    std::ifstream in(Utf8Path(path), std::ios::binary);
    if (!in) return std::nullopt;
    std::string bytes(kHeaderBytes, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (in.gcount() != static_cast<std::streamsize>(bytes.size())) return std::nullopt;
    return ParseJetHeader(bytes);
}

Value JetColumnValues::At(std::size_t row) const {
    if (IsNull(row)) return Value();
    switch (m_kind) {
        case JetKind::Whole:
            return Value(m_whole[row]);
        case JetKind::Real:
            return Value(m_real[row]);
        default:
            return Value(m_text[row]);
    }
}

void JetColumnValues::Reserve(std::size_t rows) {
    m_null.reserve(rows);
    if (m_kind == JetKind::Whole) m_whole.reserve(rows);
    if (m_kind == JetKind::Real) m_real.reserve(rows);
    if (m_kind == JetKind::Text || m_kind == JetKind::Bytes) m_text.reserve(rows);
}

void JetColumnValues::AppendNull() {
    m_null.push_back(1);
    if (m_kind == JetKind::Whole) m_whole.push_back(0);
    if (m_kind == JetKind::Real) m_real.push_back(0.0);
    if (m_kind == JetKind::Text || m_kind == JetKind::Bytes) m_text.emplace_back();
}

void JetColumnValues::Append(std::int64_t v) {
    if (m_kind != JetKind::Whole) return AppendNull();
    m_null.push_back(0);
    m_whole.push_back(v);
}

void JetColumnValues::Append(double v) {
    if (m_kind != JetKind::Real || std::isnan(v)) return AppendNull();
    m_null.push_back(0);
    m_real.push_back(v);
}

void JetColumnValues::Append(std::string v) {
    if (m_kind != JetKind::Text && m_kind != JetKind::Bytes) return AppendNull();
    m_null.push_back(0);
    m_text.push_back(std::move(v));
}

struct JetFile::Impl {
    std::string path;
    JetVersion version = JetVersion::Jet3;
    std::size_t pageSize = kJet3PageSize;
    std::size_t pageCount = 0;
    MdbHandle* mdb = nullptr;
    std::vector<JetTable> tables;
    std::vector<std::unique_ptr<MdbCatalogEntry>> entries;  // one per table

    ~Impl() {
        if (mdb) mdb_close(mdb);
    }

    void ReadCatalog();
    TableDefPtr ReadDefinition(MdbCatalogEntry& entry) const;
    void CheckPages(const MdbTableDef& t) const;
    JetRows ReadRows(MdbTableDef& t, const std::vector<bool>& wanted) const;
    std::optional<std::string> ReadLongValue(const unsigned char* field, std::size_t len) const;
    void Decode(const MdbColumn& col, int start, int len, JetColumnValues& out) const;
};

TableDefPtr JetFile::Impl::ReadDefinition(MdbCatalogEntry& entry) const {
    TableDefPtr t(mdb_read_table(&entry));
    if (!t || !mdb_read_columns(t.get()) || t->num_cols == 0) ThrowDamaged(path);
    CheckPages(*t);
    return t;
}

// The catalog is the table MSysObjects on page 2. It is read here rather than by libmdb,
// which would also take apart every object's property blob, and loops on a damaged one; the
// tables are read without properties, which only formatting would need.
void JetFile::Impl::ReadCatalog() {
    MdbCatalogEntry catalog{};
    catalog.mdb = mdb;
    catalog.object_type = MDB_TABLE;
    catalog.table_pg = 2;
    std::strcpy(catalog.object_name, "MSysObjects");
    const TableDefPtr t = ReadDefinition(catalog);

    constexpr std::array<const char*, 4> kNeeded{"Id", "Name", "Type", "Flags"};
    std::array<std::size_t, 4> at{};
    std::vector<bool> wanted(t->num_cols, false);
    for (std::size_t k = 0; k < kNeeded.size(); ++k) {
        at[k] = t->num_cols;
        for (unsigned c = 0; c < t->num_cols; ++c) {
            if (g_ascii_strcasecmp(ColumnAt(t.get(), c)->name, kNeeded[k]) == 0) at[k] = c;
        }
        if (at[k] == t->num_cols) ThrowDamaged(path);
        wanted[at[k]] = true;
    }
    const JetRows rows = ReadRows(*t, wanted);
    const std::size_t count = rows.empty() ? 0 : rows.front().Size();
    for (std::size_t r = 0; r < count; ++r) {
        const Value id = rows[at[0]].At(r);
        const Value name = rows[at[1]].At(r);
        const Value type = rows[at[2]].At(r);
        const Value flags = rows[at[3]].At(r);
        const auto* idNumber = std::get_if<std::int64_t>(&id);
        const auto* typeNumber = std::get_if<std::int64_t>(&type);
        const auto* nameText = std::get_if<std::string>(&name);
        const auto* flagBits = std::get_if<std::int64_t>(&flags);
        if (!idNumber || !typeNumber || !nameText) continue;
        // A local table that is neither a system nor a hidden one; queries, linked tables
        // and the rest are not tables of this file.
        if ((*typeNumber & 0x7f) != MDB_TABLE) continue;
        if (flagBits && (static_cast<std::uint32_t>(*flagBits) & 0x80000002U) != 0) continue;
        auto entry = std::make_unique<MdbCatalogEntry>();
        entry->mdb = mdb;
        entry->object_type = MDB_TABLE;
        entry->table_pg = static_cast<unsigned long>(*idNumber) & 0x00ffffffUL;
        entry->flags = flagBits ? static_cast<int>(*flagBits) : 0;
        if (nameText->empty() || nameText->size() > MDB_MAX_OBJ_NAME ||
            entry->table_pg >= pageCount)
            ThrowDamaged(path);
        std::memcpy(entry->object_name, nameText->data(), nameText->size());

        const TableDefPtr def = ReadDefinition(*entry);
        JetTable table;
        table.name = *nameText;
        table.rowCount = def->num_rows;
        for (unsigned c = 0; c < def->num_cols; ++c)
            table.columns.push_back(DescribeColumn(*ColumnAt(def.get(), c), version));
        tables.push_back(std::move(table));
        entries.push_back(std::move(entry));
    }
}

// Every page the table's usage map names must lie inside the file, and the map must have the
// shape libmdb expects: libmdb reads a short map past its end, and past the end of the file
// it stops without a word, leaving rows out.
void JetFile::Impl::CheckPages(const MdbTableDef& t) const {
    const unsigned char* map = t.usage_map;
    const std::size_t size = t.map_sz;
    if (!map || size < 5) ThrowDamaged(path);
    if (map[0] == 0) {
        // A bitmap of the pages from a first page on.
        const std::uint64_t first = Le32(map + 1);
        for (std::size_t i = 0; i < (size - 5) * 8; ++i) {
            if ((map[5 + i / 8] & (1U << (i % 8))) != 0 && first + i >= pageCount)
                ThrowDamaged(path);
        }
        return;
    }
    if (map[0] != 1) ThrowDamaged(path);
    // Pointers to bitmap pages, each covering (page size - 4) * 8 pages from its place on.
    const std::size_t perMapPage = (pageSize - 4) * 8;
    for (std::size_t at = 1, index = 0; at + 4 <= size; at += 4, ++index) {
        const std::uint32_t mapPage = Le32(map + at);
        if (mapPage == 0) continue;
        if (mapPage >= pageCount || mdb_read_alt_pg(mdb, mapPage) != static_cast<ssize_t>(pageSize))
            ThrowDamaged(path);
        const unsigned char* bits = mdb->alt_pg_buf + 4;
        for (std::size_t i = 0; i < perMapPage; ++i) {
            if ((bits[i / 8] & (1U << (i % 8))) != 0 && index * perMapPage + i >= pageCount)
                ThrowDamaged(path);
        }
    }
}

// The rows of t, column by column; columns not wanted are left Null.
JetRows JetFile::Impl::ReadRows(MdbTableDef& t, const std::vector<bool>& wanted) const {
    const unsigned count = t.num_cols;
    std::vector<MdbColumn*> cols;
    JetRows rows;
    // Every row takes a few bytes of a page at least, whatever the definition claims.
    const std::size_t expected = std::min<std::size_t>(t.num_rows, pageCount * pageSize / 8);
    for (unsigned c = 0; c < count; ++c) {
        cols.push_back(ColumnAt(&t, c));
        rows.emplace_back(DescribeColumn(*cols.back(), version).kind);
        rows.back().Reserve(expected);
    }
    std::vector<MdbField> fields(count);
    std::vector<unsigned char> isNull(count);

    mdb_rewind_table(&t);
    while (mdb_fetch_row(&t)) {
        // An empty variable field is Null or a zero-length value: only the row's null mask
        // tells, and libmdb hands it over only when the row is taken apart again.
        bool cracked = false;
        for (unsigned c = 0; c < count; ++c) {
            const MdbColumn& col = *cols[c];
            JetColumnValues& out = rows[c];
            if (!wanted[c]) {
                out.AppendNull();
            } else if (col.col_type == MDB_BOOL) {
                // Stored in the null mask alone: libmdb reports a clear bit (No) as length 1.
                out.Append(std::int64_t{col.cur_value_len != 0 ? 0 : -1});
            } else if (col.cur_value_len != 0) {
                Decode(col, col.cur_value_start, col.cur_value_len, out);
            } else if (col.is_fixed) {
                out.AppendNull();
            } else {
                if (!cracked) {
                    int start = 0;
                    std::size_t size = 0;
                    if (t.cur_row == 0 ||
                        mdb_find_row(mdb, static_cast<int>(t.cur_row - 1), &start, &size) != 0)
                        ThrowDamaged(path);
                    start &= static_cast<int>(kRowOffsetMask);
                    // One field per column of the table; negative for a row it cannot read.
                    if (mdb_crack_row(&t, start, size, fields.data()) < 0) ThrowDamaged(path);
                    std::fill(isNull.begin(), isNull.end(), 1);
                    for (const MdbField& f : fields) {
                        if (f.colnum >= 0 && f.colnum < static_cast<int>(count))
                            isNull[static_cast<std::size_t>(f.colnum)] = f.is_null;
                    }
                    cracked = true;
                }
                if (isNull[c] || out.Kind() == JetKind::Whole || out.Kind() == JetKind::Real) {
                    out.AppendNull();
                } else {
                    out.Append(std::string());
                }
            }
        }
    }
    return rows;
}

// The bytes of a Memo or OLE Object field: kept in the row itself, in one row of a long-value
// page, or in a chain of such rows. nullopt when a pointer leads nowhere.
std::optional<std::string> JetFile::Impl::ReadLongValue(const unsigned char* field,
                                                        std::size_t len) const {
    if (len < kLvalHeader) return std::nullopt;
    const std::uint32_t head = Le32(field);
    const std::size_t total = head & 0x3fffffffU;
    std::string bytes;
    if ((head & 0x80000000U) != 0) {
        bytes.assign(reinterpret_cast<const char*>(field + kLvalHeader),
                     std::min(total, len - kLvalHeader));
        return bytes;
    }
    const bool single = (head & 0x40000000U) != 0;
    std::uint32_t pgRow = Le32(field + 4);
    for (std::size_t pages = 0; pgRow != 0 && bytes.size() < total; ++pages) {
        if (pages > pageCount || (pgRow >> 8) >= pageCount) return std::nullopt;
        void* buf = nullptr;
        int off = 0;
        std::size_t rowLen = 0;
        if (mdb_find_pg_row(mdb, static_cast<int>(pgRow), &buf, &off, &rowLen) != 0 || !buf ||
            off < 0 || static_cast<std::size_t>(off) + rowLen > pageSize)
            return std::nullopt;
        const auto* row = static_cast<const unsigned char*>(buf) + off;
        if (single) {
            bytes.assign(reinterpret_cast<const char*>(row), std::min(total, rowLen));
            return bytes;
        }
        if (rowLen < 4) return std::nullopt;
        pgRow = Le32(row);  // the next row of the chain comes first
        bytes.append(reinterpret_cast<const char*>(row + 4), rowLen - 4);
    }
    if (bytes.size() < total) return std::nullopt;
    bytes.resize(total);
    return bytes;
}

void JetFile::Impl::Decode(const MdbColumn& col, int start, int len, JetColumnValues& out) const {
    if (start < 0 || len < 0 ||
        static_cast<std::size_t>(start) + static_cast<std::size_t>(len) > pageSize)
        ThrowDamaged(path);
    const unsigned char* p = mdb->pg_buf + start;
    const auto n = static_cast<std::size_t>(len);
    auto need = [&](std::size_t size) {
        if (n < size) ThrowDamaged(path);
    };
    switch (col.col_type) {
        case MDB_BYTE:
            need(1);
            return out.Append(std::int64_t{p[0]});
        case MDB_INT:
            need(2);
            return out.Append(std::int64_t{static_cast<std::int16_t>(Le16(p))});
        case MDB_LONGINT:
            need(4);
            return out.Append(std::int64_t{static_cast<std::int32_t>(Le32(p))});
        case MDB_MONEY:
            need(8);
            return out.Append(static_cast<double>(static_cast<std::int64_t>(Le64(p))) / 10000.0);
        case MDB_FLOAT:
            need(4);
            return out.Append(static_cast<double>(LeFloat(p)));
        case MDB_DOUBLE:
        case MDB_DATETIME:
            // The stored OLE date itself, never a round trip through formatted text.
            need(8);
            return out.Append(LeDouble(p));
        case MDB_TEXT:
            return out.Append(JetText(version, p, n));
        case MDB_BINARY:
            return out.Append(std::string(reinterpret_cast<const char*>(p), n));
        case MDB_MEMO:
        case MDB_OLE: {
            auto bytes = ReadLongValue(p, n);
            if (!bytes) ThrowDamaged(path);
            if (col.col_type == MDB_OLE) return out.Append(std::move(*bytes));
            return out.Append(JetText(
                version, reinterpret_cast<const unsigned char*>(bytes->data()), bytes->size()));
        }
        case MDB_REPID: {
            need(16);
            char* text = mdb_uuid_to_string(mdb->pg_buf, start);
            std::string guid(text ? text : "");
            g_free(text);
            return out.Append(std::move(guid));
        }
        case MDB_NUMERIC: {
            need(17);
            char* text = mdb_numeric_to_string(mdb, start, col.col_scale, col.col_prec);
            double d = 0.0;
            const std::string_view s(text ? text : "");
            const auto res = std::from_chars(s.data(), s.data() + s.size(), d);
            g_free(text);
            if (res.ec != std::errc()) return out.AppendNull();
            return out.Append(d);
        }
        default:
            return out.AppendNull();  // types the Jet 3/4 formats do not have
    }
}

JetFile::JetFile(const std::string& path) : m(std::make_unique<Impl>()) {
    m->path = path;
    const auto header = ReadJetHeader(path);
    if (!header) ThrowDamaged(path);
    m->version = header->version;
    m->pageSize = m->version == JetVersion::Jet3 ? kJet3PageSize : kJet4PageSize;
    // The file is whole pages; one cut short is damaged.
    std::error_code ec;
    const auto size = std::filesystem::file_size(Utf8Path(path), ec);
    if (ec || size % m->pageSize != 0 || size < 3 * m->pageSize) ThrowDamaged(path);
    m->pageCount = static_cast<std::size_t>(size / m->pageSize);

    m->mdb = mdb_open(path.c_str(), MDB_NOFLAGS);  // fopen "r": never written, no lock file
    if (!m->mdb || !m->mdb->f || !m->mdb->fmt ||
        static_cast<std::size_t>(m->mdb->fmt->pg_size) != m->pageSize)
        ThrowDamaged(path);
    m->ReadCatalog();
}

JetFile::~JetFile() = default;

JetVersion JetFile::Version() const { return m->version; }

const std::vector<JetTable>& JetFile::Tables() const { return m->tables; }

JetRows JetFile::ReadTable(std::size_t index) {
    const TableDefPtr t = m->ReadDefinition(*m->entries.at(index));
    return m->ReadRows(*t, std::vector<bool>(t->num_cols, true));
}

}  // namespace stripstock::dao
