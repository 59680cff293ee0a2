// The one-pass refresh against the figures each definition gives when asked on its own, with
// plain SQL written here, on many random hosts.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cmath>
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "ConsumptionFixture.h"
#include "consumption/ComputeConsumption.h"
#include "consumption/ComputeStripStock.h"
#include "data/Dao.h"
#include "data/Schema.h"
#include "host/Context.h"
#include "strips/Catalogue.h"
#include "support/TempDir.h"
#include "text/OleDate.h"
#include "tools/HostSim.h"

namespace stripstock {

void PrintTo(const StockFigures& f, std::ostream* os) {
    *os << "{received " << f.received << ", used " << f.used << ", last " << f.lastPrescription
        << "}";
}

namespace test {
namespace {

constexpr int kHosts = 200;

std::string Num(double v) {
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", v);
    return text;
}

struct Host {
    Context ctx;
    double now = 0.0;
    std::vector<ListEntry> stripList;
};

// A host drawn from seed: meters shared between definitions, definitions without meters or
// with codes no reading has, prescriptions and faulty measurements (some on the first and
// last day of the period, at the current minute or just after it, some in the future),
// readings with a Null meter, with a time part or without a date.
// Empty databases made once through the engine, copied for every host: a host is then built
// without a single sync to disk.
struct Templates {
    explicit Templates(const TempDir& dir)
        : diary(dir / "template.vld"), companion(dir / "template.vlt") {
        Context ctx;
        ctx.engines = std::make_shared<dao::EngineFactory>();
        hostsim::CreateDiary(diary, "Erika", "Mustermann", hostsim::kDemoPassword);
        CreateCompanionDatabase(ctx, companion);
    }
    std::string diary;
    std::string companion;
};

Host MakeHost(const TempDir& dir, const Templates& templates, unsigned seed) {
    std::mt19937 rng(seed);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };

    Host h;
    h.ctx.engines = std::make_shared<dao::EngineFactory>();
    h.ctx.DbPassword = hostsim::kDemoPassword;
    h.ctx.DiaryDbPath = dir / ("h" + std::to_string(seed) + ".vld");
    h.ctx.StripDbPath = dir / ("h" + std::to_string(seed) + ".vlt");
    const double today = ToOleDate({2024, pick(1, 12), pick(1, 28), 0, 0, 0});
    h.now = today + (pick(0, 86399) / 86400.0);
    h.ctx.clock = [now = h.now] { return now; };
    const CivilDateTime nowCivil = FromOleDate(h.now);
    const double nowMinute =
        ToOleDate({nowCivil.year, nowCivil.month, nowCivil.day, nowCivil.hour, nowCivil.minute, 0});

    std::filesystem::copy_file(templates.diary, h.ctx.DiaryDbPath);
    std::filesystem::copy_file(templates.companion, h.ctx.StripDbPath);

    const std::vector<int> meters = {3, 7, 12, 15, 22};
    const int definitions = pick(0, 7);
    Sql companion(h.ctx.StripDbPath);
    companion.Exec("PRAGMA synchronous = OFF");
    companion.Exec("BEGIN");
    for (int s = 0; s < definitions; ++s) {
        std::string appliesTo;
        switch (pick(0, 5)) {
            case 0:
                break;  // no meters
            case 1:
                appliesTo = "|999|";  // a code no reading carries
                break;
            case 2:
                appliesTo = "|" + std::to_string(meters[pick(0, 4)]) + "||x|";  // not a list
                break;
            default:
                for (int k = pick(1, 3); k > 0; --k)
                    appliesTo += "|" + std::to_string(meters[pick(0, 4)]) + "|";
        }
        companion.Exec("INSERT INTO strips (Desc, AppliesTo) VALUES ('S" + std::to_string(s) +
                       "', '" + appliesTo + "')");
    }
    // Some hosts have no ledger at all.
    const int ledgerRows = pick(0, 4) == 0 ? 0 : pick(1, 30);
    const double first = today - pick(20, 400);
    double earliest = 1e9;
    for (int i = 0; i < ledgerRows; ++i) {
        double date = first + pick(0, static_cast<int>(today - first));
        switch (pick(0, 7)) {
            case 0:
                date = nowMinute;  // the end of the received period, included
                break;
            case 1:
                date = nowMinute + 30.0 / 86400.0;  // later in the current minute
                break;
            case 2:
                date = today + pick(1, 40);  // the future
                break;
            case 3:
                date = first + pick(0, 86399) / 86400.0;  // the first day, with a time
                break;
            default:
                break;
        }
        earliest = std::min(earliest, date);
        const bool faulty = pick(0, 3) == 0;
        const int type = faulty ? meters[pick(0, 4)] : pick(0, definitions + 1);
        const int amount = faulty ? -pick(1, 5) : 50 * pick(0, 3);
        companion.Exec("INSERT INTO teststrips (Date, Type, Amount) VALUES (" + Num(date) + ", " +
                       std::to_string(type) + ", " + std::to_string(amount) + ")");
    }
    companion.Exec("COMMIT");

    Sql diary(h.ctx.DiaryDbPath);
    diary.Exec("PRAGMA synchronous = OFF");
    diary.Exec("BEGIN");
    const double readingsFrom = first - pick(0, 60);
    for (int i = pick(0, 300); i > 0; --i) {
        double day = readingsFrom + pick(0, static_cast<int>(today - readingsFrom) + 3);
        std::string method = std::to_string(meters[pick(0, 4)]);
        switch (pick(0, 9)) {
            case 0:
                method = "NULL";
                break;
            case 1:
                day += pick(1, 86399) / 86400.0;  // a time part the host does not write
                break;
            case 2:
                day = ledgerRows > 0 ? std::floor(earliest) : today;  // the boundary days
                break;
            case 3:
                day = today;
                break;
            default:
                break;
        }
        const std::string vdate = pick(0, 40) == 0 ? "NULL" : Num(day);
        diary.Exec("INSERT INTO GLUCOSE (vdate, vtime, value, method) VALUES (" + vdate +
                   ", 0.5, 100, " + method + ")");
    }
    diary.Exec("COMMIT");

    h.stripList = LoadStripList(h.ctx, h.ctx.StripDbPath);
    // Entries the table may hold without a definition behind them.
    if (pick(0, 2) == 0) h.stripList.push_back({"Unbekannt", definitions + 5});
    if (pick(0, 4) == 0) h.stripList.push_back({"Null", 0});
    // A later refresh: the start was fixed by an earlier one.
    if (ledgerRows > 0 && pick(0, 3) == 0) h.ctx.CalcStartDate = std::floor(earliest) + pick(0, 10);
    return h;
}

// The meter codes of an AppliesTo text written as "|a||b|"; none when a part is no number.
std::vector<std::string> Codes(const std::string& appliesTo) {
    std::vector<std::string> codes;
    std::string part;
    for (const char c : appliesTo + "|") {
        if (c != '|') {
            part += c;
            continue;
        }
        if (part.empty()) continue;
        if (part.find_first_not_of("0123456789") != std::string::npos) return {};
        codes.push_back(part);
        part.clear();
    }
    return codes;
}

// Each definition asked on its own, as the rules say: the period starts at the earliest ledger
// date (unless already fixed), received counts to the current minute, readings to the start
// of the current day, both ends included.
struct Expected {
    double start = 0.0;
    StockFigures total;
    std::vector<std::optional<StockFigures>> strips;
};

Expected Independently(const Host& h, double fixedStart) {
    Sql companion(h.ctx.StripDbPath);
    Sql diary(h.ctx.DiaryDbPath);
    Expected e;
    e.start = fixedStart != 0.0 ? fixedStart
                                : companion.Real("SELECT min(Date) FROM teststrips").value_or(0.0);
    const CivilDateTime s = FromOleDate(e.start);
    const CivilDateTime n = FromOleDate(h.now);
    const std::string fromMinute = Num(ToOleDate({s.year, s.month, s.day, s.hour, s.minute, 0}));
    const std::string toMinute = Num(ToOleDate({n.year, n.month, n.day, n.hour, n.minute, 0}));
    const std::string received = " AND Date BETWEEN " + fromMinute + " AND " + toMinute;
    const std::string counted =
        e.start == 0.0 ? std::string()
                       : " AND vdate BETWEEN " + Num(ToOleDate({s.year, s.month, s.day, 0, 0, 0})) +
                             " AND " + Num(ToOleDate({n.year, n.month, n.day, 0, 0, 0}));

    e.total.received =
        companion.Whole("SELECT sum(Amount) FROM teststrips WHERE 1" + received).value_or(0);
    e.total.used = static_cast<std::int32_t>(
        *diary.Whole("SELECT count(vdate) FROM GLUCOSE WHERE 1" + counted));
    e.total.lastPrescription =
        companion.Real("SELECT max(Date) FROM teststrips WHERE Amount > 0").value_or(0.0);

    for (const ListEntry& entry : h.stripList) {
        const std::string id = std::to_string(entry.itemData);
        StockFigures f;
        f.received = companion
                         .Whole("SELECT sum(Amount) FROM teststrips WHERE Type = " + id +
                                " AND Amount > 0" + received)
                         .value_or(0);
        f.lastPrescription =
            companion.Real("SELECT max(Date) FROM teststrips WHERE Amount > 0 AND Type = " + id)
                .value_or(0.0);
        std::string appliesTo;
        {
            sqlite3* raw = nullptr;
            sqlite3_open_v2(h.ctx.StripDbPath.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr);
            sqlite3_stmt* st = nullptr;
            sqlite3_prepare_v2(raw, ("SELECT AppliesTo FROM strips WHERE ID = " + id).c_str(), -1,
                               &st, nullptr);
            if (sqlite3_step(st) == SQLITE_ROW && sqlite3_column_text(st, 0))
                appliesTo = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
            sqlite3_finalize(st);
            sqlite3_close(raw);
        }
        const std::vector<std::string> codes = Codes(appliesTo);
        if (!codes.empty()) {
            std::string in;
            for (const std::string& c : codes) in += (in.empty() ? "(" : ",") + c;
            in += ")";
            f.received += companion
                              .Whole(
                                  "SELECT sum(Amount) FROM teststrips WHERE Amount < 0 AND "
                                  "Type IN " +
                                  in + received)
                              .value_or(0);
            f.used = static_cast<std::int32_t>(
                *diary.Whole("SELECT count(vdate) FROM GLUCOSE WHERE method IN " + in + counted));
        }
        e.strips.emplace_back(f);
    }
    return e;
}

TEST(ConsumptionEquivalenceTest, onePassEqualsEachDefinitionAskedOnItsOwn) {
    const TempDir dir;
    const Templates templates(dir);
    int stripsCompared = 0;
    for (unsigned seed = 1; seed <= kHosts; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        Host h = MakeHost(dir, templates, seed);
        const double fixedStart = h.ctx.CalcStartDate;
        const Expected expected = Independently(h, fixedStart);

        const ConsumptionFigures got = ComputeConsumption(h.ctx, h.stripList);

        EXPECT_EQ(got.diaryFailure, "");
        EXPECT_EQ(h.ctx.CalcStartDate, expected.start);
        EXPECT_EQ(got.total, expected.total);
        EXPECT_EQ(got.strips, expected.strips);
        EXPECT_EQ(got.owner.DisplayName(), "Erika Mustermann");

        // The per-strip path of the same refresh gives the same figures.
        Context perStrip = h.ctx;
        perStrip.CalcStartDate = fixedStart;
        std::int16_t all = -1;
        StockFigures total;
        ComputeStripStock(perStrip, all, perStrip.CalcStartDate, total.lastPrescription,
                          total.used);
        EXPECT_EQ(total.used, got.total.used);
        EXPECT_EQ(total.lastPrescription, got.total.lastPrescription);
        for (std::size_t i = 0; i < h.stripList.size(); ++i) {
            auto type = static_cast<std::int16_t>(h.stripList[i].itemData);
            StockFigures one;
            const std::int32_t stock = ComputeStripStock(perStrip, type, perStrip.CalcStartDate,
                                                         one.lastPrescription, one.used);
            ASSERT_TRUE(got.strips[i].has_value());
            EXPECT_EQ(one.used, got.strips[i]->used);
            EXPECT_EQ(one.lastPrescription, got.strips[i]->lastPrescription);
            EXPECT_EQ(stock, got.strips[i]->Stock());
            ++stripsCompared;
        }
        if (HasFailure()) break;
        std::filesystem::remove(h.ctx.DiaryDbPath);
        std::filesystem::remove(h.ctx.StripDbPath);
    }
    // The hosts must reach the cases that matter.
    EXPECT_GT(stripsCompared, 3 * kHosts / 2);
}

}  // namespace
}  // namespace test
}  // namespace stripstock
