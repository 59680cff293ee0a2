// Writers in parallel, each killed at a random moment: the command-line twin adding ledger
// rows (and "LastMeter") and the host simulator registering modules, both on one registry
// store and one companion database created by whichever writer comes first. Afterwards the
// store parses with every value a writer reported, the companion passes SQLite's integrity
// check, one more write leaves no temporary file of ours, and every command that reported
// success has its row. Runs for STRIPSTOCK_STRESS_SECONDS (default 50).
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <vector>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "host/FileRegistryBackend.h"
#include "host/Registry.h"
#include "support/Files.h"
#include "support/TempDir.h"
#include "tools/HostSim.h"

namespace fs = std::filesystem;
using namespace stripstock;

namespace {

struct Writer {
    pid_t pid = 0;
    bool isLedger = true;
    int number = 0;
    std::chrono::steady_clock::time_point killAt;
    bool willKill = false;
};

pid_t Spawn(const std::vector<std::string>& args, const std::string& registry) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::setenv("STRIPSTOCK_REGISTRY", registry.c_str(), 1);
        std::vector<char*> argv;
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        // Quiet children: their messages are expected and not part of the outcome.
        if (std::freopen("/dev/null", "w", stdout) == nullptr ||
            std::freopen("/dev/null", "w", stderr) == nullptr)
            ::_exit(126);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    return pid;
}

// The ledger row of writer n: a day of its own and an amount derived from it.
struct DayOfWriter {
    int day, month, year;
};
DayOfWriter DayOf(int n) { return {1 + n % 28, 1 + (n / 28) % 12, 2000 + n / (28 * 12)}; }
std::string DateOf(int n) {
    const DayOfWriter d = DayOf(n);
    return std::to_string(d.day) + "." + std::to_string(d.month) + "." + std::to_string(d.year);
}
int AmountOf(int n) { return 1 + n % 997; }

std::set<std::pair<long long, int>> LedgerRows(const fs::path& companion, std::string& check) {
    std::set<std::pair<long long, int>> rows;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(companion.string().c_str(), &db, SQLITE_OPEN_READONLY, nullptr) !=
        SQLITE_OK) {
        check = "cannot open";
        sqlite3_close(db);
        return rows;
    }
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &st, nullptr);
    check = sqlite3_step(st) == SQLITE_ROW
                ? reinterpret_cast<const char*>(sqlite3_column_text(st, 0))
                : "no answer";
    sqlite3_finalize(st);
    sqlite3_prepare_v2(db, "SELECT Date, Amount FROM teststrips", -1, &st, nullptr);
    while (sqlite3_step(st) == SQLITE_ROW)
        rows.insert(
            {static_cast<long long>(sqlite3_column_double(st, 0)), sqlite3_column_int(st, 1)});
    sqlite3_finalize(st);
    sqlite3_close(db);
    return rows;
}

TEST(KillTest, writersKilledAtRandomLoseNothingTheyReported) {
    test::TempDir dir;
    const fs::path program = dir.path() / "program";
    fs::create_directories(program);
    const std::string registryPath = (dir.path() / "registry.reg").string();
    auto registry = std::make_shared<Registry>(MakeFileRegistryBackend(registryPath));
    hostsim::InitOptions options;
    options.diaryPath = (dir.path() / "meier.vld").string();
    hostsim::InitHost(*registry, options);
    const fs::path companion = program / "MEIER.VLT";

    const char* seconds = std::getenv("STRIPSTOCK_STRESS_SECONDS");
    const auto budget = std::chrono::seconds(seconds ? std::atoi(seconds) : 50);
    const auto end = std::chrono::steady_clock::now() + budget;
    std::mt19937 random(12);

    std::vector<Writer> running;
    std::vector<int> ledgerDone;
    std::vector<int> modulesDone;
    int rounds = 0;
    int kills = 0;
    int next = 0;
    constexpr std::size_t kParallel = 6;

    while (std::chrono::steady_clock::now() < end || !running.empty()) {
        while (running.size() < kParallel && std::chrono::steady_clock::now() < end) {
            Writer w;
            w.number = next++;
            w.isLedger = random() % 2 == 0;
            if (w.isLedger) {
                w.pid = Spawn(
                    {STRIPSTOCK_CLI, "--program-dir", program.string(), "new-prescription",
                     "--amount", std::to_string(AmountOf(w.number)), "--date", DateOf(w.number)},
                    registryPath);
            } else {
                w.pid =
                    Spawn({STRIPSTOCK_HOST, "module", "M" + std::to_string(w.number), "--type", "0",
                           "--parameter", "a|b|c|25", "--desc", "D" + std::to_string(w.number)},
                          registryPath);
            }
            w.willKill = random() % 3 != 0;
            w.killAt =
                std::chrono::steady_clock::now() + std::chrono::microseconds(random() % 40000);
            running.push_back(w);
            ++rounds;
        }
        for (auto it = running.begin(); it != running.end();) {
            if (it->willKill && std::chrono::steady_clock::now() >= it->killAt) {
                ::kill(it->pid, SIGKILL);
                it->willKill = false;
            }
            int status = 0;
            if (::waitpid(it->pid, &status, WNOHANG) == it->pid) {
                if (WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) ++kills;
                if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
                    (it->isLedger ? ledgerDone : modulesDone).push_back(it->number);
                it = running.erase(it);
            } else {
                ++it;
            }
        }
        ::usleep(500);
    }

    // One more write of each kind, run to its end, clears what the killed writers left: a ledger
    // entry never touches the registry store, so its temporaries wait for the next store write.
    for (const auto& args : std::vector<std::vector<std::string>>{
             {STRIPSTOCK_CLI, "--program-dir", program.string(), "new-prescription", "--amount",
              "1", "--date", "1.1.1990"},
             {STRIPSTOCK_HOST, "module", "MLAST", "--type", "0", "--parameter", "a|b|c|25",
              "--desc", "DLAST"}}) {
        const pid_t last = Spawn(args, registryPath);
        int status = 0;
        ::waitpid(last, &status, 0);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }

    FileRegistryBackend store(registryPath);
    EXPECT_EQ(store.StoreProblem(), "");
    int lost = 0;
    for (const int n : modulesDone) {
        std::string desc;
        const std::string key =
            hostsim::HostRegKeyFor("VELLIND4") + "\\MODULES\\M" + std::to_string(n);
        if (!registry->RegReadValue(kHkeyLocalMachine, key, "desc", desc) ||
            desc != "D" + std::to_string(n))
            ++lost;
    }
    std::string check;
    const auto rows = LedgerRows(companion, check);
    EXPECT_EQ(check, "ok");
    for (const int n : ledgerDone) {
        const DayOfWriter d = DayOf(n);
        const auto ole = static_cast<long long>(test::Day(d.year, d.month, d.day));
        if (rows.count({ole, AmountOf(n)}) == 0) ++lost;
    }
    std::vector<std::string> leftovers;
    for (const auto& entry : fs::directory_iterator(program))
        if (entry.path().filename() != "MEIER.VLT")
            leftovers.push_back(entry.path().filename().string());
    for (const auto& entry : fs::directory_iterator(dir.path())) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("registry.reg.tmp-", 0) == 0) leftovers.push_back(name);
    }
    EXPECT_TRUE(leftovers.empty()) << leftovers.front();
    EXPECT_EQ(lost, 0);

    std::printf(
        "kill test: %d rounds, %d kills, %zu ledger rows and %zu modules reported, %d lost\n",
        rounds, kills, ledgerDone.size(), modulesDone.size(), lost);
    RecordProperty("rounds", rounds);
    RecordProperty("kills", kills);
    RecordProperty("lost", lost);
}

}  // namespace
