#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/Startup.h"
#include "data/Dao.h"
#include "host/Registry.h"
#include "text/TextHelpers.h"
#include "tools/HostSim.h"

namespace fs = std::filesystem;
using namespace stripstock;

namespace {

struct PathCase {
    std::string diary;
    char separator;
    std::string folder;
    std::string expected;
};

class CompanionPathTest : public ::testing::TestWithParam<PathCase> {};

TEST_P(CompanionPathTest, namesTheCompanionAfterTheDiaryInTheProgramFolder) {
    const PathCase& c = GetParam();
    EXPECT_EQ(JoinPath(c.folder, CompanionFileName(c.diary, c.separator), c.separator), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    BothSeparators, CompanionPathTest,
    ::testing::Values(PathCase{"C:\\Daten\\meier.vld", '\\', "C:\\Programme\\Streifen",
                               "C:\\Programme\\Streifen\\MEIER.VLT"},
                      PathCase{"C:\\Daten\\meier.vld", '\\', "D:\\", "D:\\MEIER.VLT"},
                      PathCase{"C:\\Daten\\meier.mdb", '\\', "C:\\P", "C:\\P\\MEIER.MDB"},
                      PathCase{"C:\\Daten\\A.VLD.VLD", '\\', "C:\\P", "C:\\P\\A.VLT.VLT"},
                      PathCase{"C:\\Daten\\Müller.Vld", '\\', "C:\\P", "C:\\P\\MÜLLER.VLT"},
                      PathCase{"/home/erika/meier.vld", '/', "/opt/streifen",
                               "/opt/streifen/MEIER.VLT"},
                      PathCase{"/home/erika/meier.vld", '/', "/", "/MEIER.VLT"},
                      PathCase{"/home/erika/a.vld.vld", '/', "/opt/", "/opt/A.VLT.VLT"}));

class StartupTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() /
                ("stripstock-startup-" +
                 std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir / "program");
        m_registry =
            std::make_shared<Registry>(MakeFileRegistryBackend((m_dir / "registry.reg").string()));
        ctx.registry = m_registry;
        ctx.engines = std::make_shared<dao::EngineFactory>();
        ctx.programDir = (m_dir / "program").string();
        ctx.pathSeparator = '/';
        ctx.clock = [] { return 45000.5; };
    }
    void TearDown() override { fs::remove_all(m_dir); }

    void MakeHost() {
        hostsim::InitOptions options;
        options.diaryPath = (m_dir / "meier.vld").string();
        options.password = "quomba";
        hostsim::InitHost(*m_registry, options);
    }
    void SetLastMeter(const std::string& value) {
        m_registry->RegWriteString(kHkeyLocalMachine,
                                   "SOFTWARE\\Tarvenholme\\VELLIND4\\bonus\\TestStrip", "LastMeter",
                                   value);
    }

    fs::path m_dir;
    std::shared_ptr<Registry> m_registry;
    Context ctx;
    std::vector<ListEntry> stripList;  // the main window's strip list as last loaded
};

TEST_F(StartupTest, refusesWithoutAnOpenDiaryAndCreatesNothing) {
    const StartupResult result = RunStartup(ctx, "");
    EXPECT_TRUE(result.refused);
    EXPECT_TRUE(ctx.IsLoading);
    EXPECT_TRUE(ctx.StripDbPath.empty());
    EXPECT_TRUE(fs::is_empty(m_dir / "program"));
    // The host and add-on keys are created all the same.
    EXPECT_TRUE(m_registry->RegKeyExists(kHkeyLocalMachine,
                                         "SOFTWARE\\Tarvenholme\\VELLIND4\\bonus\\TestStrip"));
}

TEST_F(StartupTest, createsTheCompanionInTheProgramFolderAndFillsTheViews) {
    MakeHost();
    const StartupResult result = RunStartup(ctx, "VELLIND4|x");
    ASSERT_FALSE(result.refused);
    EXPECT_FALSE(ctx.IsLoading);
    EXPECT_EQ(ctx.StripDbPath, (m_dir / "program" / "MEIER.VLT").string());
    EXPECT_TRUE(fs::is_regular_file(ctx.StripDbPath));
    ASSERT_EQ(result.meterList.size(), 27u);
    EXPECT_EQ(result.meterSelection, 0);
    ASSERT_FALSE(result.prescriptionTree.empty());
    EXPECT_EQ(result.prescriptionTree.front().key, "K0");
    EXPECT_EQ(result.prescriptionTree.front().text, "Alle");
    ASSERT_FALSE(result.consumption.rows.empty());
    EXPECT_EQ(result.consumption.rows.front().label, "Insgesamt");
    EXPECT_EQ(result.consumption.owner, "Erika Mustermann");
}

TEST_F(StartupTest, leavesAForeignCompanionFileAsItIs) {
    MakeHost();
    const fs::path companion = m_dir / "program" / "MEIER.VLT";
    { std::ofstream(companion) << "not a database"; }
    const StartupResult result = RunStartup(ctx, "");
    EXPECT_FALSE(result.refused);
    std::ifstream in(companion);
    std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(content, "not a database");
    EXPECT_TRUE(result.stripList.empty());
}

struct LastMeterCase {
    std::optional<std::string> stored;
    int selection;
};

class LastMeterTest : public StartupTest, public ::testing::WithParamInterface<LastMeterCase> {};

TEST_P(LastMeterTest, restoresTheMeterListPosition) {
    MakeHost();
    if (GetParam().stored) SetLastMeter(*GetParam().stored);
    const StartupResult result = RunStartup(ctx, "");
    EXPECT_EQ(result.meterSelection, GetParam().selection);
}

INSTANTIATE_TEST_SUITE_P(Positions, LastMeterTest,
                         ::testing::Values(LastMeterCase{std::nullopt, 0}, LastMeterCase{"2", 2},
                                           LastMeterCase{"11", 11}, LastMeterCase{" 26 ", 26},
                                           LastMeterCase{"27", -1}, LastMeterCase{"-1", -1},
                                           LastMeterCase{"x", -1}));

TEST_F(StartupTest, positionElevenIsFreeStyleFreedom) {
    MakeHost();
    SetLastMeter("11");
    const StartupResult result = RunStartup(ctx, "");
    ASSERT_EQ(result.meterSelection, 11);
    EXPECT_EQ(result.meterList[11].text, "FreeStyle Freedom");
    EXPECT_EQ(result.meterList[11].itemData, 81);
}

TEST_F(StartupTest, aDiaryThatWouldBeItsOwnCompanionIsNotWrittenTo) {
    // Without ".VLD" and in the program folder, the diary's upper-cased name is the
    // companion's: the same file on a case-insensitive file system, and here literally.
    hostsim::InitOptions options;
    options.diaryPath = (m_dir / "program" / "MEIER.MDB").string();
    hostsim::InitHost(*m_registry, options);

    const StartupResult result = RunStartup(ctx, "");
    ASSERT_FALSE(result.refused);
    EXPECT_EQ(ctx.StripDbPath, options.diaryPath);
    EXPECT_EQ(result.consumption.owner, "Erika Mustermann");

    auto engine = ctx.engines->Create("DAO.DBEngine.36");
    auto diary = engine->OpenDatabase(options.diaryPath, false, true);
    try {
        diary->OpenRecordset("Select * FROM strips", dao::dbOpenDynaset);
        ADD_FAILURE() << "a strips table was added to the diary";
    } catch (const dao::JetError& e) {
        EXPECT_EQ(e.number(), dao::kErrInputTableNotFound);
    }
    diary->Close();
}

}  // namespace
