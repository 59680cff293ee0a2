#include <gtest/gtest.h>

#include "data/Dao.h"
#include "support/TestHost.h"

namespace stripstock::dao {
namespace {

struct TranslateCase {
    const char* jet;
    const char* sqlite;
};

class TranslatesJetDialect : public ::testing::TestWithParam<TranslateCase> {};

TEST_P(TranslatesJetDialect, toSqlite) {
    EXPECT_EQ(TranslateSql(GetParam().jet), GetParam().sqlite);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TranslatesJetDialect,
    ::testing::Values(
        // Date literals become OLE date numbers that stay REAL.
        TranslateCase{"SELECT 1 WHERE vdate between #3/4/2010# AND #1/1/2011#",
                      "SELECT 1 WHERE vdate between 40241.0 AND 40544.0"},
        TranslateCase{"SELECT 1 WHERE date between #1/1/2010 06:00# AND #1/1/2010 18:00:00#",
                      "SELECT 1 WHERE date between 40179.25 AND 40179.75"},
        TranslateCase{"SELECT #12/30/1899#", "SELECT 0.0"},
        TranslateCase{"SELECT #12/29/1899 06:00#", "SELECT (-1.25)"},
        TranslateCase{"SELECT #2010-03-04#", "SELECT 40241.0"},
        TranslateCase{"SELECT #3/4/10#", "SELECT 40241.0"},
        TranslateCase{"DELETE*FROM t", "DELETE FROM t"},
        // DELETE * FROM is Jet only.
        TranslateCase{"DELETE * FROM teststrips WHERE id=7", "DELETE FROM teststrips WHERE id=7"},
        TranslateCase{"DELETE * from strips WHERE id=0", "DELETE from strips WHERE id=0"},
        // Stars that Jet allows stay.
        TranslateCase{"Select * FROM strips", "Select * FROM strips"},
        TranslateCase{"select count(*) as n from t", "select count(*) as n from t"},
        TranslateCase{"SELECT t.* FROM t", "SELECT t.* FROM t"},
        // Quoted text is never rewritten; double quotes are Jet string delimiters.
        TranslateCase{"SELECT * FROM t WHERE a='#1/1/2010# * ''x'''",
                      "SELECT * FROM t WHERE a='#1/1/2010# * ''x'''"},
        TranslateCase{"SELECT * FROM t WHERE a=\"it's \"\"q\"\"\"",
                      "SELECT * FROM t WHERE a='it''s \"q\"'"},
        TranslateCase{"SELECT * FROM [my table];", "SELECT * FROM [my table]"},
        // A minus is no comment.
        TranslateCase{"SELECT a-1 FROM t WHERE b=-2 AND c - -3 > 0",
                      "SELECT a-1 FROM t WHERE b=-2 AND c - -3 > 0"}));

struct ErrorCase {
    const char* jet;
    int number;
    const char* text;  // empty: any text
};

class RefusesOutsideDialect : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(RefusesOutsideDialect, withJetError) {
    try {
        TranslateSql(GetParam().jet);
        FAIL() << "no error for " << GetParam().jet;
    } catch (const JetError& e) {
        EXPECT_EQ(e.number(), GetParam().number) << e.what();
        if (*GetParam().text) {
            EXPECT_STREQ(e.what(), GetParam().text);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusesOutsideDialect,
    ::testing::Values(
        // The meter list of a strip definition without meters.
        ErrorCase{"SELECT count(vdate) as inum FROM GLUCOSE WHERE method IN (**) AND vdate "
                  "between #1/1/2010# AND #2/1/2010#",
                  kErrSyntax, "Syntax error in query expression 'method IN (**)'."},
        ErrorCase{"SELECT count(vdate) as inum FROM GLUCOSE WHERE method IN (**)", kErrSyntax,
                  "Syntax error in query expression 'method IN (**)'."},
        ErrorCase{"SELECT a*2 FROM t", kErrSyntax, ""},
        ErrorCase{"SELECT * FROM t WHERE d = #13/1/2010# ORDER BY d", kErrSyntax,
                  "Syntax error in date in query expression 'd = #13/1/2010#'."},
        ErrorCase{"SELECT * FROM t WHERE d = #2/30/2010#", kErrSyntax, ""},
        ErrorCase{"SELECT * FROM t WHERE d = #1/1/2010 24:00#", kErrSyntax, ""},
        ErrorCase{"SELECT * FROM t WHERE d = #1/1/2010", kErrSyntax, ""},
        ErrorCase{"SELECT * FROM t WHERE d = ##", kErrSyntax, ""},
        ErrorCase{"SELECT * FROM t WHERE a = 'open", kErrSyntax, ""},
        ErrorCase{"SELECT * FROM t WHERE (a = 1", kErrSyntax, ""},
        ErrorCase{"SELECT * FROM t WHERE a = 1 -- comment", kErrSyntax, ""},
        ErrorCase{"SELECT 1; DROP TABLE t", kErrCharactersAfterEnd, ""},
        ErrorCase{"PRAGMA writable_schema=1", kErrInvalidSqlStatement, ""},
        ErrorCase{"ATTACH 'x.db' AS x", kErrInvalidSqlStatement, ""},
        ErrorCase{"", kErrInvalidSqlStatement, ""}, ErrorCase{"   ", kErrInvalidSqlStatement, ""}));

TEST(TranslateSql, refusesTextWithANulThatSqliteWouldCutOff) {
    const std::string sql("SELECT 1\0; DELETE FROM t", 24);
    EXPECT_EQ(test::ErrorOf([&] { TranslateSql(sql); }), kErrSyntax);
}

}  // namespace
}  // namespace stripstock::dao
