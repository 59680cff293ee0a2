#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "cli/Cli.h"
#include "data/Dao.h"
#include "host/Registry.h"
#include "support/TempDir.h"
#include "text/OleDate.h"
#include "tools/HostSim.h"

namespace fs = std::filesystem;
using namespace stripstock;
using ::testing::HasSubstr;

namespace {

// The command-line twin on a diary file, with an empty registry store and no host.
class CliDiaryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::create_directories(m_dir.path() / "program");
        m_diary = m_dir / "meier.vld";
        hostsim::CreateDiary(m_diary, "Erika", "Mustermann", "quomba");
        hostsim::AddReadings(m_diary, 25, ToOleDate(CivilDateTime{2010, 2, 1, 0, 0, 0}), 3);
    }

    int Run(const std::vector<std::string>& args) {
        Context ctx;
        ctx.registry = std::make_shared<Registry>(MakeFileRegistryBackend(m_dir / "registry.reg"));
        ctx.engines = std::make_shared<dao::EngineFactory>();
        ctx.programDir = m_dir / "program";
        ctx.userDataDir = m_dir / "share/stripstock";
        ctx.pathSeparator = '/';
        ctx.clock = [] { return ToOleDate(CivilDateTime{2010, 3, 1, 12, 0, 0}); };
        out.str({});
        err.str({});
        return RunCliWithContext(ctx, args, out, err);
    }

    test::TempDir m_dir;
    std::string m_diary;
    std::ostringstream out;
    std::ostringstream err;
};

TEST_F(CliDiaryTest, showsTheDiaryFilesFiguresWithTheCompanionInTheDataFolder) {
    ASSERT_EQ(Run({"--diary", m_diary, "consumption"}), kExitDone) << err.str();
    EXPECT_THAT(out.str(), HasSubstr("Tagebuchinhaber:\tErika Mustermann\n"));
    EXPECT_THAT(out.str(), HasSubstr("Insgesamt\t3\tn/a\t\n"));
    ASSERT_EQ(Run({"--diary", m_diary, "status"}), kExitDone);
    EXPECT_THAT(out.str(), HasSubstr("DiaryDbPath=" + m_diary + "\n"));
    EXPECT_THAT(out.str(), HasSubstr("StripDbPath=" + (m_dir / "share/stripstock/MEIER.VLT")));
    EXPECT_TRUE(fs::is_empty(m_dir.path() / "program"));
}

TEST_F(CliDiaryTest, refusesAMissingFileWithTheReasonOnTheSecondLine) {
    const std::string missing = m_dir / "fehlt.vld";
    EXPECT_EQ(Run({"--diary", missing, "consumption"}), kExitStartRefused);
    EXPECT_EQ(err.str(),
              "Dieses Programm erfordert ein in VELLIND geöffnetes Tagebuch\n"
              "Die Datei ist nicht vorhanden: " +
                  missing + "\n");
    EXPECT_TRUE(out.str().empty());
}

TEST_F(CliDiaryTest, printsTheVersionWithoutStarting) {
    EXPECT_EQ(Run({"--version"}), kExitDone);
    EXPECT_EQ(out.str(), std::string("stripstock-cli ") + STRIPSTOCK_VERSION + "\n");
    EXPECT_EQ(Run({"--diary"}), kExitUsage);
    EXPECT_EQ(Run({"--diary", "", "status"}), kExitUsage);
}

}  // namespace
