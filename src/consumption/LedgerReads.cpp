#include "consumption/LedgerReads.h"

#include <limits>
#include <utility>

#include "consumption/ComputeConsumption.h"
#include "consumption/StockReads.h"
#include "data/Session.h"
#include "text/OleDate.h"
#include "text/TextHelpers.h"

namespace stripstock {

namespace {

constexpr const char* kWhere = "LedgerReads";

void ReadReadings(const std::shared_ptr<dao::Database>& diary, double start, double now,
                  LedgerReads& out) {
    if (!diary) return;
    std::string sql = "SELECT method, vdate, count(vdate) as inum FROM GLUCOSE";
    if (start != 0.0) {
        sql += " WHERE vdate between " + SqlDate(start) + " AND " + SqlDate(now);
    }
    sql += " GROUP BY method, vdate";
    try {
        const std::shared_ptr<dao::Recordset> rs = diary->OpenRecordset(sql, dao::dbOpenDynaset);
        for (; !rs->Eof(); rs->MoveNext()) {
            const dao::Value vdate = rs->GetField("vdate");
            if (dao::IsNull(vdate)) continue;  // counted by no count(vdate)
            ReadingCount group;
            group.day = ReadingDay(vdate, out.today);
            group.method = stockreads::WholeKey(rs->GetField("method"));
            group.count = dao::ToLong64(rs->GetField("inum"));
            out.readings.push_back(group);
        }
        rs->Close();
    } catch (const dao::JetError& e) {
        DebugLog(kWhere, sql + ": " + std::to_string(e.number()) + " " + e.what());
        out.readings.clear();
        out.diaryFailure = DiaryFailureText(e.number(), e.what());
    }
}

void ReadLedger(const std::shared_ptr<dao::Database>& companion, double start, double now,
                LedgerReads& out) {
    if (!companion) return;
    const std::string sql = "SELECT Type, date, amount FROM teststrips WHERE date between " +
                            SqlDateTime(start) + " AND " + SqlDateTime(now);
    try {
        const std::shared_ptr<dao::Recordset> rs =
            companion->OpenRecordset(sql, dao::dbOpenDynaset);
        for (; !rs->Eof(); rs->MoveNext()) {
            const dao::Value amount = rs->GetField("amount");
            const dao::Value date = rs->GetField("date");
            // sum() passes over a Null amount; between never finds a Null date.
            if (dao::IsNull(amount) || dao::IsNull(date)) continue;
            // between finds numbers only; an amount that is no whole number adds nothing here.
            const std::optional<double> day = stockreads::AsDate(date, "date");
            const std::optional<std::int64_t> whole = stockreads::AsSum(amount, "amount");
            if (!day || !whole) continue;
            out.ledger.push_back(
                {OleDateOnly(*day), stockreads::WholeKey(rs->GetField("Type")), *whole});
        }
        rs->Close();
    } catch (const dao::JetError& e) {
        // The consumption table's received figures come from the same rows: both stay empty.
        DebugLog(kWhere, sql + ": " + std::to_string(e.number()) + " " + e.what());
        out.ledger.clear();
    }
}

}  // namespace

double ReadingDay(const dao::Value& vdate, double today) {
    try {
        const double day = dao::ToDate(vdate);
        if (IsOleDateInRange(day)) return OleDateOnly(day);
    } catch (const dao::JetError& e) {
        DebugLog(kWhere, std::string("vdate: ") + e.what());
    }
    return today;
}

LedgerReads ReadLedgerAndReadings(const Context& ctx, const std::shared_ptr<dao::Database>& diary,
                                  const std::shared_ptr<dao::Database>& companion,
                                  std::optional<std::vector<ReadingCount>> readings) {
    LedgerReads out;
    const double start = ctx.CalcStartDate;
    const double now = ctx.clock ? ctx.clock() : 0.0;
    out.today = OleDateOnly(now);
    out.periodStartDay =
        start != 0.0 ? OleDateOnly(start) : -std::numeric_limits<double>::infinity();
    if (readings) {
        out.readings = std::move(*readings);
    } else {
        ReadReadings(diary, start, now, out);
    }
    ReadLedger(companion, start, now, out);
    return out;
}

}  // namespace stripstock
