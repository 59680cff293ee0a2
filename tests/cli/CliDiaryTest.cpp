#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "CliFixture.h"
#include "tools/HostSim.h"

namespace fs = std::filesystem;
using namespace stripstock;
using ::testing::HasSubstr;

namespace {

// The command-line twin on a diary file, with an empty registry store and no host.
class CliDiaryTest : public test::CliFixture {
  protected:
    void SetUp() override {
        hostsim::CreateDiary(diary, "Erika", "Mustermann", hostsim::kDemoPassword);
        AddReadings(25, test::Day(2010, 2, 1), 3);
    }
};

TEST_F(CliDiaryTest, showsTheDiaryFilesFiguresWithTheCompanionInTheDataFolder) {
    ASSERT_EQ(Run({"--diary", diary, "consumption"}), kExitDone) << err.str();
    EXPECT_THAT(out.str(), HasSubstr("Tagebuchinhaber:\tErika Mustermann\n"));
    EXPECT_THAT(out.str(), HasSubstr("Insgesamt\t3\tn/a\t\n"));
    ASSERT_EQ(Run({"--diary", diary, "status"}), kExitDone);
    EXPECT_THAT(out.str(), HasSubstr("DiaryDbPath=" + diary + "\n"));
    EXPECT_THAT(out.str(), HasSubstr("StripDbPath=" + Path("share/stripstock/MEIER.VLT")));
    EXPECT_TRUE(fs::is_empty(programDir));
}

TEST_F(CliDiaryTest, refusesAMissingFileWithTheReasonOnTheSecondLine) {
    const std::string missing = Path("fehlt.vld");
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
