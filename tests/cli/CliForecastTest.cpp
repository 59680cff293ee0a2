#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

#include "cli/Cli.h"
#include "data/Dao.h"
#include "support/HostFixture.h"

using namespace stripstock;
using ::testing::HasSubstr;

namespace {

// Today is 1.3.2010. Since 1.2.2010, 28 days: "Ultra" (meter 25) 2 readings a day and 4 strips
// lost, "Compact" (meter 24) 1 reading a day.
class CliForecastTest : public test::CompanionFixture {
  protected:
    void SetUp() override {
        OpenDiary();
        AddStrip("Ultra", "|25|");
        AddStrip("Compact", "|24|");
        AddLedger(test::Day(2010, 2, 1), 1, 70);
        AddLedger(test::Day(2010, 2, 1), 2, 100);
        AddLedger(test::Day(2010, 2, 15), 25, -4);
        for (int d = 1; d <= 28; ++d) {
            AddReadings(25, test::Day(2010, 2, d), 2);
            AddReadings(24, test::Day(2010, 2, d), 1);
        }
    }

    int Run(const std::vector<std::string>& args) {
        Context runCtx = MakeContext();
        out.str({});
        err.str({});
        return RunCliWithContext(runCtx, args, out, err);
    }

    std::ostringstream out;
    std::ostringstream err;
};

TEST_F(CliForecastTest, forecastPrintsTheTotalFirstThenEachDefinition) {
    ASSERT_EQ(Run({"forecast"}), kExitDone) << err.str();
    EXPECT_EQ(out.str(),
              "-1\tGesamt\t82\t3.1\t27.03.2010\t\n"
              "1\tUltra\t10\t2.1\t05.03.2010\twarn\n"
              "2\tCompact\t72\t1.0\t12.05.2010\t\n");

    // A shorter warning period from the registry; an unusable rate window keeps its default.
    registry->RegWriteString(kHkeyLocalMachine, ctx.AddonRegKey, "WarnDays", "3");
    registry->RegWriteString(kHkeyLocalMachine, ctx.AddonRegKey, "RateDays", "nie");
    ASSERT_EQ(Run({"forecast"}), kExitDone);
    EXPECT_THAT(out.str(), HasSubstr("1\tUltra\t10\t2.1\t05.03.2010\t\n"));
}

TEST_F(CliForecastTest, historyByMonthOrQuarterForAllOrOneDefinition) {
    ASSERT_EQ(Run({"history"}), kExitDone) << err.str();
    EXPECT_EQ(out.str(), "2010-02\t170\t88\t82\n2010-03\t0\t0\t82\n");
    ASSERT_EQ(Run({"history", "--strip", "1"}), kExitDone);
    EXPECT_EQ(out.str(), "2010-02\t70\t60\t10\n2010-03\t0\t0\t10\n");
    ASSERT_EQ(Run({"history", "--by", "quarter", "--strip", "2"}), kExitDone);
    EXPECT_EQ(out.str(), "2010-Q1\t100\t28\t72\n");

    EXPECT_EQ(Run({"history", "--strip", "9"}), kExitInputRefused);
    EXPECT_EQ(err.str(), "stripstock-cli: strip definition 9 not found\n");
    EXPECT_EQ(Run({"history", "--by", "week"}), kExitUsage);
}

TEST_F(CliForecastTest, anUnreadableDiaryLeavesTheStocksEmptyAndSaysWhy) {
    dao::SetDatabasePassword(diary, "anders");
    EXPECT_EQ(Run({"forecast"}), kExitStorageFailure);
    EXPECT_THAT(err.str(), HasSubstr("Das Tagebuch konnte nicht gelesen werden: das Kennwort"));
    EXPECT_THAT(out.str(), HasSubstr("-1\tGesamt\t\t0.0\t\t\n1\tUltra\t\t0.0\t\t\n"));
    EXPECT_EQ(Run({"history"}), kExitStorageFailure);
    EXPECT_EQ(out.str(), "2010-02\t170\t4\t166\n2010-03\t0\t0\t166\n");
}

}  // namespace
