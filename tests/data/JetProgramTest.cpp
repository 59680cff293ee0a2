// The whole program on a host whose open diary is a Jet file: the built stripstock-cli, run as
// the host would have it, with the registry store naming a copy of a fixture.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <sstream>

#include "DataFixtures.h"
#include "tools/HostSim.h"

namespace stripstock {
namespace {

using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::Not;

class JetProgramTest : public test::HostFixture {
  protected:
    JetProgramTest() {
        std::filesystem::create_directory(Path("host"));
        for (const std::string code : {"24", "25", "73"})
            AddModule("M" + code, "0", "a|b|c|" + code, "Messgerät " + code);
    }

    // The host has a copy of the fixture open as its diary, named as the host names them.
    std::string UseDiary(const std::string& fixture) {
        const std::string path = Path("host/MUELLER.VLD");
        std::filesystem::copy_file(std::string(STRIPSTOCK_JET_DATA) + "/" + fixture, path);
        return hostsim::UseDiary(*registry, path);
    }

    // What the program prints; "failed" when it ends with an error. No argument holds a quote.
    std::string Cli(const std::vector<std::string>& args) {
        std::string command = "STRIPSTOCK_REGISTRY='" + Path("registry.reg") +
                              "' STRIPSTOCK_DEBUG=1 '" STRIPSTOCK_CLI "' --program-dir '" +
                              programDir + "'";
        for (const std::string& arg : args) command += " '" + arg + "'";
        return test::CommandOutput(command + " 2>'" + Path("cli.err") + "'").value_or("failed");
    }
    std::string Err() const { return test::ReadBytes(Path("cli.err")); }

    // The position of a meter code in the list strip-save's --select counts in.
    std::string MeterPosition(const std::string& code) {
        std::istringstream lines(Cli({"strip-meters"}));
        std::string line;
        for (int pos = 0; std::getline(lines, line); ++pos) {
            if (line.rfind(code + "\t", 0) == 0) return std::to_string(pos);
        }
        ADD_FAILURE() << "meter " << code << " not listed";
        return "0";
    }
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
    const std::string path = UseDiary(GetParam().fixture);
    const test::FileState before = test::StateOf(path);
    EXPECT_THAT(Cli({"status"}), HasSubstr("DiaryDbPath=" + path + "\n")) << Err();
    std::string out = Cli({"consumption"});
    EXPECT_THAT(out, HasSubstr("Tagebuchinhaber:\tErika Müller\n")) << Err();
    EXPECT_THAT(out, HasSubstr("Insgesamt\t2000\tn/a\t\n"));

    // A strip for meters 24 and 25, prescribed on 1.1.2025: the year 2025 is counted.
    ASSERT_NE(Cli({"strip-save", "--name", "Streifen 24/25", "--select",
                   MeterPosition("24") + "," + MeterPosition("25")}),
              "failed")
        << Err();
    ASSERT_NE(Cli({"new-prescription", "--amount", "1000", "--date", "1.1.2025", "--strip", "0"}),
              "failed")
        << Err();
    out = Cli({"consumption"});
    const std::string total = GetParam().total2025;
    const std::string meters = GetParam().meters2025;
    EXPECT_THAT(out, HasSubstr("Berechnung beginnt ab:\t01.01.2025\n")) << Err();
    EXPECT_THAT(out, HasSubstr("Insgesamt\t" + total + "\t" +
                               std::to_string(1000 - std::stoi(total)) + "\t01.01.2025\n"));
    EXPECT_THAT(out, HasSubstr("Streifen 24/25\t" + meters + "\tmax." +
                               std::to_string(1000 - std::stoi(meters)) + "\t01.01.2025\n"));
    EXPECT_EQ(test::StateOf(path), before);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, JetDiaryProgramTest,
                         ::testing::Values(YearFigures{"diary-jet3.mdb", "997", "650"},
                                           YearFigures{"diary-jet4.mdb", "997", "643"}),
                         [](const auto& p) { return p.index == 0 ? "Jet3" : "Jet4"; });

TEST_F(JetProgramTest, aDiaryWithAnotherPasswordShowsNothingOfItsContentsOneWithoutOpens) {
    const std::string path = UseDiary("diary-jet3-other-password.mdb");
    const test::FileState before = test::StateOf(path);
    const std::string out = Cli({"consumption"});
    EXPECT_THAT(out, Not(HasSubstr("Erika")));
    EXPECT_THAT(out, Not(HasSubstr("\t50\t")));
    EXPECT_THAT(Err(), HasSubstr("3031"));
    EXPECT_EQ(test::StateOf(path), before);

    std::filesystem::remove(path);
    UseDiary("diary-jet3-no-password.mdb");
    EXPECT_THAT(Cli({"consumption"}), AllOf(HasSubstr("Tagebuchinhaber:\tErika Müller\n"),
                                            HasSubstr("Insgesamt\t50\tn/a\t\n")))
        << Err();
}

}  // namespace
}  // namespace stripstock
