#include "consumption/ComputeStripStock.h"

#include "consumption/StockReads.h"

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

using stockreads::AsDate;
using stockreads::AsLong;
using stockreads::OpenFirstRow;
using stockreads::ReadColumn;
using stockreads::SumAmount;

namespace {

constexpr const char* kWhere = "ComputeStripStock";

}  // namespace

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
    std::shared_ptr<dao::Database> database = stockreads::OpenCompanion(engine, ctx.StripDbPath);
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
        if (const std::optional<double> vd2 = AsDate(ReadColumn(range, "vd2"), "vd2")) {
            lastPrescription = *vd2;
        }
        if (startDate == 0.0) {
            if (const std::optional<double> vd1 = AsDate(ReadColumn(range, "vd1"), "vd1")) {
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
                       AsLong(ReadColumn(OpenFirstRow(database, rs, countSql), "inum"), "inum")) {
            used = *count;
        }
        db_cleanup(engine, database, rs);
    }

    // An unreadable diary leaves no engine behind; the companion is still worth reading.
    lastPrescription = 0.0;
    if (!engine) {
        engine = CreateOwnEngine(ctx);
    }
    database = stockreads::OpenCompanion(engine, ctx.StripDbPath);
    std::string lastSql = "Select max(date) as vd FROM teststrips where amount >0";
    if (oneStrip) {
        lastSql += " AND Type=" + id;
    }
    if (const std::optional<double> vd =
            AsDate(ReadColumn(OpenFirstRow(database, rs, lastSql), "vd"), "vd")) {
        lastPrescription = *vd;
    }
    db_cleanup(engine, database, rs);
    rs.reset();
    database.reset();
    engine.reset();

    return stockreads::StockOf(received, used).value_or(stock);
}

}  // namespace stripstock
