// The whole program on a host whose open diary is a Jet file: the built stripstock-cli, run as
// the host would have it, with the registry store naming a copy of a fixture.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <sstream>

#include "DataFixtures.h"
#include "host/Registry.h"
#include "host/RegistryBackend.h"
#include "tools/HostSim.h"

namespace stripstock {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::Not;

const std::string kData = STRIPSTOCK_JET_DATA;

class JetProgramTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::create_directories(dir.file("program"));
        fs::create_directories(dir.file("host"));
        Registry reg(MakeFileRegistryBackend(dir.file("registry.reg")));
        for (const std::string code : {"24", "25", "73"})
            hostsim::RegisterModule(reg, hostsim::kDefaultHostKey, "M" + code, "0", "a|b|c|" + code,
                                    "Messgerät " + code);
    }

    // The host has a copy of the fixture open as its diary, named as the host names them.
    std::string UseDiary(const std::string& fixture) {
        const std::string path = (fs::path(dir.file("host")) / "MUELLER.VLD").string();
        fs::copy_file(kData + "/" + fixture, path, fs::copy_options::overwrite_existing);
        Registry reg(MakeFileRegistryBackend(dir.file("registry.reg")));
        return hostsim::UseDiary(reg, path);
    }

    test::ProcessResult Cli(std::vector<std::string> args) {
        args.insert(args.begin(), {STRIPSTOCK_CLI, "--program-dir", dir.file("program")});
        return test::RunProcess(
            args, {{"STRIPSTOCK_REGISTRY", dir.file("registry.reg")}, {"STRIPSTOCK_DEBUG", "1"}},
            dir.file("cli.err"));
    }
    std::string Err() const { return test::ReadBytes(dir.file("cli.err")); }

    // The position of a meter code in the list strip-save's --select counts in.
    std::string MeterPosition(const std::string& code) {
        std::istringstream lines(Cli({"strip-meters"}).out);
        std::string line;
        for (int pos = 0; std::getline(lines, line); ++pos) {
            if (line.rfind(code + "\t", 0) == 0) return std::to_string(pos);
        }
        ADD_FAILURE() << "meter " << code << " not listed";
        return "0";
    }

    test::TempDir dir;
};

struct YearFigures {
    const char* fixture;
    const char* total2025;   // every reading of 2025, method Null included
    const char* meters2025;  // readings of meters 24 and 25 in 2025
};

class JetDiaryProgramTest : public JetProgramTest,
                            public ::testing::WithParamInterface<YearFigures> {};

TEST_P(JetDiaryProgramTest, statusAndConsumptionShowTheDiarysOwnerAndCounts) {
    // The count ends at today's date: the fixture's last readings must lie behind it.
    if (std::time(nullptr) < 1767312000) GTEST_SKIP() << "the clock is before 2.1.2026";
    const std::string diary = UseDiary(GetParam().fixture);
    const test::FileState before = test::StateOf(diary);

    test::ProcessResult r = Cli({"status"});
    ASSERT_EQ(r.status, 0) << Err();
    EXPECT_THAT(r.out, HasSubstr("DiaryDbPath=" + diary + "\n"));

    r = Cli({"consumption"});
    ASSERT_EQ(r.status, 0) << Err();
    EXPECT_THAT(r.out, HasSubstr("Tagebuchinhaber:\tErika Müller\n"));
    EXPECT_THAT(r.out, HasSubstr("Insgesamt\t2000\tn/a\t\n"));

    // A strip for meters 24 and 25, prescribed on 1.1.2025: the year 2025 is counted.
    ASSERT_EQ(Cli({"strip-save", "--name", "Streifen 24/25", "--select",
                   MeterPosition("24") + "," + MeterPosition("25")})
                  .status,
              0)
        << Err();
    ASSERT_EQ(
        Cli({"new-prescription", "--amount", "1000", "--date", "1.1.2025", "--strip", "0"}).status,
        0)
        << Err();
    r = Cli({"consumption"});
    ASSERT_EQ(r.status, 0) << Err();
    const std::string total = GetParam().total2025;
    const std::string meters = GetParam().meters2025;
    EXPECT_THAT(r.out, HasSubstr("Berechnung beginnt ab:\t01.01.2025\n"));
    EXPECT_THAT(r.out, HasSubstr("Insgesamt\t" + total + "\t" +
                                 std::to_string(1000 - std::stoi(total)) + "\t01.01.2025\n"));
    EXPECT_THAT(r.out, HasSubstr("Streifen 24/25\t" + meters + "\tmax." +
                                 std::to_string(1000 - std::stoi(meters)) + "\t01.01.2025\n"));

    EXPECT_EQ(test::StateOf(diary), before);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, JetDiaryProgramTest,
                         ::testing::Values(YearFigures{"diary-jet3.mdb", "997", "650"},
                                           YearFigures{"diary-jet4.mdb", "997", "643"}),
                         [](const auto& p) { return p.index == 0 ? "Jet3" : "Jet4"; });

TEST_F(JetProgramTest, aDiaryWithAnotherPasswordShowsNothingOfItsContents) {
    const std::string diary = UseDiary("diary-jet3-other-password.mdb");
    const test::FileState before = test::StateOf(diary);
    const test::ProcessResult r = Cli({"consumption"});
    EXPECT_THAT(r.out, Not(HasSubstr("Erika")));
    EXPECT_THAT(r.out, Not(HasSubstr("\t50\t")));
    EXPECT_THAT(Err(), HasSubstr("3031"));
    EXPECT_EQ(test::StateOf(diary), before);
}

TEST_F(JetProgramTest, aDiaryWithoutPasswordOpens) {
    UseDiary("diary-jet3-no-password.mdb");
    const test::ProcessResult r = Cli({"consumption"});
    ASSERT_EQ(r.status, 0) << Err();
    EXPECT_THAT(r.out, HasSubstr("Tagebuchinhaber:\tErika Müller\n"));
    EXPECT_THAT(r.out, HasSubstr("Insgesamt\t50\tn/a\t\n"));
}

}  // namespace
}  // namespace stripstock
