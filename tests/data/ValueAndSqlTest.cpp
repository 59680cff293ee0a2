// Values as the engine converts them and the Jet SQL dialect as it reaches SQLite.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "DataFixtures.h"
#include "data/Dao.h"

namespace stripstock::dao {
namespace {

TEST(Value, convertsLikeTypedAssignmentOrRaises) {
    struct Case {
        const char* name;
        Value value;
        std::function<double(const Value&)> convert;
        double expected;  // when error == 0
        int error;
    };
    for (const Case& c :
         {Case{"longNull", Value(), ToLong, 0, kErrInvalidUseOfNull},
          Case{"integerNull", Value(), ToInteger, 0, kErrInvalidUseOfNull},
          Case{"dateNull", Value(), ToDate, 0, kErrInvalidUseOfNull},
          Case{"longWhole", Value(std::int64_t{2147483647}), ToLong, 2147483647, 0},
          Case{"longTooBig", Value(std::int64_t{2147483648}), ToLong, 0, kErrOverflow},
          Case{"longHalfDown", Value(2.5), ToLong, 2, 0},
          Case{"longHalfUp", Value(3.5), ToLong, 4, 0},
          Case{"longNegativeHalf", Value(-2.5), ToLong, -2, 0},
          Case{"longText", Value(std::string(" 42 ")), ToLong, 42, 0},
          Case{"longNoNumber", Value(std::string("abc")), ToLong, 0, kErrTypeMismatch},
          Case{"longEmptyText", Value(std::string()), ToLong, 0, kErrTypeMismatch},
          Case{"integerMax", Value(std::int64_t{32767}), ToInteger, 32767, 0},
          Case{"integerMin", Value(std::int64_t{-32768}), ToInteger, -32768, 0},
          Case{"integerAbove", Value(std::int64_t{32768}), ToInteger, 0, kErrOverflow},
          Case{"integerRoundsOver", Value(32767.5), ToInteger, 0, kErrOverflow},
          Case{"integerNaN", Value(std::nan("")), ToInteger, 0, kErrOverflow},
          Case{"dateWhole", Value(std::int64_t{40179}), ToDate, 40179, 0},
          Case{"dateReal", Value(40179.5), ToDate, 40179.5, 0},
          Case{"dateNoDate", Value(std::string("gestern")), ToDate, 0, kErrTypeMismatch}}) {
        double converted = 0.0;
        EXPECT_EQ(test::ErrorOf([&] { converted = c.convert(c.value); }), c.error) << c.name;
        if (c.error == 0) {
            EXPECT_DOUBLE_EQ(converted, c.expected) << c.name;
        }
    }
    EXPECT_EQ(ToText(Value(std::int64_t{-12})), "-12");
    EXPECT_EQ(ToText(Value(2.5)), "2.5");
    EXPECT_EQ(ToText(Value(std::string("ä"))), "ä");
    EXPECT_EQ(test::ErrorOf([] { ToText(Value()); }), kErrInvalidUseOfNull);
}

TEST(TranslateSql, writesTheJetDialectAsSqlite) {
    struct Case {
        const char* jet;
        const char* sqlite;
    };
    for (const Case& c :
         {// Date literals become OLE date numbers that stay REAL.
          Case{"SELECT 1 WHERE vdate between #3/4/2010# AND #1/1/2011#",
               "SELECT 1 WHERE vdate between 40241.0 AND 40544.0"},
          Case{"SELECT 1 WHERE date between #1/1/2010 06:00# AND #1/1/2010 18:00:00#",
               "SELECT 1 WHERE date between 40179.25 AND 40179.75"},
          Case{"SELECT #12/30/1899#", "SELECT 0.0"},
          Case{"SELECT #12/29/1899 06:00#", "SELECT (-1.25)"},
          Case{"SELECT #2010-03-04#", "SELECT 40241.0"}, Case{"SELECT #3/4/10#", "SELECT 40241.0"},
          Case{"DELETE*FROM t", "DELETE FROM t"},
          // DELETE * FROM is Jet only.
          Case{"DELETE * FROM teststrips WHERE id=7", "DELETE FROM teststrips WHERE id=7"},
          Case{"DELETE * from strips WHERE id=0", "DELETE from strips WHERE id=0"},
          // Stars that Jet allows stay.
          Case{"Select * FROM strips", "Select * FROM strips"},
          Case{"select count(*) as n from t", "select count(*) as n from t"},
          Case{"SELECT t.* FROM t", "SELECT t.* FROM t"},
          // Quoted text is never rewritten; double quotes are Jet string delimiters.
          Case{"SELECT * FROM t WHERE a='#1/1/2010# * ''x'''",
               "SELECT * FROM t WHERE a='#1/1/2010# * ''x'''"},
          Case{"SELECT * FROM t WHERE a=\"it's \"\"q\"\"\"",
               "SELECT * FROM t WHERE a='it''s \"q\"'"},
          Case{"SELECT * FROM [my table];", "SELECT * FROM [my table]"},
          // A minus is no comment.
          Case{"SELECT a-1 FROM t WHERE b=-2 AND c - -3 > 0",
               "SELECT a-1 FROM t WHERE b=-2 AND c - -3 > 0"}})
        EXPECT_EQ(TranslateSql(c.jet), c.sqlite) << c.jet;
}

TEST(TranslateSql, refusesWhatIsOutsideTheDialectWithAJetError) {
    struct Case {
        std::string jet;
        int number;
        const char* text;  // empty: any text
    };
    for (const Case& c :
         {// The meter list of a strip definition without meters.
          Case{"SELECT count(vdate) as inum FROM GLUCOSE WHERE method IN (**) AND vdate "
               "between #1/1/2010# AND #2/1/2010#",
               kErrSyntax, "Syntax error in query expression 'method IN (**)'."},
          Case{"SELECT count(vdate) as inum FROM GLUCOSE WHERE method IN (**)", kErrSyntax,
               "Syntax error in query expression 'method IN (**)'."},
          Case{"SELECT a*2 FROM t", kErrSyntax, ""},
          Case{"SELECT * FROM t WHERE d = #13/1/2010# ORDER BY d", kErrSyntax,
               "Syntax error in date in query expression 'd = #13/1/2010#'."},
          Case{"SELECT * FROM t WHERE d = #2/30/2010#", kErrSyntax, ""},
          Case{"SELECT * FROM t WHERE d = #1/1/2010 24:00#", kErrSyntax, ""},
          Case{"SELECT * FROM t WHERE d = #1/1/2010", kErrSyntax, ""},
          Case{"SELECT * FROM t WHERE d = ##", kErrSyntax, ""},
          Case{"SELECT * FROM t WHERE a = 'open", kErrSyntax, ""},
          Case{"SELECT * FROM t WHERE (a = 1", kErrSyntax, ""},
          Case{"SELECT * FROM t WHERE a = 1 -- comment", kErrSyntax, ""},
          Case{"SELECT 1; DROP TABLE t", kErrCharactersAfterEnd, ""},
          Case{"PRAGMA writable_schema=1", kErrInvalidSqlStatement, ""},
          Case{"ATTACH 'x.db' AS x", kErrInvalidSqlStatement, ""},
          Case{"", kErrInvalidSqlStatement, ""}, Case{"   ", kErrInvalidSqlStatement, ""},
          // A NUL that SQLite would cut the text off at.
          Case{std::string("SELECT 1\0; DELETE FROM t", 24), kErrSyntax, ""}}) {
        const auto [number, text] = test::Raised([&] { TranslateSql(c.jet); });
        EXPECT_EQ(number, c.number) << c.jet;
        if (*c.text) {
            EXPECT_EQ(text, c.text);
        }
    }
}

}  // namespace
}  // namespace stripstock::dao
