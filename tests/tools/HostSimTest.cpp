#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <tuple>

#include "data/Dao.h"
#include "host/Registry.h"
#include "host/RegistryBackend.h"
#include "meters/PrivateProfile.h"
#include "support/Files.h"
#include "support/TempDir.h"
#include "support/TestHost.h"
#include "text/OleDate.h"
#include "tools/HostCli.h"
#include "tools/HostSim.h"

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace stripstock::hostsim {
namespace {

namespace fs = std::filesystem;

const double kDay1 = ToOleDate({2010, 3, 1, 0, 0, 0});

using Row = std::tuple<double, double, std::int64_t, std::int64_t>;

std::shared_ptr<dao::Database> OpenDiary(const std::string& path,
                                         const std::string& password = kDemoPassword) {
    return dao::EngineFactory()
        .Create("DAO.DBEngine.36")
        ->OpenDatabase(path, false, true, "MS Access;pwd=" + password);
}

std::vector<Row> Readings(const std::string& path, const std::string& password = kDemoPassword) {
    auto db = OpenDiary(path, password);
    auto rs =
        db->OpenRecordset("SELECT vdate, vtime, value, method FROM GLUCOSE", dao::dbOpenSnapshot);
    std::vector<Row> rows;
    for (; !rs->Eof(); rs->MoveNext())
        rows.emplace_back(dao::ToDate(rs->GetField("vdate")), dao::ToDate(rs->GetField("vtime")),
                          dao::ToLong(rs->GetField("value")),
                          dao::ToInteger(rs->GetField("method")));
    rs->Close();
    db->Close();
    return rows;
}

class HostSimTest : public ::testing::Test {
  protected:
    std::string Read(std::uint32_t hive, const std::string& key, const std::string& name) {
        std::string value;
        m_reg.RegReadValue(hive, key, name, value);
        return value;
    }
    std::string Init(const std::string& password = kDemoPassword) {
        return InitHost(m_reg, {.diaryPath = m_tmp / "diary/meier.vld", .password = password});
    }

    // The host's command line as is, and on the store of this test.
    int RunRaw(const std::vector<std::string>& args) {
        std::ostringstream output;
        std::ostringstream errors;
        const int rc = RunHostCli(args, output, errors);
        out = output.str();
        err = errors.str();
        return rc;
    }
    int Run(std::vector<std::string> args) {
        args.insert(args.begin(), {"--registry", m_registryFile});
        return RunRaw(args);
    }

    test::TempDir m_tmp;
    std::string out;
    std::string err;
    std::string m_registryFile = m_tmp / "registry.reg";
    Registry m_reg{MakeFileRegistryBackend(m_registryFile)};
    std::string m_hostKey = HostRegKeyFor(kDefaultHostKey);
};

TEST_F(HostSimTest, initRegistersAReadableDiaryInTheHiveAndHostKeyGiven) {
    const std::string diary = Init("secret");
    EXPECT_EQ(Read(kHkeyLocalMachine, m_hostKey, "DataBaseName"), diary);
    EXPECT_EQ(Read(kHkeyCurrentUser, m_hostKey, "DataBaseName"), "");
    EXPECT_EQ(Read(kHkeyLocalMachine, m_hostKey, "path"), (m_tmp.path() / "diary").string());
    EXPECT_EQ(RegisteredDiary(m_reg), diary);
    auto db = OpenDiary(diary, "secret");
    auto rs = db->OpenRecordset("SELECT * FROM patdat", dao::dbOpenSnapshot);
    ASSERT_FALSE(rs->Eof());
    EXPECT_EQ(dao::ToText(rs->GetField("firstname")), "Erika");
    EXPECT_EQ(dao::ToText(rs->GetField("name")), "Mustermann");
    for (const char* column : {"number", "street", "zip", "city", "phone", "fax", "email",
                               "insurance", "insurancenumber"})
        EXPECT_FALSE(dao::ToText(rs->GetField(column)).empty()) << column;
    for (const char* column :
         {"gender", "typ", "height", "DiabetesSince", "OADSince", "InsulinSince", "CPeptid"})
        EXPECT_NO_THROW(dao::ToInteger(rs->GetField(column))) << column;
    EXPECT_GT(dao::ToDate(rs->GetField("birthday")), 0.0);
    rs->Close();
    db->Close();
    EXPECT_TRUE(Readings(diary, "secret").empty());
    EXPECT_EQ(test::ErrorOf([&] { OpenDiary(diary, "wrong"); }), dao::kErrNotValidPassword);
    // Another host key in the current user's hive leaves this one alone.
    const std::string other = InitHost(m_reg, {.diaryPath = m_tmp / "cu.vld",
                                               .hostKey = "OTHERHOST",
                                               .hive = kHkeyCurrentUser,
                                               .password = ""});
    const std::string key = HostRegKeyFor("OTHERHOST");
    EXPECT_EQ(Read(kHkeyCurrentUser, key, "DataBaseName"), other);
    EXPECT_EQ(Read(kHkeyLocalMachine, key, "DataBaseName"), "");
    EXPECT_EQ(Read(kHkeyLocalMachine, key, "path"), m_tmp.path().string());
    EXPECT_EQ(RegisteredDiary(m_reg), diary);
}

TEST_F(HostSimTest, readingsGoIntoAnExistingDiaryWhichInitNeverReplacesGeneratedOnesBySeed) {
    EXPECT_THROW(AddReadings(m_tmp / "missing.vld", 25, kDay1, 1), HostSimError);
    EXPECT_THROW(Generate(m_tmp / "missing.vld", kDay1, kDay1, 1, {25}, 1), HostSimError);
    const std::string diary = Init();
    AddReadings(diary, 24, kDay1 + 0.75, 3, 0.25);
    AddReadings(diary, 33, kDay1 + 1, 1);
    EXPECT_THROW(Init(), HostSimError);
    std::vector<std::tuple<double, double, std::int64_t>> seen;
    for (const auto& [day, time, value, method] : Readings(diary))
        seen.emplace_back(day, time, method);
    EXPECT_EQ(seen,
              (std::vector<std::tuple<double, double, std::int64_t>>{
                  {kDay1, 0.25, 24}, {kDay1, 0.25, 24}, {kDay1, 0.25, 24}, {kDay1 + 1, 0.5, 33}}));

    // Generated readings are the same for the same seed.
    std::vector<std::vector<Row>> runs;
    for (unsigned seed : {7u, 7u, 8u}) {
        test::TempDir scratch;
        const std::string generated = scratch / "g.vld";
        CreateDiary(generated, "A", "B", kDemoPassword);
        Generate(generated, kDay1, kDay1 + 9.9, 4, {25, 24, 33}, seed);
        runs.push_back(Readings(generated));
    }
    EXPECT_EQ(runs[0], runs[1]);
    EXPECT_NE(runs[0], runs[2]);
    ASSERT_EQ(runs[0].size(), 40u);
    for (const auto& [day, time, value, method] : runs[0]) {
        EXPECT_EQ(day, OleDateOnly(day));
        EXPECT_GE(day, kDay1);
        EXPECT_LE(day, kDay1 + 9);
        EXPECT_GE(time, 0.0);
        EXPECT_LT(time, 1.0);
        EXPECT_GT(value, 0);
        EXPECT_TRUE(method == 25 || method == 24 || method == 33) << method;
    }
    for (int m : {25, 24, 33})
        EXPECT_TRUE(std::any_of(runs[0].begin(), runs[0].end(),
                                [m](const Row& r) { return std::get<3>(r) == m; }));
}

TEST_F(HostSimTest, registerModuleWritesOnlyTheValuesGivenAndForgetOnlyTheDiary) {
    RegisterModule(m_reg, kDefaultHostKey, "OneTouch Ultra", "0", "COM1|9600|8N1|25", "Ultra");
    RegisterModule(m_reg, kDefaultHostKey, "OneTouch Ultra", std::nullopt, std::nullopt, "New");
    RegisterModule(m_reg, kDefaultHostKey, "Bare", std::nullopt, std::nullopt, std::nullopt);
    const std::string key = m_hostKey + "\\MODULES\\OneTouch Ultra";
    EXPECT_EQ(Read(kHkeyLocalMachine, key, "type"), "0");
    EXPECT_EQ(Read(kHkeyLocalMachine, key, "parameter"), "COM1|9600|8N1|25");
    EXPECT_EQ(Read(kHkeyLocalMachine, key, "desc"), "New");
    std::vector<std::string> names;
    m_reg.GetAllKeys(kHkeyLocalMachine, m_hostKey + "\\MODULES", names);
    EXPECT_EQ(names, (std::vector<std::string>{"Bare", "OneTouch Ultra"}));
    EXPECT_THROW(RegisterModule(m_reg, kDefaultHostKey, "a\\b", "0", {}, {}), HostSimError);
    EXPECT_THROW(RegisterModule(m_reg, kDefaultHostKey, "", "0", {}, {}), HostSimError);
    // Forget removes the diary from both hives; its folder and file stay.
    const std::string diary = Init();
    m_reg.RegWriteString(kHkeyCurrentUser, m_hostKey, "DataBaseName", diary);
    Forget(m_reg);
    EXPECT_EQ(RegisteredDiary(m_reg), "");
    std::string value;
    EXPECT_FALSE(m_reg.RegReadValue(kHkeyLocalMachine, m_hostKey, "DataBaseName", value));
    EXPECT_FALSE(m_reg.RegReadValue(kHkeyCurrentUser, m_hostKey, "DataBaseName", value));
    EXPECT_EQ(Read(kHkeyLocalMachine, m_hostKey, "path"), (m_tmp.path() / "diary").string());
    EXPECT_TRUE(fs::exists(diary));
    EXPECT_NO_THROW(Forget(m_reg));
    EXPECT_NO_THROW(Forget(m_reg, "NEVERSEEN"));
}

TEST_F(HostSimTest, importIniIsEditedInPlace) {
    Init();
    const std::string ini = m_tmp / "diary/import.ini";
    EXPECT_THROW(WriteImportIni(m_reg, "NOHOST", "BG", "1", "x"), HostSimError);
    WriteImportIni(m_reg, kDefaultHostKey, "BG", "115", "Zähler");
    EXPECT_EQ(test::ReadBytes(ini), "[BG]\r\n115=Z\xE4hler\r\n");
    test::WriteBytes(ini,
                     "; host names\r\n[bg]\r\n 115 = old\r\n116=keep\r\n\r\n[BP]\r\n9=Tensio\r\n");
    WriteImportIni(m_reg, kDefaultHostKey, "BG", "115", "new");
    WriteImportIni(m_reg, kDefaultHostKey, "BG", "117", "added");
    WriteImportIni(m_reg, kDefaultHostKey, "BP", "10", "Tensio 10");
    WriteImportIni(m_reg, kDefaultHostKey, "Other", "1", "\"quoted\"");
    EXPECT_EQ(test::ReadBytes(ini),
              "; host names\r\n[bg]\r\n115=new\r\n116=keep\r\n117=added\r\n\r\n"
              "[BP]\r\n9=Tensio\r\n10=Tensio 10\r\n\r\n[Other]\r\n1=\"quoted\"\r\n");

    // A key line without "=" is the one the reader finds, so it is the one replaced.
    test::WriteBytes(ini, "[BG]\r\n115\r\n");
    WriteImportIni(m_reg, kDefaultHostKey, "BG", "115", "found");
    EXPECT_EQ(GetPrivateProfileString("BG", "115", "", 64, ini), "found");
    EXPECT_THROW(WriteImportIni(m_reg, kDefaultHostKey, "BG", "a=b", "x"), HostSimError);
    EXPECT_THROW(WriteImportIni(m_reg, kDefaultHostKey, "BG", "1", "two\nlines"), HostSimError);
}

TEST_F(HostSimTest, demoUnderOtherHostKeyFillsItsOwnDiary) {
    const std::string other = Init();
    const std::string diary =
        CreateDemo(m_reg, m_tmp / "demo", ToOleDate({2011, 2, 28, 0, 0, 0}), "DEMOHOST");
    EXPECT_EQ(Read(kHkeyLocalMachine, HostRegKeyFor("DEMOHOST"), "DataBaseName"), diary);
    EXPECT_EQ(RegisteredDiary(m_reg), other);
    EXPECT_GE(Readings(diary).size(), 365u * 3);
    EXPECT_TRUE(Readings(other).empty());
    EXPECT_THROW(CreateDemo(m_reg, m_tmp / "demo", 0, "DEMOHOST"), HostSimError);
}

TEST_F(HostSimTest, cliRejectsBadUsageWithCodeTwoAndNamesHelpInOneLine) {
    EXPECT_EQ(RunRaw({}), 2);
    EXPECT_NE(err.find("Usage:"), std::string::npos);
    EXPECT_EQ(RunRaw({"--registry"}), 2);
    EXPECT_EQ(Run({"bogus"}), 2);
    EXPECT_EQ(Run({"init"}), 2);
    EXPECT_EQ(Run({"init", "--diary", "x.vld", "--hive", "hkcr"}), 2);
    EXPECT_EQ(Run({"reading", "--method", "x", "--date", "1.3.2010"}), 2);
    EXPECT_EQ(Run({"reading", "--method", "25", "--date", "31.2.2010"}), 2);
    EXPECT_EQ(Run({"module"}), 2);
    EXPECT_EQ(Run({"forget", "--count", "1"}), 2);
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"init", "--diary", "a.vld", "--diary=b.vld"},
             {"--registry", m_registryFile, "forget"},
             {"demo", "d", "--today", "1.1.2010", "--today", "2.1.2010"},
             {"forget", "--bogus"}}) {
        EXPECT_EQ(Run(args), 2) << args[0];
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        EXPECT_NE(err.find("--help"), std::string::npos) << err;
    }
    for (const char* made : {"x.vld", "a.vld", "d"}) EXPECT_FALSE(fs::exists(m_tmp / made));
    ASSERT_EQ(RunRaw({"--version"}), 0);
    EXPECT_EQ(out, "stripstock-host " STRIPSTOCK_VERSION "\n");
    ASSERT_EQ(RunRaw({"use-diary", "--help"}), 0);
    EXPECT_NE(out.find("Usage: stripstock-host use-diary FILE [--hive hklm|hkcu]\n"),
              std::string::npos);
    ASSERT_EQ(RunRaw({"--help"}), 0);
    EXPECT_NE(out.find("  use-diary FILE"), std::string::npos);
}

TEST_F(HostSimTest, useDiaryRegistersAnExistingFileAndNeverWritesIt) {
    const std::string diary = m_tmp / "copied/MEIER.VLD";
    fs::create_directories(m_tmp / "copied");
    CreateDiary(diary, "Erika", "Meier", kDemoPassword);
    AddReadings(diary, 25, kDay1, 2);
    const std::string before = test::ReadBytes(diary);
    ASSERT_EQ(Run({"use-diary", diary}), 0) << err;
    EXPECT_EQ(out, "diary: " + diary + "\n");
    EXPECT_EQ(RegisteredDiary(m_reg), diary);
    EXPECT_EQ(Read(kHkeyLocalMachine, m_hostKey, "path"), "");
    EXPECT_EQ(test::ReadBytes(diary), before);
    EXPECT_EQ(Readings(diary).size(), 2u);

    // A missing file is refused and not created; the open diary stays registered.
    const std::string missing = m_tmp / "missing.vld";
    EXPECT_EQ(Run({"use-diary", missing}), 1);
    EXPECT_NE(err.find("no diary file"), std::string::npos) << err;
    EXPECT_FALSE(fs::exists(missing));
    EXPECT_EQ(Run({"use-diary", m_tmp / "copied"}), 1);
    EXPECT_EQ(RegisteredDiary(m_reg), diary);
    ASSERT_EQ(Run({"--host-key", "OTHER", "use-diary", diary, "--hive", "hkcu"}), 0);
    EXPECT_EQ(Read(kHkeyCurrentUser, HostRegKeyFor("OTHER"), "DataBaseName"), diary);
    EXPECT_EQ(Read(kHkeyLocalMachine, HostRegKeyFor("OTHER"), "DataBaseName"), "");
}

TEST_F(HostSimTest, cliCommandsWorkOnTheRegisteredDiary) {
    const std::string diary = m_tmp / "cli/d.vld";
    EXPECT_EQ(Run({"reading", "--method", "25", "--date", "1.3.2010"}), 1);
    EXPECT_NE(err.find("init"), std::string::npos);
    ASSERT_EQ(RunRaw({"init", "--diary", diary, "--registry", m_registryFile, "--password",
                      "quomba", "--first", "Max", "--name", "Meier"}),
              0);
    EXPECT_EQ(Run({"init", "--diary", diary}), 1);
    EXPECT_EQ(Run({"reading", "--method", "25", "--date", "1.3.2010 07:30", "--count", "2"}), 0);
    EXPECT_EQ(Run({"generate", "--from", "2.3.2010", "--to", "4.3.2010", "--per-day", "3",
                   "--methods", "24,33", "--seed", "5"}),
              0);
    const auto rows = Readings(diary);
    ASSERT_EQ(rows.size(), 11u);
    EXPECT_EQ(std::get<1>(rows[0]), 7.5 / 24);
    EXPECT_EQ(Run({"module", "Bare", "--desc", "Only a description"}), 0);
    EXPECT_EQ(Read(kHkeyLocalMachine, m_hostKey + "\\MODULES\\Bare", "desc"), "Only a description");
    EXPECT_EQ(Run({"import-ini", "BP", "9", "Tensio"}), 0);
    EXPECT_TRUE(fs::exists(m_tmp / "cli/import.ini"));
    EXPECT_EQ(Run({"forget"}), 0);
    EXPECT_EQ(RegisteredDiary(m_reg), "");
}

#ifndef _WIN32
TEST_F(HostSimTest, parallelImportIniWritersKeepEveryEntry) {
    Init();
    constexpr int kWriters = 40;
    std::vector<pid_t> children;
    for (int i = 0; i < kWriters; ++i) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            Registry reg(MakeFileRegistryBackend(m_registryFile));
            try {
                WriteImportIni(reg, kDefaultHostKey, "BG", std::to_string(200 + i),
                               "Meter " + std::to_string(i));
            } catch (const HostSimError&) {
                ::_exit(1);
            }
            ::_exit(0);
        }
        children.push_back(pid);
    }
    for (const pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    const std::string ini = m_tmp / "diary/import.ini";
    for (int i = 0; i < kWriters; ++i)
        EXPECT_EQ(GetPrivateProfileString("BG", std::to_string(200 + i), "", 64, ini),
                  "Meter " + std::to_string(i));
}

int RunExecutable(const std::string& args, const std::string& env = {}) {
    const std::string command =
        env + " '" + std::string(STRIPSTOCK_HOST_EXE) + "' " + args + " >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(HostSimTest, executableCreatesADemoHost) {
    const std::string demo = m_tmp / "demo";
    ASSERT_EQ(
        RunExecutable("--registry '" + m_registryFile + "' demo '" + demo + "' --today 28.2.2011"),
        0);
    const std::string diary = RegisteredDiary(m_reg);
    EXPECT_EQ(diary, (fs::path(demo) / "mustermann.vld").string());
    const auto rows = Readings(diary);
    EXPECT_GE(rows.size(), 365u * 3);
    EXPECT_LE(rows.size(), 365u * 5);
    const double today = ToOleDate({2011, 2, 28, 0, 0, 0});
    for (const Row& row : rows) {
        EXPECT_LE(std::get<0>(row), today);
        EXPECT_GT(std::get<0>(row), today - 365);
    }
    std::vector<std::string> modules;
    m_reg.GetAllKeys(kHkeyLocalMachine, m_hostKey + "\\MODULES", modules);
    EXPECT_GE(modules.size(), 5u);
    EXPECT_EQ(Read(kHkeyLocalMachine, m_hostKey + "\\MODULES\\OneTouch Ultra", "parameter"),
              "COM1|9600|8N1|25");

    // The store named by the environment, as the program itself finds it.
    EXPECT_EQ(RunExecutable("forget", "STRIPSTOCK_REGISTRY='" + m_registryFile + "'"), 0);
    Registry reread(MakeFileRegistryBackend(m_registryFile));
    EXPECT_EQ(RegisteredDiary(reread), "");
    EXPECT_EQ(RunExecutable("--registry '" + m_registryFile + "' demo"), 2);
}
#endif

}  // namespace
}  // namespace stripstock::hostsim
