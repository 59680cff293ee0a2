#include "TestHost.h"

#include <filesystem>
#include <stdexcept>

#include "data/Schema.h"
#include "host/RegistryBackend.h"
#include "strips/Catalogue.h"
#include "tools/HostSim.h"

namespace stripstock::test {

TestHost::TestHost()
    : registry(std::make_shared<Registry>(MakeFileRegistryBackend(dir.file("registry.reg")))),
      diary(dir.file("meier.vld")),
      programDir(dir.file("program")),
      now(Day(2010, 3, 1, 12)) {
    std::filesystem::create_directory(programDir);
}

Context TestHost::MakeContext() {
    Context c;
    c.registry = registry;
    c.engines = std::make_shared<dao::EngineFactory>();
    c.programDir = programDir;
    c.pathSeparator = '/';
    c.clock = [this] { return now; };
    c.HostKeyName = hostsim::kDefaultHostKey;
    c.HostRegKey = hostsim::HostRegKeyFor(c.HostKeyName);
    c.AddonRegKey = c.HostRegKey + "\\bonus\\TestStrip";
    c.DbPassword = kBuiltInPassword;
    return c;
}

void TestHost::OpenDiary() {
    hostsim::InitOptions options;
    options.diaryPath = diary;
    options.password = hostsim::kDemoPassword;
    hostsim::InitHost(*registry, options);
    ctx.DiaryDbPath = diary;
}

void TestHost::AddReadings(int method, double day, int count) {
    hostsim::AddReadings(diary, method, day, count);
}

void TestHost::CreateCompanion() {
    if (ctx.StripDbPath.empty()) ctx.StripDbPath = programDir + "/MEIER.VLT";
    CreateCompanionDatabase(ctx, ctx.StripDbPath);
    if (!std::filesystem::exists(ctx.StripDbPath))
        throw std::runtime_error("no companion database at " + ctx.StripDbPath);
}

std::shared_ptr<dao::Database> TestHost::OpenCompanion() {
    return dao::EngineFactory()
        .Create("DAO.DBEngine.36")
        ->OpenDatabase(ctx.StripDbPath, false, false);
}

std::int32_t TestHost::AddStrip(const std::string& desc, const std::string& appliesTo,
                                const std::string& manufacturer, const std::string& pzn) {
    auto db = OpenCompanion();
    auto rs = db->OpenRecordset("strips", dao::dbOpenDynaset);
    rs->AddNew();
    rs->SetField("Desc", desc);
    rs->SetField("Manufacturer", manufacturer);
    rs->SetField("PZN", pzn);
    rs->SetField("AppliesTo", appliesTo);
    rs->Update();
    rs->Close();
    const std::int32_t id = dao::ToLong(FirstValue(*db, "Select max(ID) as m FROM strips", "m"));
    db->Close();
    ReloadStripList();
    return id;
}

void TestHost::DeleteStrip(std::int32_t id) {
    OpenCompanion()->Execute("DELETE * FROM strips WHERE id=" + std::to_string(id));
}

std::vector<StripRow> TestHost::Strips(const std::string& where) {
    std::vector<StripRow> rows;
    auto db = OpenCompanion();
    auto rs = db->OpenRecordset("Select * FROM strips" + where, dao::dbOpenDynaset);
    for (; !rs->Eof(); rs->MoveNext()) {
        rows.push_back({dao::ToLong(rs->GetField("ID")), dao::ToText(rs->GetField("Desc")),
                        dao::ToText(rs->GetField("Manufacturer")), dao::ToText(rs->GetField("PZN")),
                        dao::ToText(rs->GetField("AppliesTo"))});
    }
    return rows;
}

void TestHost::ReloadStripList() { stripList = LoadStripList(ctx, ctx.StripDbPath); }

std::int32_t TestHost::AddLedger(double date, std::optional<std::int32_t> type,
                                 std::int32_t amount) {
    return AddLedgerRow(*OpenCompanion(), date, type, amount);
}

std::vector<LedgerRow> TestHost::LedgerRows() {
    std::vector<LedgerRow> rows;
    auto db = OpenCompanion();
    auto rs = db->OpenRecordset("Select * FROM teststrips ORDER by id", dao::dbOpenDynaset);
    for (; !rs->Eof(); rs->MoveNext()) {
        rows.push_back({dao::ToLong(rs->GetField("id")), dao::ToDate(rs->GetField("date")),
                        rs->GetField("type"), dao::ToLong(rs->GetField("amount"))});
    }
    return rows;
}

void TestHost::SetLastMeter(const std::string& value) {
    if (!registry->RegWriteString(kHkeyLocalMachine, ctx.AddonRegKey, "LastMeter", value))
        throw std::runtime_error("cannot write LastMeter");
}

std::string TestHost::LastMeter() const {
    std::string value = "<none>";
    registry->RegReadValue(kHkeyLocalMachine, ctx.AddonRegKey, "LastMeter", value);
    return value;
}

void TestHost::AddModule(const std::string& name, std::optional<std::string> type,
                         std::optional<std::string> parameter, std::optional<std::string> desc) {
    hostsim::RegisterModule(*registry, ctx.HostKeyName, name, std::move(type), std::move(parameter),
                            std::move(desc));
}

bool TestHost::SessionClosed() const { return !ctx.session.Db || !ctx.session.Db->IsOpen(); }

std::int32_t AddLedgerRow(dao::Database& db, double date, std::optional<std::int32_t> type,
                          std::int32_t amount) {
    auto rs = db.OpenRecordset("teststrips", dao::dbOpenDynaset);
    rs->AddNew();
    rs->SetField("Date", date);
    rs->SetField("Type", type ? dao::Value(std::int64_t{*type}) : dao::Value());
    rs->SetField("Amount", std::int64_t{amount});
    rs->Update();
    rs->Close();
    return dao::ToLong(FirstValue(db, "Select max(ID) as m FROM teststrips", "m"));
}

dao::Value FirstValue(dao::Database& db, const std::string& sql, const std::string& field) {
    auto rs = db.OpenRecordset(sql, dao::dbOpenDynaset);
    rs->MoveFirst();
    return rs->GetField(field);
}

}  // namespace stripstock::test
