// Feeds arbitrary text to the Jet SQL translation and to a read-only database: every input
// must end in a result or a JetError, never in a crash, a hang or a changed file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include <unistd.h>

#include "data/Dao.h"

namespace {

using namespace stripstock::dao;

// A small companion-like database, built once per process in the temporary folder.
std::shared_ptr<Database> FixtureDatabase() {
    static std::shared_ptr<Database> db = [] {
        const auto path = std::filesystem::temp_directory_path() /
                          ("stripstock-fuzz-" + std::to_string(::getpid()) + ".db");
        std::filesystem::remove(path);
        EngineFactory engines;
        auto engine = engines.Create("DAO.DBEngine.36");
        {
            auto created = engine->CreateDatabase(path.string(), dbLangGeneral, dbVersion30);
            TableDef t = created->CreateTableDef("teststrips");
            Field id = t.CreateField("ID", dbLong);
            id.Attributes = dbAutoIncrField;
            t.AppendField(id);
            Field date = t.CreateField("Date", dbDate);
            date.Required = true;
            t.AppendField(date);
            t.AppendField(t.CreateField("Type", dbInteger));
            t.AppendField(t.CreateField("Amount", dbInteger));
            t.AppendField(t.CreateField("Comments", dbText, 255));
            created->AppendTableDef(t);
            auto rs = created->OpenRecordset("teststrips", dbOpenDynaset);
            for (int i = 0; i < 20; ++i) {
                rs->AddNew();
                rs->SetField("Date", Value(40179.0 + i));
                rs->SetField("Type", Value(std::int64_t{i % 4}));
                rs->SetField("Amount", Value(std::int64_t{i - 5}));
                rs->SetField("Comments", Value(std::string(static_cast<std::size_t>(i), 'x')));
                rs->Update();
            }
            created->Close();
        }
        auto opened = engine->OpenDatabase(path.string(), false, true);
        std::filesystem::remove(path);  // the open connection keeps the file alive
        return opened;
    }();
    return db;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 4096) return 0;
    const std::string text(reinterpret_cast<const char*>(data), size);

    try {
        (void)TranslateSql(text);
    } catch (const JetError&) {
    }

    const Value asText{text};
    try {
        (void)ToLong(asText);
    } catch (const JetError&) {
    }
    try {
        (void)ToDate(asText);
    } catch (const JetError&) {
    }

    auto db = FixtureDatabase();
    try {
        auto rs = db->OpenRecordset(text, dbOpenDynaset);
        long guard = 0;
        while (!rs->Eof() && guard++ < 1000) {
            (void)rs->GetField("Date");
            rs->MoveNext();
        }
        (void)rs->RecordCount();
    } catch (const JetError&) {
    }
    try {
        db->Execute(text);
    } catch (const JetError&) {
    }
    return 0;
}
