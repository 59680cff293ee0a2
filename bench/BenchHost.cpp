#include "BenchHost.h"

#include <sqlite3.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <stdexcept>

#include "data/Dao.h"
#include "data/Schema.h"
#include "host/Registry.h"
#include "host/RegistryBackend.h"
#include "strips/Catalogue.h"
#include "text/OleDate.h"
#include "tools/HostSim.h"

namespace stripstock::bench {

namespace fs = std::filesystem;

namespace {

constexpr int kMeters[] = {3, 7, 12, 15, 22, 30, 41, 58};
constexpr int kDays = 9090;  // close to 25 years

void Exec(sqlite3* db, const std::string& sql) {
    char* error = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string text = error ? error : "unknown error";
        sqlite3_free(error);
        throw std::runtime_error(sql + ": " + text);
    }
}

}  // namespace

fs::path BenchFolder() {
    static const fs::path dir = [] {
        std::string pattern = (fs::temp_directory_path() / "stripstock-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("no temporary folder");
        return fs::path(pattern);
    }();
    return dir;
}

void RemoveHosts() {
    const char* keep = std::getenv("STRIPSTOCK_BENCH_KEEP");
    if (keep && std::string(keep) == "1") {
        std::printf("Hosts kept in %s\n", BenchFolder().c_str());
        return;
    }
    std::error_code ignored;
    fs::remove_all(BenchFolder(), ignored);
}

void BuildCompanion(BenchHost& host, double first, double last) {
    Context& ctx = host.ctx;
    CreateCompanionDatabase(ctx, ctx.StripDbPath);
    sqlite3* db = nullptr;
    if (sqlite3_open(ctx.StripDbPath.c_str(), &db) != SQLITE_OK) {
        sqlite3_close(db);
        throw std::runtime_error("cannot open " + ctx.StripDbPath);
    }
    // Straight through SQLite in one transaction: the engine would sync every row.
    Exec(db, "BEGIN");
    const std::size_t meters = host.meters.size();
    for (int s = 0; s < kStrips; ++s) {
        std::string appliesTo;
        for (int k = 0; k < 1 + s % 3; ++k)
            appliesTo += "|" + std::to_string(host.meters[(s + 3 * k) % meters]) + "|";
        Exec(db, "INSERT INTO strips (Desc, AppliesTo) VALUES ('Streifen " + std::to_string(s + 1) +
                     "', '" + appliesTo + "')");
    }
    std::mt19937 rng(7);
    for (int i = 0; i < kLedgerRows; ++i) {
        const double date = first + std::floor(i * (last - first) / kLedgerRows);
        const bool faulty = i % 7 == 3;
        const long long type = faulty ? host.meters[rng() % meters] : 1 + rng() % kStrips;
        const long long amount = faulty ? -static_cast<long long>(1 + rng() % 3)
                                        : 50 * static_cast<long long>(1 + rng() % 2);
        Exec(db, "INSERT INTO teststrips (Date, Type, Amount) VALUES (" + std::to_string(date) +
                     "," + std::to_string(type) + "," + std::to_string(amount) + ")");
    }
    Exec(db, "COMMIT");
    sqlite3_close(db);
    host.stripList = LoadStripList(ctx, ctx.StripDbPath);
    if (host.stripList.size() != kStrips) throw std::runtime_error("strip list not loaded");
}

BenchHost& HeavyHost(int readings) {
    static std::map<int, std::unique_ptr<BenchHost>> hosts;
    auto& slot = hosts[readings];
    if (slot) return *slot;
    slot = std::make_unique<BenchHost>();
    BenchHost& h = *slot;
    h.dir = BenchFolder() / std::to_string(readings);
    fs::create_directories(h.dir);
    h.now = ToOleDate({2024, 6, 15, 12, 30, 0});
    h.meters.assign(std::begin(kMeters), std::end(kMeters));
    Context& ctx = h.ctx;
    ctx.engines = std::make_shared<dao::EngineFactory>();
    ctx.DbPassword = hostsim::kDemoPassword;
    ctx.clock = [now = h.now] { return now; };
    ctx.DiaryDbPath = (h.dir / "heavy.vld").string();
    ctx.StripDbPath = (h.dir / "HEAVY.VLT").string();

    const double today = OleDateOnly(h.now);
    const double first = today - (kDays - 1);
    hostsim::CreateDiary(ctx.DiaryDbPath, "Erika", "Mustermann", hostsim::kDemoPassword);
    const int perDay = readings / kDays;
    if (perDay > 0) hostsim::Generate(ctx.DiaryDbPath, first, today, perDay, h.meters, 42);
    const int rest = readings - perDay * kDays;
    if (rest > 0) hostsim::AddReadings(ctx.DiaryDbPath, kMeters[0], first, rest);
    BuildCompanion(h, first, today);

    // What the host writes: the diary it has open. Dated back, as a store the host wrote some
    // time ago: a file changed a moment ago is parsed anew on every read.
    const fs::path store = h.dir / "registry.reg";
    std::ofstream(store, std::ios::binary)
        << "Windows Registry Editor Version 5.00\r\n\r\n"
           "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Tarvenholme\\VELLIND4]\r\n"
           "\"DataBaseName\"=\""
        << ctx.DiaryDbPath << "\"\r\n\r\n";
    fs::last_write_time(store, fs::file_time_type::clock::now() - std::chrono::hours(1));
    return h;
}

Context StartupContext(const BenchHost& host) {
    Context ctx;
    ctx.registry =
        std::make_shared<Registry>(MakeFileRegistryBackend((host.dir / "registry.reg").string()));
    ctx.engines = std::make_shared<dao::EngineFactory>();
    ctx.programDir = host.dir.string();
    ctx.userDataDir = (host.dir / "user").string();
    ctx.pathSeparator = '/';
    ctx.clock = [now = host.now] { return now; };
    return ctx;
}

}  // namespace stripstock::bench
