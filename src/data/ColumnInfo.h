#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "data/Dao.h"

namespace stripstock::dao {

// A table column as the engine enforces it, read back from its declared type.
struct ColumnInfo {
    std::string name;
    int type = 0;  // dbLong, dbInteger, dbDate, dbText; 0 = no checks
    int size = 0;  // Text: the most characters; 0 = no limit
    bool autoIncrement = false;
    bool required = false;
    std::optional<std::string> defaultSql;  // the DEFAULT expression as stored
};

// The declared type that stands for the field's Jet type; 3259 for a type the engine lacks.
std::string DeclaredTypeFor(const Field& field);

// Jet type (and text size) of a declared type; 0 when it names none of the Jet types.
int FieldTypeOfDeclared(std::string_view declared, int* size = nullptr);

// The value as the column stores it: a whole number for Long/Integer, a double for
// Date/Time, text for Text. Raises 13 (no such value), 3349 (out of range) or 3163 (text
// too long). Null passes; Required is checked when the row is written.
Value CoerceForColumn(const ColumnInfo& column, const Value& value);

// An SQL literal of the value; doubles read back exactly.
std::string SqlLiteral(const Value& value);

// "name" with inner quotes doubled.
std::string QuoteIdentifier(std::string_view name);

}  // namespace stripstock::dao
