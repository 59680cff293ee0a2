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
            group.day = OleDateOnly(dao::ToDate(vdate));
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
            LedgerEntry row;
            row.day = OleDateOnly(dao::ToDate(date));
            row.type = stockreads::WholeKey(rs->GetField("Type"));
            row.amount = dao::ToLong64(amount);
            out.ledger.push_back(row);
        }
        rs->Close();
    } catch (const dao::JetError& e) {
        // The consumption table's received figures come from the same rows: both stay empty.
        DebugLog(kWhere, sql + ": " + std::to_string(e.number()) + " " + e.what());
        out.ledger.clear();
    }
}

}  // namespace

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
