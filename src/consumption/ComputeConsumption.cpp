#include "consumption/ComputeConsumption.h"

#include <charconv>
#include <cmath>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <set>
#include <unordered_map>
#include <utility>

#include "consumption/ComputeStripStock.h"
#include "consumption/StockReads.h"
#include "data/Dao.h"
#include "data/ScopedDatabase.h"
#include "strips/Catalogue.h"
#include "text/OleDate.h"
#include "text/TextHelpers.h"

namespace stripstock {

using stockreads::AsDate;
using stockreads::AsSum;
using stockreads::OpenFirstRow;
using stockreads::ReadColumn;
using stockreads::SumAmount;
using stockreads::WholeKey;

namespace {

constexpr const char* kWhere = "ComputeConsumption";

// The distinct codes of an IN list that IsMeterInList accepts; IN counts a repeated code once.
std::set<std::int64_t> CodesOf(const std::string& inList) {
    std::set<std::int64_t> codes;
    std::size_t pos = 1;
    while (pos < inList.size()) {
        std::size_t end = inList.find_first_of(",)", pos);
        if (end == std::string::npos) {
            end = inList.size();
        }
        std::int64_t code = 0;
        const auto [ptr, ec] = std::from_chars(inList.data() + pos, inList.data() + end, code);
        // A code beyond 64 bits can match no stored whole number.
        if (ec == std::errc() && ptr == inList.data() + end) {
            codes.insert(code);
        }
        pos = end + 1;
    }
    return codes;
}

// One aggregate per whole-numbered group, and the aggregates of all groups (Null and other
// keys included), from "SELECT key, aggregate ... GROUP BY key". Empty when the query fails.
struct Grouped {
    std::map<std::int64_t, dao::Value> byKey;
    std::vector<dao::Value> all;
    int error = 0;  // 0 when the query was read
    std::string errorText;
};

Grouped ReadGrouped(const std::shared_ptr<dao::Database>& database, const std::string& sql,
                    std::string_view keyColumn, std::string_view valueColumn) {
    Grouped out;
    if (!database) {
        out.error = dao::kErrObjectClosed;
        return out;
    }
    try {
        const std::shared_ptr<dao::Recordset> rs = database->OpenRecordset(sql, dao::dbOpenDynaset);
        for (; !rs->Eof(); rs->MoveNext()) {
            dao::Value value = rs->GetField(valueColumn);
            if (const std::optional<std::int64_t> key = WholeKey(rs->GetField(keyColumn))) {
                out.byKey.emplace(*key, value);
            }
            out.all.push_back(std::move(value));
        }
        rs->Close();
    } catch (const dao::JetError& e) {
        DebugLog(kWhere, sql + ": " + std::to_string(e.number()) + " " + e.what());
        out = Grouped{};
        out.error = e.number();
        out.errorText = e.what();
    }
    return out;
}

// Readings per whole-numbered meter and over all meters (Null and other values included), as
// "SELECT method, count(vdate) ... GROUP BY method" gives them. Counted here from one
// forward-only pass: SQLite would sort every reading to group them.
struct Counted {
    std::unordered_map<std::int64_t, std::int64_t> byMethod;
    std::int64_t all = 0;
    int error = 0;  // 0 when the readings were read
    std::string errorText;
};

// A meter (whole-numbered or none) on one day, for counting readings per both.
struct MeterDay {
    double day = 0.0;
    std::optional<std::int64_t> method;
    bool operator==(const MeterDay&) const = default;
};

struct MeterDayHash {
    std::size_t operator()(const MeterDay& key) const {
        const std::size_t day = std::hash<double>()(key.day);
        return key.method ? day ^ (std::hash<std::int64_t>()(*key.method) * 0x9E3779B97F4A7C15ULL)
                          : day;
    }
};

// where selects the readings counted; each has a date, as count(vdate) demands. With days the
// readings are also counted per meter and day, as "GROUP BY method, vdate" and ReadingDay
// would give them (the groups of one meter and day merged).
Counted CountReadings(const std::shared_ptr<dao::Database>& database, const std::string& where,
                      double today, std::vector<ReadingCount>* days) {
    Counted out;
    if (!database) {
        out.error = dao::kErrObjectClosed;
        return out;
    }
    const std::string sql =
        std::string("SELECT method") + (days ? ", vdate" : "") + " FROM GLUCOSE WHERE " + where;
    std::unordered_map<MeterDay, std::int64_t, MeterDayHash> perDay;
    try {
        const std::shared_ptr<dao::Recordset> rs =
            database->OpenRecordset(sql, dao::dbOpenForwardOnly);
        std::optional<dao::Value> lastDate;
        double lastDay = 0.0;
        for (; !rs->Eof(); rs->MoveNext()) {
            ++out.all;
            const std::optional<std::int64_t> method = WholeKey(rs->GetField("method"));
            if (method) {
                ++out.byMethod[*method];
            }
            if (days) {
                // Readings come day by day: the day of the date before is taken again.
                dao::Value vdate = rs->GetField("vdate");
                if (!lastDate || *lastDate != vdate) {
                    lastDay = ReadingDay(vdate, today);
                    lastDate = std::move(vdate);
                }
                ++perDay[MeterDay{lastDay, method}];
            }
        }
        rs->Close();
    } catch (const dao::JetError& e) {
        DebugLog(kWhere, sql + ": " + std::to_string(e.number()) + " " + e.what());
        out = Counted{};
        out.error = e.number();
        out.errorText = e.what();
        perDay.clear();
    }
    if (days) {
        days->clear();
        days->reserve(perDay.size());
        for (const auto& [key, count] : perDay) {
            days->push_back({key.day, key.method, count});
        }
    }
    return out;
}

// Sum of whole-number aggregates; nullopt when one is not a whole number or the sum overflows,
// so that the caller asks the exact question instead.
std::optional<std::int64_t> WholeSum(const std::vector<const dao::Value*>& parts) {
    std::int64_t sum = 0;
    for (const dao::Value* part : parts) {
        const auto* i = std::get_if<std::int64_t>(part);
        if (i == nullptr || __builtin_add_overflow(sum, *i, &sum)) {
            return std::nullopt;
        }
    }
    return sum;
}

std::int32_t AsCount(std::int64_t count) {
    // A count the 32-bit figure cannot hold is read as a failure, leaving 0.
    return count <= std::numeric_limits<std::int32_t>::max() ? static_cast<std::int32_t>(count) : 0;
}

// AppliesTo by strip ID, first row of each ID as "WHERE id=N" finds it.
std::map<std::int64_t, std::string> ReadAppliesTo(const std::shared_ptr<dao::Database>& database) {
    std::map<std::int64_t, std::string> byId;
    std::shared_ptr<dao::Recordset> rs;
    if (db_OpenRecordset(database, rs, "SELECT * FROM strips", dao::dbOpenDynaset) != 0 || !rs) {
        return byId;
    }
    try {
        for (; !rs->Eof(); rs->MoveNext()) {
            const std::optional<std::int64_t> id = WholeKey(rs->GetField("ID"));
            if (!id || byId.count(*id) != 0) {
                continue;
            }
            std::string appliesTo;
            try {
                appliesTo = dao::ToText(rs->GetField("appliesto"));
            } catch (const dao::JetError& e) {
                // An empty column gives an empty list, as for GetMeterInList.
                DebugLog(kWhere, e.what());
            }
            byId.emplace(*id, std::move(appliesTo));
        }
        rs->Close();
    } catch (const dao::JetError& e) {
        DebugLog(kWhere, std::string("strips: ") + e.what());
    }
    return byId;
}

}  // namespace

std::optional<std::int32_t> StockFigures::Stock() const {
    return stockreads::StockOf(received, used);
}

std::string DiaryFailureText(int errorNumber, const std::string& detail) {
    std::string reason;
    switch (errorNumber) {
        case kStatusEmptyPath:
            reason = "die Datei wurde nicht gefunden";
            break;
        case 75:
        case dao::kErrCannotOpenFile:
            reason = "die Datei kann nicht geöffnet werden";
            break;
        case dao::kErrFileLocked:
            reason = "die Datei ist von einem anderen Programm gesperrt";
            break;
        case dao::kErrUnrecognizedFormat:
            reason = "die Datei ist leer, beschädigt oder keine Datenbank";
            break;
        case dao::kErrNotValidPassword:
            reason = "das Kennwort ist falsch";
            break;
        case dao::kErrInputTableNotFound:
            reason = "die Tabelle GLUCOSE fehlt";
            break;
        case dao::kErrDiskIo:
            reason = "Lesefehler";
            break;
        default:
            reason = detail.empty() ? "unbekannter Fehler" : detail;
            break;
    }
    return "Das Tagebuch konnte nicht gelesen werden: " + reason + " (Fehler " +
           std::to_string(errorNumber) + ")";
}

ConsumptionFigures ComputeConsumption(Context& ctx, const std::vector<ListEntry>& stripList,
                                      const AlsoRead& alsoRead, bool byDay) {
    ConsumptionFigures out;
    double& startDate = ctx.CalcStartDate;
    const double now = ctx.clock ? ctx.clock() : 0.0;

    std::shared_ptr<dao::DBEngine> engine = CreateOwnEngine(ctx);
    std::shared_ptr<dao::Database> companion = stockreads::OpenCompanion(engine, ctx.StripDbPath);
    std::shared_ptr<dao::Recordset> rs;

    // The diary: opened once, read-only; its readings are counted per meter for a period start.
    // Through a session of its own, so that the shared one stays free for the meter lists.
    SessionObjects diarySession;
    const ScopedDatabase diaryDb =
        ScopedDatabase::ThroughSession(ctx, diarySession, ctx.DiaryDbPath, true, kWhere);
    const std::shared_ptr<dao::Database>& diary = diarySession.Db;
    const int diaryStatus = diaryDb.status();
    if (diaryStatus != 0) {
        out.diaryFailure = DiaryFailureText(diaryStatus, {});
    }
    // The start can only change while it is zero, so at most two periods are ever asked for.
    std::map<double, Counted> readings;
    std::map<double, std::vector<ReadingCount>> days;
    auto readingsFrom = [&](double start) -> const Counted& {
        auto it = readings.find(start);
        if (it == readings.end()) {
            const std::string where =
                start != 0.0 ? "vdate between " + SqlDate(start) + " AND " + SqlDate(now)
                             : "vdate Is Not Null";
            it = readings
                     .emplace(start, CountReadings(diary, where, OleDateOnly(now),
                                                   byDay ? &days[start] : nullptr))
                     .first;
            if (diaryStatus == 0 && it->second.error != 0 && out.diaryFailure.empty()) {
                out.diaryFailure = DiaryFailureText(it->second.error, it->second.errorText);
            }
        }
        return it->second;
    };
    auto countOf = [&](const Counted& counts, const std::set<std::int64_t>* codes) {
        if (codes == nullptr) {
            return AsCount(counts.all);
        }
        std::int64_t sum = 0;
        for (const std::int64_t code : *codes) {
            if (const auto it = counts.byMethod.find(code); it != counts.byMethod.end()) {
                sum += it->second;
            }
        }
        return AsCount(sum);
    };

    // The ledger's received amounts per Type, for a period start.
    const std::string periodEnd = SqlDateTime(now);
    auto period = [&](double start) {
        return " date between " + SqlDateTime(start) + " AND " + periodEnd;
    };
    std::map<std::pair<double, bool>, Grouped> sums;
    auto sumsFrom = [&](double start, bool prescriptions) -> const Grouped& {
        const auto key = std::make_pair(start, prescriptions);
        auto it = sums.find(key);
        if (it == sums.end()) {
            const std::string sql = std::string(
                                        "Select Type, sum(amount) as iNum FROM teststrips "
                                        "WHERE amount ") +
                                    (prescriptions ? ">0" : "<0") + " and" + period(start) +
                                    " group by Type";
            it = sums.emplace(key, ReadGrouped(companion, sql, "Type", "iNum")).first;
        }
        return it->second;
    };
    // The summed Amount of the groups of these types; where the groups cannot give it exactly
    // (a failed read, a fraction, an overflow) the per-strip query answers instead.
    auto received = [&](const Grouped& groups, const std::set<std::int64_t>& types,
                        const std::string& exactSql) -> std::int64_t {
        if (groups.error == 0) {
            std::vector<const dao::Value*> parts;
            for (const std::int64_t type : types) {
                if (const auto it = groups.byKey.find(type); it != groups.byKey.end()) {
                    parts.push_back(&it->second);
                }
            }
            if (const std::optional<std::int64_t> sum = WholeSum(parts)) {
                return *sum;
            }
        }
        return SumAmount(companion, rs, exactSql);
    };

    // The total, with the per-strip path's own queries.
    bool datedRows = true;  // false once the ledger is known to hold no date at all
    if (const auto range = OpenFirstRow(
            companion, rs, "Select min(date) as vd1, max(date) as vd2 FROM teststrips ")) {
        const std::optional<dao::Value> vd1 = ReadColumn(range, "vd1");
        datedRows = vd1.has_value();
        if (startDate == 0.0) {
            if (const std::optional<double> date = AsDate(vd1, "vd1")) {
                startDate = *date;
            }
        }
    }
    out.total.received = SumAmount(
        companion, rs, "Select sum(amount) as iNum FROM teststrips WHERE " + period(startDate));
    out.total.used = countOf(readingsFrom(startDate), nullptr);
    out.total.lastPrescription =
        AsDate(ReadColumn(OpenFirstRow(companion, rs,
                                       "Select max(date) as vd FROM teststrips where amount >0"),
                          "vd"),
               "vd")
            .value_or(0.0);

    // Meter lists and latest prescriptions of every strip at once.
    std::map<std::int64_t, std::string> appliesTo;
    if (companion) {
        appliesTo = ReadAppliesTo(companion);
    } else {
        // A companion the plain open refuses may still give its meter lists to the session's
        // open, as GetMeterInList would.
        const ScopedDatabase session =
            ScopedDatabase::ThroughSession(ctx, ctx.StripDbPath, true, kWhere);
        if (session) {
            appliesTo = ReadAppliesTo(ctx.session.Db);
        }
    }
    const Grouped latest = ReadGrouped(
        companion, "Select Type, max(date) as vd FROM teststrips where amount >0 group by Type",
        "Type", "vd");

    out.strips.reserve(stripList.size());
    out.meterCodes.reserve(stripList.size());
    for (const ListEntry& entry : stripList) {
        // Past 16 bits it names no strip type.
        if (entry.itemData < std::numeric_limits<std::int16_t>::min() ||
            entry.itemData > std::numeric_limits<std::int16_t>::max()) {
            DebugLog(kWhere, "strip id out of range: " + std::to_string(entry.itemData));
            out.strips.emplace_back(std::nullopt);
            out.meterCodes.emplace_back();
            continue;
        }
        StockFigures figures;
        if (entry.itemData < 0) {
            // A negative identifier means all strips, exactly as for the total.
            figures.received =
                SumAmount(companion, rs,
                          "Select sum(amount) as iNum FROM teststrips WHERE " + period(startDate));
            figures.used = countOf(readingsFrom(startDate), nullptr);
            figures.lastPrescription = out.total.lastPrescription;
            out.strips.emplace_back(figures);
            out.meterCodes.emplace_back();
            continue;
        }
        const std::int64_t id = entry.itemData;
        const std::string idText = std::to_string(id);
        const auto found = appliesTo.find(id);
        const std::string meterList = MeterInListOf(found != appliesTo.end() ? found->second : "");
        const bool hasMeters = IsMeterInList(meterList);
        const std::set<std::int64_t> codes =
            hasMeters ? CodesOf(meterList) : std::set<std::int64_t>{};

        // Only while no start is known can a strip's own rows fix it.
        if (startDate == 0.0 && datedRows) {
            const std::string rows = hasMeters ? "(Type=" + idText +
                                                     " and amount >0) or (amount <0 and Type IN " +
                                                     meterList + ")"
                                               : "Type=" + idText + " and amount >0";
            if (const std::optional<double> vd1 =
                    AsDate(ReadColumn(OpenFirstRow(companion, rs,
                                                   "Select min(date) as vd1, max(date) as vd2 FROM "
                                                   "teststrips WHERE " +
                                                       rows),
                                      "vd1"),
                           "vd1")) {
                startDate = *vd1;
            }
        }

        figures.received =
            received(sumsFrom(startDate, true), {id},
                     "Select sum(amount) as iNum FROM teststrips WHERE  Type=" + idText +
                         " and amount >0 and" + period(startDate));
        if (hasMeters) {
            figures.received += received(
                sumsFrom(startDate, false), codes,
                "Select sum(amount) as iNum FROM teststrips WHERE  amount <0 and Type IN " +
                    meterList + " and" + period(startDate));
            figures.used = countOf(readingsFrom(startDate), &codes);
        }
        if (latest.error == 0) {
            if (const auto it = latest.byKey.find(id);
                it != latest.byKey.end() && !dao::IsNull(it->second)) {
                figures.lastPrescription = AsDate(it->second, "vd").value_or(0.0);
            }
        } else {
            figures.lastPrescription =
                AsDate(ReadColumn(OpenFirstRow(companion, rs,
                                               "Select max(date) as vd FROM teststrips where "
                                               "amount >0 AND Type=" +
                                                   idText),
                                  "vd"),
                       "vd")
                    .value_or(0.0);
        }
        out.strips.emplace_back(figures);
        out.meterCodes.push_back(codes);
    }

    if (diary) {
        ReadPatient(diary, out.owner);
    }
    if (byDay) {
        // The period's final start; read now if no figure above needed it.
        readingsFrom(startDate);
        out.readingsByDay = std::move(days[startDate]);
    }
    if (alsoRead) {
        alsoRead(diary, companion, out);
    }
    db_cleanup(engine, companion, rs);
    return out;
}

}  // namespace stripstock
