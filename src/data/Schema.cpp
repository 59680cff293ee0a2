#include "data/Schema.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <random>
#include <vector>

#include "data/Failure.h"
#include "data/ScopedDatabase.h"
#include "data/Session.h"
#include "text/CaseFold.h"
#include "text/TextHelpers.h"

#ifndef _WIN32
#include <signal.h>
#include <unistd.h>
#endif

namespace stripstock {

namespace {

dao::Field TextField(const dao::TableDef& td, const char* name, int size) {
    dao::Field f = td.CreateField(name, dao::dbText, size);
    f.Attributes = dao::dbFixedField;
    f.DefaultValue = dao::Value(std::string());
    f.Required = false;
    return f;
}

dao::Field IdField(const dao::TableDef& td) {
    dao::Field f = td.CreateField("ID", dao::dbLong);
    f.Attributes = dao::dbAutoIncrField;
    f.OrdinalPosition = 0;
    return f;
}

void AppendTeststripsTable(dao::Database& db) {
    dao::TableDef td = db.CreateTableDef("teststrips");
    td.Attributes = 0;
    td.Connect.clear();
    td.SourceTableName.clear();
    td.ValidationRule.clear();
    td.ValidationText.clear();

    td.AppendField(IdField(td));

    dao::Field date = td.CreateField("Date", dao::dbDate);
    date.Attributes = dao::dbFixedField;
    date.Required = true;
    td.AppendField(date);

    for (const char* name : {"Type", "Amount"}) {
        dao::Field f = td.CreateField(name, dao::dbInteger);
        f.DefaultValue = dao::Value(std::int64_t{0});
        td.AppendField(f);
    }
    td.AppendField(TextField(td, "Compatibility", 30));
    td.AppendField(TextField(td, "Comments", 255));
    db.AppendTableDef(td);
}

// Moves the finished file into place unless something has appeared at the target meanwhile.
bool MoveIntoPlace(const std::filesystem::path& from, const std::filesystem::path& to) {
    std::error_code ec;
    std::filesystem::create_hard_link(from, to, ec);
    if (!ec) {
        std::filesystem::remove(from, ec);
        return true;
    }
    if (std::filesystem::exists(std::filesystem::symlink_status(to, ec))) return false;
    // No hard links on this file system: a plain rename, after the check just made.
    std::filesystem::rename(from, to, ec);
    return !ec;
}

#ifdef _WIN32
long CurrentProcessId() { return 0; }
bool ProcessIsGone(long) { return false; }
#else
long CurrentProcessId() { return static_cast<long>(::getpid()); }
// Only a process that surely no longer exists has left its file for good.
bool ProcessIsGone(long pid) {
    return pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}
#endif

constexpr std::string_view kBuildSuffix = ".new";

// The process that builds "<companion>.new<pid>-<random>", or 0 for the older names
// "<companion>.new<digits>" that carry none; nullopt for a name that is not ours.
std::optional<long> BuilderOf(const std::string& name, const std::string& companion) {
    if (name.size() <= companion.size() + kBuildSuffix.size() ||
        name.compare(0, companion.size(), companion) != 0 ||
        name.compare(companion.size(), kBuildSuffix.size(), kBuildSuffix) != 0) {
        return std::nullopt;
    }
    std::string rest = name.substr(companion.size() + kBuildSuffix.size());
    if (rest.size() > 8 && rest.compare(rest.size() - 8, 8, "-journal") == 0)
        rest.resize(rest.size() - 8);
    const std::size_t dash = rest.find('-');
    const std::string pid = rest.substr(0, dash);
    if (pid.empty() || pid.size() > 9 ||
        !std::all_of(pid.begin(), pid.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    if (dash == std::string::npos) return 0;
    const std::string tag = rest.substr(dash + 1);
    if (tag.empty() || !std::all_of(tag.begin(), tag.end(), [](char c) {
            return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
        }))
        return std::nullopt;
    return std::stol(pid);
}

// Half-made companions of builders that were killed: they would only pile up.
void RemoveStaleBuilds(const std::filesystem::path& companion) {
    namespace fs = std::filesystem;
    const std::string name = companion.filename().string();
    std::error_code ec;
    fs::directory_iterator it(companion.has_parent_path() ? companion.parent_path() : fs::path("."),
                              ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        const auto builder = BuilderOf(it->path().filename().string(), name);
        if (!builder || (*builder != 0 && !ProcessIsGone(*builder))) continue;
        std::error_code removeEc;
        fs::remove(it->path(), removeEc);
    }
}

std::optional<std::string> TableIn(const std::vector<std::string>& tables, const char* wanted) {
    for (const std::string& t : tables) {
        if (UCase(t) == UCase(wanted)) return t;
    }
    return std::nullopt;
}

}  // namespace

void AppendStripsTable(dao::Database& db) {
    dao::TableDef td = db.CreateTableDef("strips");
    td.AppendField(IdField(td));
    for (const char* name : {"Desc", "Manufacturer", "PZN", "AppliesTo"})
        td.AppendField(TextField(td, name, 255));
    db.AppendTableDef(td);
}

void CreateCompanionDatabase(Context& ctx, const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (path.empty()) return;
    // Built under a name of its own ("<file>.new<pid>-<random>") and moved into place when
    // complete: a failure leaves no half-made companion file behind, and the next start tries
    // again. What killed builders left is removed on every start, also when another builder
    // won the race; a name in use is passed over.
    RemoveStaleBuilds(Utf8Path(path));
    if (fs::exists(fs::symlink_status(Utf8Path(path), ec))) return;
    const std::shared_ptr<dao::DBEngine> engine = CreateOwnEngine(ctx);
    if (!engine) return;

    std::random_device seed;
    std::mt19937_64 random(seed());
    std::string temp;
    auto createFresh = [&] {
        for (;;) {
            char tag[17];
            std::snprintf(tag, sizeof tag, "%016llx", static_cast<unsigned long long>(random()));
            temp =
                path + std::string(kBuildSuffix) + std::to_string(CurrentProcessId()) + "-" + tag;
            auto created = ScopedDatabase::Create(engine, temp, "CreateCompanionDatabase");
            if (created || created.status() != dao::kErrDatabaseExists) return created;
        }
    };
    ScopedDatabase db = createFresh();
    if (!db) return;

    bool complete = false;
    try {
        AppendTeststripsTable(db.database());
        AppendStripsTable(db.database());
        complete = true;
    } catch (const dao::JetError& e) {
        DebugLog("CreateCompanionDatabase", e.what());
    }
    db.Close();
    if (!complete || !MoveIntoPlace(Utf8Path(temp), Utf8Path(path))) fs::remove(Utf8Path(temp), ec);
}

}  // namespace stripstock

namespace stripstock {

std::string EnsureCompanionTables(Context& ctx) {
    const std::shared_ptr<dao::DBEngine> engine = CreateOwnEngine(ctx);
    if (!engine) return "keine Datenbank-Engine verfügbar";
    std::shared_ptr<dao::Database> db;
    std::string cause;
    try {
        db = engine->OpenDatabase(ctx.StripDbPath, false, false);
        const std::vector<std::string> tables = db->TableNames();
        const bool hasLedger = TableIn(tables, "teststrips").has_value();
        const bool hasStrips = TableIn(tables, "strips").has_value();
        if (!hasLedger && !hasStrips && !tables.empty()) {
            // Somebody else's database: never changed.
            cause = "die Datei enthält andere Tabellen, nicht \"teststrips\" und \"strips\"";
        } else {
            if (!hasLedger) AppendTeststripsTable(*db);
            if (!hasStrips) AppendStripsTable(*db);
        }
    } catch (const dao::JetError& e) {
        cause = DescribeJetError(e);
    }
    if (db) {
        try {
            db->Close();
        } catch (const dao::JetError& e) {
            DebugLog("EnsureCompanionTables", e.what());
        }
    }
    if (!cause.empty()) DebugLog("EnsureCompanionTables", ctx.StripDbPath + ": " + cause);
    return cause;
}

std::string CompanionProblem(Context& ctx) {
    const std::shared_ptr<dao::DBEngine> engine = CreateOwnEngine(ctx);
    if (!engine) return "keine Datenbank-Engine verfügbar";
    std::string cause;
    try {
        // As the shared session opens it: a diary that is its own companion has a password.
        const std::shared_ptr<dao::Database> db = engine->OpenDatabase(
            ctx.StripDbPath, false, true,
            "MS Access;pwd=" +
                (ctx.DbPassword.empty() ? std::string(kBuiltInPassword) : ctx.DbPassword));
        const std::vector<std::string> tables = db->TableNames();
        for (const char* wanted : {"teststrips", "strips"}) {
            if (!TableIn(tables, wanted)) {
                cause = std::string("die Tabelle \"") + wanted + "\" fehlt";
                break;
            }
        }
        db->Close();
    } catch (const dao::JetError& e) {
        cause = DescribeJetError(e);
    }
    return cause;
}

}  // namespace stripstock
