#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>

#include "consumption/ComputeStripStock.h"
#include "data/Dao.h"
#include "data/Schema.h"
#include "host/Context.h"
#include "strips/Catalogue.h"
#include "text/OleDate.h"
#include "tools/HostSim.h"

namespace stripstock::test {

inline double Day(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
    return ToOleDate({year, month, day, hour, minute, second});
}

// A plain SQLite connection: the expected figures must not come through the engine under test.
class Sql {
  public:
    explicit Sql(const std::string& path) {
        if (sqlite3_open_v2(path.c_str(), &m_db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
            ADD_FAILURE() << "cannot open " << path;
    }
    ~Sql() { sqlite3_close(m_db); }
    Sql(const Sql&) = delete;
    Sql& operator=(const Sql&) = delete;

    void Exec(const std::string& sql) {
        char* error = nullptr;
        if (sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
            ADD_FAILURE() << sql << ": " << (error ? error : "?");
            sqlite3_free(error);
        }
    }
    // The first column of the first row; nullopt for Null or no row.
    std::optional<double> Real(const std::string& sql) { return Scalar<double>(sql); }
    std::optional<std::int64_t> Whole(const std::string& sql) { return Scalar<std::int64_t>(sql); }

  private:
    template <typename T>
    std::optional<T> Scalar(const std::string& sql) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(m_db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK) {
            ADD_FAILURE() << sql << ": " << sqlite3_errmsg(m_db);
            return std::nullopt;
        }
        std::optional<T> out;
        if (sqlite3_step(st) == SQLITE_ROW && sqlite3_column_type(st, 0) != SQLITE_NULL) {
            if constexpr (std::is_same_v<T, double>)
                out = sqlite3_column_double(st, 0);
            else
                out = sqlite3_column_int64(st, 0);
        }
        sqlite3_finalize(st);
        return out;
    }

    sqlite3* m_db = nullptr;
};

// A diary with its owner and an empty companion database in a folder of their own, and a
// clock that stands still at 15.06.2024 12:30.
class ConsumptionFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "stripstock-consumption-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;

        ctx.engines = std::make_shared<dao::EngineFactory>();
        ctx.DbPassword = hostsim::kDemoPassword;
        ctx.clock = [this] { return m_now; };
        ctx.DiaryDbPath = (m_dir / "test.vld").string();
        ctx.StripDbPath = (m_dir / "test.vlt").string();
        hostsim::CreateDiary(ctx.DiaryDbPath, "Erika", "Mustermann", hostsim::kDemoPassword);
        CreateCompanionDatabase(ctx, ctx.StripDbPath);
    }

    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(m_dir, ignored);
    }

    // Appends a strip definition and returns its ID (the table counts up from 1).
    std::int16_t AddStrip(const std::string& desc, const std::string& appliesTo) {
        auto db = OpenCompanionForWriting();
        auto rs = db->OpenRecordset("strips", dao::dbOpenDynaset);
        rs->AddNew();
        rs->SetField("Desc", desc);
        rs->SetField("AppliesTo", appliesTo);
        rs->Update();
        rs->Close();
        db->Close();
        stripList = LoadStripList(ctx, ctx.StripDbPath);
        return static_cast<std::int16_t>(++m_stripCount);
    }

    // A ledger row: amount > 0 a prescription of strip type, < 0 faulty measurements of meter type.
    void AddLedger(double date, int type, int amount) {
        auto db = OpenCompanionForWriting();
        auto rs = db->OpenRecordset("teststrips", dao::dbOpenDynaset);
        rs->AddNew();
        rs->SetField("Date", date);
        rs->SetField("Type", std::int64_t{type});
        rs->SetField("Amount", std::int64_t{amount});
        rs->Update();
        rs->Close();
        db->Close();
    }

    void AddReadings(int method, double day, int count) {
        hostsim::AddReadings(ctx.DiaryDbPath, method, day, count);
    }

    struct Figures {
        std::int32_t stock = 0;
        std::int32_t used = 0;
        double last = 0.0;
    };

    // One run for a strip type (or -1 for all strips), against ctx.CalcStartDate.
    Figures Compute(std::int16_t type) {
        Figures f;
        f.stock = ComputeStripStock(ctx, type, ctx.CalcStartDate, f.last, f.used);
        return f;
    }

    std::filesystem::path m_dir;
    double m_now = Day(2024, 6, 15, 12, 30);
    Context ctx;
    std::vector<ListEntry> stripList;  // the main window's strip list as last loaded

  private:
    std::shared_ptr<dao::Database> OpenCompanionForWriting() {
        return ctx.engines->Create("DAO.DBEngine.36")->OpenDatabase(ctx.StripDbPath, false, false);
    }

    int m_stripCount = 0;
};

}  // namespace stripstock::test
