#pragma once

#include <string>
#include <string_view>

namespace stripstock::dao {

// Jet SQL turned into SQLite SQL, with what the engine needs to know about the statement.
struct TranslatedSql {
    std::string sql;
    // The first keyword in upper case: SELECT, DELETE, INSERT, UPDATE, CREATE, DROP or ALTER.
    std::string verb;
    // Set for "SELECT * FROM <one table> [WHERE ...] [ORDER BY ...]": the table's name and the
    // same query with the row id as an extra first column, so that rows can be written back.
    std::string table;
    std::string sqlWithRowid;
};

// Raises JetError 3075 (syntax, also for a malformed date literal), 3129 (not a statement the
// dialect knows) or 3142 (text after the closing semicolon). Never reads outside the input.
TranslatedSql TranslateJetSql(std::string_view jetSql);

// The Jet text for a syntax error in an expression.
std::string SyntaxErrorText(std::string_view expression);

}  // namespace stripstock::dao
