#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "data/Dao.h"
#include "data/Schema.h"
#include "host/Context.h"
#include "host/Registry.h"
#include "host/RegistryBackend.h"
#include "strips/Catalogue.h"
#include "text/OleDate.h"

namespace stripstock::test {

inline double Day(int year, int month, int day, int hour = 0, int minute = 0) {
    return ToOleDate(CivilDateTime{year, month, day, hour, minute, 0});
}

struct StoredRow {
    std::int32_t id = 0;
    double date = 0.0;
    dao::Value type;
    std::int32_t amount = 0;
};

// A companion database and a registry store in a temporary folder, with a context on them.
class LedgerFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        static std::atomic<int> counter{0};
        m_dir = std::filesystem::temp_directory_path() /
                ("stripstock-presc-" + std::to_string(std::random_device{}()) + "-" +
                 std::to_string(counter++));
        std::filesystem::remove_all(m_dir);
        std::filesystem::create_directories(m_dir);

        ctx.engines = std::make_shared<dao::EngineFactory>();
        ctx.registry =
            std::make_shared<Registry>(MakeFileRegistryBackend((m_dir / "registry.reg").string()));
        ctx.HostKeyName = "VELLIND4";
        ctx.HostRegKey = "SOFTWARE\\Tarvenholme\\VELLIND4";
        ctx.AddonRegKey = "SOFTWARE\\Tarvenholme\\VELLIND4\\bonus\\TestStrip";
        ctx.StripDbPath = (m_dir / "diary.VLT").string();
        ctx.DbPassword = "quomba";
        ctx.programDir = m_dir.string();
        ctx.clock = [] { return Day(2010, 3, 1); };
        CreateCompanionDatabase(ctx, ctx.StripDbPath);
        ASSERT_TRUE(std::filesystem::exists(ctx.StripDbPath));
    }

    void TearDown() override { std::filesystem::remove_all(m_dir); }

    std::shared_ptr<dao::Database> Open() {
        m_engine = ctx.engines->Create("DAO.DBEngine.36");
        return m_engine->OpenDatabase(ctx.StripDbPath, false, false);
    }

    std::int32_t MaxId(dao::Database& db, const std::string& table) {
        auto rs = db.OpenRecordset("Select max(id) as m FROM " + table, dao::dbOpenDynaset);
        const std::int32_t id = dao::ToLong(rs->GetField("m"));
        rs->Close();
        return id;
    }

    // Adds a strip definition and returns its ID.
    std::int32_t AddStrip(const std::string& desc) {
        auto db = Open();
        auto rs = db->OpenRecordset("strips", dao::dbOpenDynaset);
        rs->AddNew();
        rs->SetField("desc", desc);
        rs->Update();
        rs->Close();
        const std::int32_t id = MaxId(*db, "strips");
        db->Close();
        return id;
    }

    void DeleteStrip(std::int32_t id) {
        auto db = Open();
        db->Execute("DELETE * FROM strips WHERE id=" + std::to_string(id));
        db->Close();
    }

    // Adds a ledger row (Type left Null when nullopt) and returns its ID.
    std::int32_t AddRow(double date, std::optional<std::int32_t> type, std::int32_t amount) {
        auto db = Open();
        auto rs = db->OpenRecordset("teststrips", dao::dbOpenDynaset);
        rs->AddNew();
        rs->SetField("date", date);
        rs->SetField("type", type ? dao::Value(std::int64_t{*type}) : dao::Value());
        rs->SetField("amount", std::int64_t{amount});
        rs->Update();
        rs->Close();
        const std::int32_t id = MaxId(*db, "teststrips");
        db->Close();
        return id;
    }

    std::vector<StoredRow> Rows() {
        std::vector<StoredRow> rows;
        auto db = Open();
        auto rs = db->OpenRecordset("Select * FROM teststrips ORDER by id", dao::dbOpenDynaset);
        for (; !rs->Eof(); rs->MoveNext()) {
            rows.push_back({dao::ToLong(rs->GetField("id")), dao::ToDate(rs->GetField("date")),
                            rs->GetField("type"), dao::ToLong(rs->GetField("amount"))});
        }
        rs->Close();
        db->Close();
        return rows;
    }

    void ReloadStripList() { stripList = LoadStripList(ctx, ctx.StripDbPath); }

    void SetLastMeter(const std::string& value) {
        ASSERT_TRUE(
            ctx.registry->RegWriteString(kHkeyLocalMachine, ctx.AddonRegKey, "LastMeter", value));
    }

    // The stored "LastMeter", or "<none>" when it was never written.
    std::string LastMeter() const {
        std::string value = "<none>";
        ctx.registry->RegReadValue(kHkeyLocalMachine, ctx.AddonRegKey, "LastMeter", value);
        return value;
    }

    const std::filesystem::path& Dir() const { return m_dir; }

    Context ctx;
    std::vector<ListEntry> stripList;  // the main window's strip list as last loaded

  private:
    std::filesystem::path m_dir;
    std::shared_ptr<dao::DBEngine> m_engine;
};

}  // namespace stripstock::test
