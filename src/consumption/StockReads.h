#pragma once

// Reads shared by the per-strip computation and the one-pass refresh, so that both turn the
// same query results into the same figures.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "data/Dao.h"

namespace stripstock::stockreads {

// The companion database read-only and without a connect string (it carries no password);
// null, logged, when the engine is missing or the open fails.
std::shared_ptr<dao::Database> OpenCompanion(const std::shared_ptr<dao::DBEngine>& engine,
                                             const std::string& path);

// Opens a dynaset on sql and moves to its first row. The record set is handed to rs (closing
// the one before) so that db_cleanup closes the last one. Null when either step fails.
std::shared_ptr<dao::Recordset> OpenFirstRow(const std::shared_ptr<dao::Database>& database,
                                             std::shared_ptr<dao::Recordset>& rs,
                                             const std::string& sql);

// A column of the current row; nullopt when it is Null (an aggregate over no rows) or the
// read fails.
std::optional<dao::Value> ReadColumn(const std::shared_ptr<dao::Recordset>& rs,
                                     std::string_view column);

// The conversions a typed variable makes; nullopt (logged) when it refuses the value.
std::optional<double> AsDate(const std::optional<dao::Value>& value, std::string_view what);
std::optional<std::int32_t> AsLong(const std::optional<dao::Value>& value, std::string_view what);
// Sums of Amount are taken in 64 bits: a total past the 32-bit range is a figure, not a failure.
std::optional<std::int64_t> AsSum(const std::optional<dao::Value>& value, std::string_view what);

// The summed Amount of one received query; 0 when there are no rows or the query fails.
std::int64_t SumAmount(const std::shared_ptr<dao::Database>& database,
                       std::shared_ptr<dao::Recordset>& rs, const std::string& sql);

// A Type, method or ID as the per-strip queries compare it with a number in the SQL text:
// whole numbers only; text, fractions and Null never equal one.
std::optional<std::int64_t> WholeKey(const dao::Value& v);

// received - used as the 32-bit stock; nullopt when it leaves that range.
std::optional<std::int32_t> StockOf(std::int64_t received, std::int64_t used);

}  // namespace stripstock::stockreads
