#include "data/Schema.h"

#include <filesystem>

#include "data/ScopedDatabase.h"
#include "data/Session.h"
#include "text/TextHelpers.h"

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
    if (path.empty() || fs::exists(fs::symlink_status(Utf8Path(path), ec))) return;
    const std::shared_ptr<dao::DBEngine> engine = CreateOwnEngine(ctx);
    if (!engine) return;

    // Built under a name of its own and moved into place when complete: a failure leaves
    // no half-made companion file behind, and the next start tries again.
    std::string temp;
    auto createFresh = [&] {
        for (int attempt = 0;; ++attempt) {
            temp = path + ".new" + std::to_string(attempt);
            auto created = ScopedDatabase::Create(engine, temp, "CreateCompanionDatabase");
            if (created || created.status() != dao::kErrDatabaseExists || attempt == 99)
                return created;
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
