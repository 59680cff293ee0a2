#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "data/Dao.h"
#include "data/Schema.h"
#include "host/Context.h"
#include "host/Registry.h"
#include "host/RegistryBackend.h"
#include "text/ListEntry.h"

namespace stripstock::test {

struct StripRow {
    std::int32_t id = 0;
    std::string desc, manufacturer, pzn, appliesTo;
};

// A temporary folder with a registry store and a companion database with both tables.
class StripsFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string tmpl = (std::filesystem::temp_directory_path() / "stripstock-strips-XXXXXX");
        ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
        m_dir = tmpl;
        ctx.engines = std::make_shared<dao::EngineFactory>();
        ctx.registry = std::make_shared<Registry>(MakeFileRegistryBackend(Path("registry.reg")));
        ctx.HostRegKey = "SOFTWARE\\Tarvenholme\\VELLIND4";
        ctx.StripDbPath = Path("diary.VLT");
        ctx.DbPassword = "quomba";
        CreateCompanionDatabase(ctx, ctx.StripDbPath);
        ASSERT_TRUE(std::filesystem::exists(ctx.StripDbPath));
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(m_dir, ec);
    }

    std::string Path(const std::string& name) const { return (m_dir / name).string(); }

    std::shared_ptr<dao::Database> Open(const std::string& path) {
        return ctx.engines->Create("DAO.DBEngine.36")->OpenDatabase(path, false, false);
    }

    std::int32_t AddStrip(const std::string& desc, const std::string& appliesTo = {},
                          const std::string& manufacturer = {}, const std::string& pzn = {}) {
        auto db = Open(ctx.StripDbPath);
        auto rs = db->OpenRecordset("Select * FROM strips", dao::dbOpenDynaset);
        rs->AddNew();
        rs->SetField("Desc", desc);
        rs->SetField("Manufacturer", manufacturer);
        rs->SetField("PZN", pzn);
        rs->SetField("AppliesTo", appliesTo);
        rs->Update();
        rs->Close();
        db->Close();
        return Strips().back().id;
    }

    std::vector<StripRow> Strips(const std::string& where = {}) {
        std::vector<StripRow> rows;
        auto db = Open(ctx.StripDbPath);
        auto rs = db->OpenRecordset("Select * FROM strips" + where, dao::dbOpenDynaset);
        for (; !rs->Eof(); rs->MoveNext()) {
            rows.push_back({dao::ToLong(rs->GetField("ID")), dao::ToText(rs->GetField("Desc")),
                            dao::ToText(rs->GetField("Manufacturer")),
                            dao::ToText(rs->GetField("PZN")),
                            dao::ToText(rs->GetField("AppliesTo"))});
        }
        rs->Close();
        db->Close();
        return rows;
    }

    // An import module of the host below HKEY_LOCAL_MACHINE\<host key>\MODULES.
    void AddModule(const std::string& name, std::optional<std::string> type,
                   std::optional<std::string> parameter, std::optional<std::string> desc) {
        const std::string key = ctx.HostRegKey + "\\MODULES\\" + name;
        ctx.registry->RegAddKey(kHkeyLocalMachine, key, "");
        if (type) ctx.registry->RegWriteString(kHkeyLocalMachine, key, "type", *type);
        if (parameter)
            ctx.registry->RegWriteString(kHkeyLocalMachine, key, "parameter", *parameter);
        if (desc) ctx.registry->RegWriteString(kHkeyLocalMachine, key, "desc", *desc);
    }

    // The shared session holds nothing open between operations.
    bool SessionClosed() const { return !ctx.session.Db || !ctx.session.Db->IsOpen(); }

    static std::string ReadFile(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    Context ctx;
    std::vector<ListEntry> stripList;  // the main window's strip list as last loaded

  private:
    std::filesystem::path m_dir;
};

inline std::vector<ListEntry> Meters(std::initializer_list<std::int32_t> codes) {
    std::vector<ListEntry> list;
    for (std::int32_t c : codes) list.push_back({"Meter " + std::to_string(c), c});
    return list;
}

inline auto Entry(const std::string& text, std::int32_t id) {
    return ::testing::AllOf(::testing::Field(&ListEntry::text, text),
                            ::testing::Field(&ListEntry::itemData, id));
}

}  // namespace stripstock::test
