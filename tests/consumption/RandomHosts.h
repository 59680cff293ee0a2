#pragma once

// Random hosts for the tests that compare the one-pass figures with figures asked another way.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "ConsumptionFixture.h"
#include "data/Dao.h"
#include "host/Context.h"
#include "text/ListEntry.h"

namespace stripstock::test {

inline std::string Num(double v) {
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", v);
    return text;
}

struct Host {
    Context ctx;
    double now = 0.0;
    std::vector<ListEntry> stripList;
    std::map<std::int32_t, std::string> appliesTo;  // by definition ID
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

inline Host MakeHost(const TempDir& dir, const Templates& templates, unsigned seed) {
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
        std::string appliesTo;  // kind 0: no meters
        const int kind = pick(0, 5);
        if (kind == 1)
            appliesTo = "|999|";  // a code no reading carries
        else if (kind == 2)
            appliesTo = "|" + std::to_string(meters[pick(0, 4)]) + "||x|";  // not a list
        else if (kind > 2)
            for (int k = pick(1, 3); k > 0; --k)
                appliesTo += "|" + std::to_string(meters[pick(0, 4)]) + "|";
        h.appliesTo[s + 1] = appliesTo;
        companion.Exec("INSERT INTO strips (ID, Desc, AppliesTo) VALUES (" + std::to_string(s + 1) +
                       ", 'S" + std::to_string(s) + "', '" + appliesTo + "')");
    }
    // Some hosts have no ledger at all.
    const int ledgerRows = pick(0, 4) == 0 ? 0 : pick(1, 30);
    const double first = today - pick(20, 400);
    double earliest = 1e9;
    for (int i = 0; i < ledgerRows; ++i) {
        double date = first + pick(0, static_cast<int>(today - first));
        const int kind = pick(0, 7);
        if (kind == 0)
            date = nowMinute;  // the end of the received period, included
        else if (kind == 1)
            date = nowMinute + 30.0 / 86400.0;  // later in the current minute
        else if (kind == 2)
            date = today + pick(1, 40);  // the future
        else if (kind == 3)
            date = first + pick(0, 86399) / 86400.0;  // the first day, with a time
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
        const int kind = pick(0, 9);
        // No meter, or a value that is no meter code: a fraction, a text.
        const char* const odd[] = {"NULL", "NULL", "3.5", "'x'", "7.0"};
        if (kind == 0)
            method = odd[pick(0, 4)];
        else if (kind == 1)
            day += pick(1, 86399) / 86400.0;  // a time part the host does not write
        else if (kind == 2)
            day = ledgerRows > 0 ? std::floor(earliest) : today;  // the boundary days
        else if (kind == 3)
            day = today;
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

// Runs check on the hosts of the seeds 1..count, each in files of its own, until one fails.
template <typename Check>
void ForEachHost(unsigned count, Check check) {
    const TempDir dir;
    const Templates templates(dir);
    for (unsigned seed = 1; seed <= count && !::testing::Test::HasFailure(); ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        Host h = MakeHost(dir, templates, seed);
        check(h, seed);
        std::filesystem::remove(h.ctx.DiaryDbPath);
        std::filesystem::remove(h.ctx.StripDbPath);
    }
}

}  // namespace stripstock::test
