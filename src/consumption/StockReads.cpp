#include "consumption/StockReads.h"

#include <cmath>
#include <limits>

#include "data/Session.h"
#include "text/TextHelpers.h"

namespace stripstock::stockreads {

namespace {

constexpr const char* kWhere = "ComputeStripStock";

void LogJetError(const std::string& what, const dao::JetError& e) {
    DebugLog(kWhere, what + ": " + std::to_string(e.number()) + " " + e.what());
}

template <typename Convert>
auto Converted(const std::optional<dao::Value>& value, std::string_view what, Convert convert)
    -> std::optional<decltype(convert(*value))> {
    if (!value) {
        return std::nullopt;
    }
    try {
        return convert(*value);
    } catch (const dao::JetError& e) {
        LogJetError(std::string(what), e);
    }
    return std::nullopt;
}

}  // namespace

std::shared_ptr<dao::Database> OpenCompanion(const std::shared_ptr<dao::DBEngine>& engine,
                                             const std::string& path) {
    if (!engine) {
        return nullptr;
    }
    try {
        return engine->OpenDatabase(path, false, true);
    } catch (const dao::JetError& e) {
        DebugLog(kWhere, "open " + path + ": " + std::to_string(e.number()) + " " + e.what());
    }
    return nullptr;
}

std::shared_ptr<dao::Recordset> OpenFirstRow(const std::shared_ptr<dao::Database>& database,
                                             std::shared_ptr<dao::Recordset>& rs,
                                             const std::string& sql) {
    if (!database) {
        return nullptr;
    }
    if (rs) {
        try {
            rs->Close();
        } catch (const dao::JetError& e) {
            LogJetError("close record set", e);
        }
        rs.reset();
    }
    const int status = db_OpenRecordset(database, rs, sql, dao::dbOpenDynaset);
    if (status != 0 || !rs) {
        DebugLog(kWhere, sql + ": " + std::to_string(status));
        return nullptr;
    }
    try {
        rs->MoveFirst();
    } catch (const dao::JetError& e) {
        LogJetError(sql, e);
        return nullptr;
    }
    return rs;
}

std::optional<dao::Value> ReadColumn(const std::shared_ptr<dao::Recordset>& rs,
                                     std::string_view column) {
    if (!rs) {
        return std::nullopt;
    }
    try {
        dao::Value value = rs->GetField(column);
        if (dao::IsNull(value)) {
            return std::nullopt;
        }
        return value;
    } catch (const dao::JetError& e) {
        LogJetError("read " + std::string(column), e);
    }
    return std::nullopt;
}

std::optional<double> AsDate(const std::optional<dao::Value>& value, std::string_view what) {
    return Converted(value, what, [](const dao::Value& v) { return dao::ToDate(v); });
}

std::optional<std::int32_t> AsLong(const std::optional<dao::Value>& value, std::string_view what) {
    return Converted(value, what, [](const dao::Value& v) { return dao::ToLong(v); });
}

std::optional<std::int64_t> AsSum(const std::optional<dao::Value>& value, std::string_view what) {
    return Converted(value, what, [](const dao::Value& v) { return dao::ToLong64(v); });
}

std::int64_t SumAmount(const std::shared_ptr<dao::Database>& database,
                       std::shared_ptr<dao::Recordset>& rs, const std::string& sql) {
    return AsSum(ReadColumn(OpenFirstRow(database, rs, sql), "iNum"), "iNum").value_or(0);
}

std::optional<std::int64_t> WholeKey(const dao::Value& v) {
    if (const auto* i = std::get_if<std::int64_t>(&v)) {
        return *i;
    }
    if (const auto* d = std::get_if<double>(&v)) {
        if (std::isfinite(*d) && std::trunc(*d) == *d && *d >= -9223372036854775808.0 &&
            *d < 9223372036854775808.0) {
            return static_cast<std::int64_t>(*d);
        }
    }
    return std::nullopt;
}

std::optional<std::int32_t> StockOf(std::int64_t received, std::int64_t used) {
    std::int64_t result = 0;
    if (__builtin_sub_overflow(received, used, &result) ||
        result < std::numeric_limits<std::int32_t>::min() ||
        result > std::numeric_limits<std::int32_t>::max()) {
        DebugLog(kWhere, "stock out of range: " + std::to_string(result));
        return std::nullopt;
    }
    return static_cast<std::int32_t>(result);
}

}  // namespace stripstock::stockreads
