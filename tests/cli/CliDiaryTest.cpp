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
    const std::string consumption = Output({"--diary", diary, "consumption"});
    EXPECT_THAT(consumption, HasSubstr("Tagebuchinhaber:\tErika Mustermann\n"));
    EXPECT_THAT(consumption, HasSubstr("Insgesamt\t3\tn/a\t\n"));
    const std::string status = Output({"--diary", diary, "status"});
    EXPECT_THAT(status, HasSubstr("DiaryDbPath=" + diary + "\n"));
    EXPECT_THAT(status, HasSubstr("StripDbPath=" + Path("share/stripstock/MEIER.VLT")));
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

}  // namespace
