#include "data/ColumnInfo.h"

#include <array>
#include <charconv>
#include <cmath>

#include "text/CaseFold.h"
#include "text/OleDate.h"
#include "text/TextHelpers.h"

namespace stripstock::dao {

std::string DeclaredTypeFor(const Field& field) {
    if ((field.Attributes & dbAutoIncrField) != 0) {
        if (field.Type != dbLong) throw JetError(kErrInvalidFieldType, "Invalid field data type.");
        return "INTEGER PRIMARY KEY AUTOINCREMENT";
    }
    switch (field.Type) {
        case dbLong:
            return "LONG";
        case dbInteger:
            return "SHORT";
        case dbDate:
            return "DATETIME_REAL";
        case dbText: {
            // Jet texts hold 1..255 characters; an unset size means the largest.
            if (field.Size < 0 || field.Size > 255)
                throw JetError(kErrInvalidFieldType, "Invalid field data type.");
            return "VARCHAR(" + std::to_string(field.Size == 0 ? 255 : field.Size) + ")";
        }
        default:
            throw JetError(kErrInvalidFieldType, "Invalid field data type.");
    }
}

int FieldTypeOfDeclared(std::string_view declared, int* size) {
    const std::string d = UCase(std::string(declared));
    if (size) *size = 0;
    if (d == "LONG" || d == "INTEGER" || d == "INT") return dbLong;
    if (d == "SHORT" || d == "SMALLINT") return dbInteger;
    if (d == "DATETIME_REAL" || d == "DATETIME" || d == "DATE") return dbDate;
    if (d == "TEXT") return dbText;
    for (std::string_view prefix : {"VARCHAR(", "CHAR("}) {
        if (d.size() > prefix.size() + 1 && d.compare(0, prefix.size(), prefix) == 0 &&
            d.back() == ')') {
            int n = 0;
            const char* first = d.data() + prefix.size();
            const char* last = d.data() + d.size() - 1;
            const auto res = std::from_chars(first, last, n);
            if (res.ec == std::errc() && res.ptr == last && n > 0) {
                if (size) *size = n;
                return dbText;
            }
        }
    }
    return 0;
}

Value CoerceForColumn(const ColumnInfo& column, const Value& value) {
    if (IsNull(value)) return value;
    try {
        switch (column.type) {
            case dbLong:
                return Value(static_cast<std::int64_t>(ToLong(value)));
            case dbInteger:
                return Value(static_cast<std::int64_t>(ToInteger(value)));
            case dbDate: {
                const double d = ToDate(value);
                if (!IsOleDateInRange(d))
                    throw JetError(kErrNumericOverflow, "Numeric field overflow.");
                return Value(d);
            }
            case dbText: {
                std::string text = ToText(value);
                if (column.size > 0 && Utf8Length(text) > static_cast<std::size_t>(column.size))
                    throw JetError(kErrFieldTooSmall,
                                   "The field is too small to accept the amount of data you "
                                   "attempted to add. Try inserting or pasting less data.");
                return Value(std::move(text));
            }
            default:
                return value;
        }
    } catch (const JetError& e) {
        // A number the field cannot hold is a field overflow, not a variable's overflow.
        if (e.number() == kErrOverflow)
            throw JetError(kErrNumericOverflow, "Numeric field overflow.");
        throw;
    }
}

std::string SqlLiteral(const Value& value) {
    if (IsNull(value)) return "NULL";
    if (const auto* i = std::get_if<std::int64_t>(&value)) return std::to_string(*i);
    if (const auto* d = std::get_if<double>(&value)) {
        if (!std::isfinite(*d)) return "NULL";
        std::array<char, 64> buf{};
        const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), *d);
        std::string s(buf.data(), res.ptr);
        if (s.find_first_of(".e") == std::string::npos) s += ".0";
        return *d < 0 ? "(" + s + ")" : s;
    }
    const auto& s = std::get<std::string>(value);
    std::string r = "'";
    for (char c : s) {
        r += c;
        if (c == '\'') r += '\'';
    }
    r += '\'';
    return r;
}

std::string QuoteIdentifier(std::string_view name) {
    std::string r = "\"";
    for (char c : name) {
        r += c;
        if (c == '"') r += '"';
    }
    r += '"';
    return r;
}

}  // namespace stripstock::dao
