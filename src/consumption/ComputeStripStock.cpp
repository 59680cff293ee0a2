#include "consumption/ComputeStripStock.h"

#include <cctype>
#include <cstdio>
#include <limits>
#include <memory>
#include <optional>
#include <string_view>

#include "data/Dao.h"
#include "data/Session.h"
#include "strips/Catalogue.h"
#include "text/OleDate.h"
#include "text/TextHelpers.h"

namespace stripstock {

namespace {

constexpr const char* kWhere = "ComputeStripStock";

void LogJetError(const std::string& what, const dao::JetError& e) {
    DebugLog(kWhere, what + ": " + std::to_string(e.number()) + " " + e.what());
}

// The companion database carries no password, so it is opened without a connect string.
std::shared_ptr<dao::Database> OpenCompanion(const std::shared_ptr<dao::DBEngine>& engine,
                                             const std::string& path) {
    if (!engine) {
        return nullptr;
    }
    try {
        return engine->OpenDatabase(path, false, true);
    } catch (const dao::JetError& e) {
        LogJetError("open " + path, e);
    }
    return nullptr;
}

// Opens a dynaset on sql and moves to its first row. The record set is handed to rs (closing
// the one before) so that db_cleanup closes the last one. Null when either step fails.
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

// A column of the current row; nullopt when it is null (an aggregate over no rows) or the
// read fails.
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

std::optional<double> ReadDate(const std::shared_ptr<dao::Recordset>& rs, std::string_view column) {
    const std::optional<dao::Value> value = ReadColumn(rs, column);
    if (!value) {
        return std::nullopt;
    }
    try {
        return dao::ToDate(*value);
    } catch (const dao::JetError& e) {
        LogJetError("date " + std::string(column), e);
    }
    return std::nullopt;
}

std::optional<std::int32_t> ReadLong(const std::shared_ptr<dao::Recordset>& rs,
                                     std::string_view column) {
    const std::optional<dao::Value> value = ReadColumn(rs, column);
    if (!value) {
        return std::nullopt;
    }
    try {
        return dao::ToLong(*value);
    } catch (const dao::JetError& e) {
        LogJetError("number " + std::string(column), e);
    }
    return std::nullopt;
}

// The summed Amount of one received query; 0 when there are no rows or the query fails.
std::int64_t SumAmount(const std::shared_ptr<dao::Database>& database,
                       std::shared_ptr<dao::Recordset>& rs, const std::string& sql) {
    return ReadLong(OpenFirstRow(database, rs, sql), "iNum").value_or(0);
}

}  // namespace

std::string SqlDateTime(double oleDate) {
    const CivilDateTime dt = FromOleDate(oleDate);
    char text[40];
    std::snprintf(text, sizeof text, "#%d/%d/%04d %02d:%02d#", dt.month, dt.day, dt.year, dt.hour,
                  dt.minute);
    return text;
}

bool IsMeterInList(const std::string& list) {
    if (list.size() < 3 || list.front() != '(' || list.back() != ')') {
        return false;
    }
    bool digitBefore = false;
    for (std::size_t i = 1; i + 1 < list.size(); ++i) {
        const char c = list[i];
        if (std::isdigit(static_cast<unsigned char>(c))) {
            digitBefore = true;
        } else if (c == ',' && digitBefore) {
            digitBefore = false;
        } else {
            return false;
        }
    }
    return digitBefore;
}

std::int32_t ComputeStripStock(Context& ctx, std::int16_t& stripType, double& startDate,
                               double& lastPrescription, std::int32_t& used) {
    std::int32_t stock = kNoStockFigure;
    const bool oneStrip = stripType >= 0;
    const std::string id = std::to_string(stripType);

    // The meter list goes into SQL text as it stands, so anything but plain codes stays out:
    // a definition without meters has no readings and no faulty measurements.
    std::string meterList;
    if (oneStrip) {
        meterList = GetMeterInList(ctx, ctx.StripDbPath, stripType);
    }
    const bool hasMeters = oneStrip && IsMeterInList(meterList);

    std::shared_ptr<dao::DBEngine> engine = CreateOwnEngine(ctx);
    std::shared_ptr<dao::Database> database = OpenCompanion(engine, ctx.StripDbPath);
    std::shared_ptr<dao::Recordset> rs;

    // A strip's rows are its prescriptions and the faulty measurements made with its meters.
    std::string stripRows;
    if (oneStrip) {
        stripRows = hasMeters ? "(Type=" + id + " and amount >0) or (amount <0 and Type IN " +
                                    meterList + ")"
                              : "Type=" + id + " and amount >0";
    }

    std::string rangeSql = "Select min(date) as vd1, max(date) as vd2 FROM teststrips ";
    if (oneStrip) {
        rangeSql += "WHERE " + stripRows;
    }
    if (const auto range = OpenFirstRow(database, rs, rangeSql)) {
        if (const std::optional<double> vd2 = ReadDate(range, "vd2")) {
            lastPrescription = *vd2;
        }
        if (startDate == 0.0) {
            if (const std::optional<double> vd1 = ReadDate(range, "vd1")) {
                startDate = *vd1;
            }
        }
    }

    // Received up to the current minute: rows dated later are not there yet.
    const double now = ctx.clock ? ctx.clock() : 0.0;
    const std::string period =
        " date between " + SqlDateTime(startDate) + " AND " + SqlDateTime(now);
    std::int64_t received = 0;
    if (!oneStrip) {
        received =
            SumAmount(database, rs, "Select sum(amount) as iNum FROM teststrips WHERE " + period);
    } else {
        received = SumAmount(database, rs,
                             "Select sum(amount) as iNum FROM teststrips WHERE  Type=" + id +
                                 " and amount >0 and" + period);
        if (hasMeters) {
            received += SumAmount(
                database, rs,
                "Select sum(amount) as iNum FROM teststrips WHERE  amount <0 and Type IN " +
                    meterList + " and" + period);
        }
    }
    db_cleanup(engine, database, rs);

    // Readings are counted up to the current date.
    std::string countSql;
    if (!oneStrip) {
        countSql = " SELECT count(vdate) as inum FROM GLUCOSE ";
        if (startDate != 0.0) {
            countSql += " WHERE vdate between " + SqlDate(startDate) + " AND " + SqlDate(now);
        }
    } else {
        countSql = "SELECT count(vdate) as inum FROM GLUCOSE WHERE method IN " + meterList;
        if (startDate != 0.0) {
            countSql += " AND vdate between " + SqlDate(startDate) + " AND " + SqlDate(now);
        }
    }
    used = 0;
    if (!oneStrip || hasMeters) {
        const int status = db_init(ctx, engine, database, ctx.DiaryDbPath, true, false);
        if (status != 0) {
            DebugLog(kWhere, "open diary " + ctx.DiaryDbPath + ": " + std::to_string(status));
        } else if (const std::optional<std::int32_t> count =
                       ReadLong(OpenFirstRow(database, rs, countSql), "inum")) {
            used = *count;
        }
        db_cleanup(engine, database, rs);
    }

    // An unreadable diary leaves no engine behind; the companion is still worth reading.
    lastPrescription = 0.0;
    if (!engine) {
        engine = CreateOwnEngine(ctx);
    }
    database = OpenCompanion(engine, ctx.StripDbPath);
    std::string lastSql = "Select max(date) as vd FROM teststrips where amount >0";
    if (oneStrip) {
        lastSql += " AND Type=" + id;
    }
    if (const std::optional<double> vd = ReadDate(OpenFirstRow(database, rs, lastSql), "vd")) {
        lastPrescription = *vd;
    }
    db_cleanup(engine, database, rs);
    rs.reset();
    database.reset();
    engine.reset();

    const std::int64_t result = received - used;
    if (result >= std::numeric_limits<std::int32_t>::min() &&
        result <= std::numeric_limits<std::int32_t>::max()) {
        stock = static_cast<std::int32_t>(result);
    } else {
        DebugLog(kWhere, "stock out of range: " + std::to_string(result));
    }
    return stock;
}

}  // namespace stripstock
