#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "data/Schema.h"
#include "prescriptions/FaultyMeasurement.h"
#include "prescriptions/NewPrescription.h"
#include "support/HostFixture.h"

namespace stripstock::test {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

class EntryDialogsTest : public CompanionFixture {
  protected:
    // Three definitions, so that the positions 0..2 exist in the strip list.
    void AddThreeStrips() { m_ids = {AddStrip("Alpha"), AddStrip("Beta"), AddStrip("Gamma")}; }
    std::vector<std::int32_t> m_ids;
};

TEST_F(EntryDialogsTest, refusedInputKeepsBothDialogsOpenWithMessageAndWritesNothing) {
    AddThreeStrips();
    SetLastMeter("2");
    const auto form = LoadNewPrescription(ctx);
    const struct {
        const char* date;
        const char* count;
        EntryFocus focus;
    } cases[] = {{"30.12.1899", "5", EntryFocus::Date},
                 {"abc", "5", EntryFocus::Date},
                 {"", "5", EntryFocus::Date},
                 {"abc", "abc", EntryFocus::Date},  // the date is checked before the count
                 {"1.2.2010", "0", EntryFocus::Amount},
                 {"1.2.2010", "-3", EntryFocus::Amount},
                 {"1.2.2010", "abc", EntryFocus::Amount},
                 {"1.2.2010", "", EntryFocus::Amount},
                 {"1.2.2010", "32768", EntryFocus::Amount}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("date \"") + c.date + "\", count \"" + c.count + "\"");
        const bool dateRefused = c.focus == EntryFocus::Date;
        auto expectRefused = [&](const EntryOutcome& outcome, const char* amountMessage) {
            EXPECT_FALSE(outcome.closed);
            EXPECT_FALSE(outcome.storageFailure);
            EXPECT_EQ(outcome.focus, c.focus);
            EXPECT_EQ(outcome.message, dateRefused ? kInvalidDateMessage : amountMessage);
        };
        expectRefused(ConfirmNewPrescription(ctx, form, c.count, c.date, 1),
                      kNewPrescriptionAmountMessage);
        expectRefused(ConfirmFaultyMeasurement(ctx, c.count, c.date, 1), kFaultyCountMessage);
        EXPECT_TRUE(LedgerRows().empty());
        EXPECT_EQ(LastMeter(), "2");
    }
}

// The remembered position applies only when the list has it.
TEST_F(EntryDialogsTest, newPrescriptionStoresRowRoundedAndRemembersPosition) {
    AddThreeStrips();
    const struct {
        const char* stored;  // nullptr: never written
        int stripPosition;   // in the list of three strip definitions
        int meterPosition;   // in the 23 meters of the faulty measurement dialog
    } positions[] = {{nullptr, 0, 0}, {"1", 1, 1},   {" 2 ", 2, 2}, {"14", 0, 14},
                     {"22", 0, 22},   {"23", 0, -1}, {"-1", 0, -1}, {"x", 0, -1}};
    for (const auto& c : positions) {
        SCOPED_TRACE(c.stored ? c.stored : "<none>");
        if (c.stored) SetLastMeter(c.stored);
        EXPECT_EQ(LoadNewPrescription(ctx).selected, c.stripPosition);
        const auto faulty = LoadFaultyMeasurement(ctx);
        EXPECT_EQ(faulty.meters.size(), 23u);
        EXPECT_EQ(faulty.selected, c.meterPosition);
    }
    const auto form = LoadNewPrescription(ctx);
    ASSERT_EQ(form.strips.size(), 3u);
    EXPECT_EQ(form.selected, 0);
    const EntryOutcome outcome = ConfirmNewPrescription(ctx, form, "50", "1.2.2010 14:30", 2);
    EXPECT_TRUE(outcome.closed);
    EXPECT_TRUE(outcome.message.empty());
    const auto rows = LedgerRows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_DOUBLE_EQ(rows[0].date, Day(2010, 2, 1, 14, 30));  // stored with its time
    EXPECT_EQ(dao::ToLong(rows[0].type), m_ids[2]);
    EXPECT_EQ(rows[0].amount, 50);
    EXPECT_EQ(LastMeter(), "2");
    EXPECT_EQ(LoadNewPrescription(ctx).selected, 2);
    const struct {
        const char* text;
        std::int32_t stored;
    } cases[] = {{"50", 50}, {"2,5", 2}, {"3,5", 4}, {"32767", 32767}};
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].text);
        EXPECT_TRUE(ConfirmNewPrescription(ctx, form, cases[i].text, "1.2.2010", 0).closed);
        ASSERT_EQ(LedgerRows().size(), i + 2);
        EXPECT_EQ(LedgerRows().back().amount, cases[i].stored);
    }
}

// A strip ID the 16-bit Type field cannot hold must not be stored as some other type.
TEST_F(EntryDialogsTest, hugeStripIdIsNotStoredAndAnEmptyCatalogueStoresTypeZeroAndMinusOne) {
    NewPrescriptionForm huge;
    huge.strips = {{"Huge", 40000}};
    huge.selected = 0;
    SetLastMeter("1");
    const EntryOutcome outcome = ConfirmNewPrescription(ctx, huge, "5", "1.2.2010", 0);
    EXPECT_FALSE(outcome.closed);
    EXPECT_TRUE(outcome.storageFailure);
    EXPECT_TRUE(LedgerRows().empty());
    EXPECT_EQ(LastMeter(), "1");
    const auto form = LoadNewPrescription(ctx);
    EXPECT_TRUE(form.strips.empty());
    EXPECT_EQ(form.selected, -1);
    ASSERT_TRUE(ConfirmNewPrescription(ctx, form, "10", "1.2.2010", form.selected).closed);
    ASSERT_EQ(LedgerRows().size(), 1u);
    EXPECT_EQ(dao::ToLong(LedgerRows()[0].type), 0);
    EXPECT_EQ(LastMeter(), "-1");
}

TEST_F(EntryDialogsTest, faultyMeasurementStoresNegatedCountAndMeterCodeOrZero) {
    const auto form = LoadFaultyMeasurement(ctx);
    ASSERT_EQ(form.meters.at(14), "Accu-Chek Compact");
    EXPECT_TRUE(ConfirmFaultyMeasurement(ctx, "3", "1.2.2010", 14).closed);
    const auto rows = LedgerRows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_DOUBLE_EQ(rows[0].date, Day(2010, 2, 1));
    EXPECT_EQ(dao::ToLong(rows[0].type), 24);
    EXPECT_EQ(rows[0].amount, -3);
    EXPECT_EQ(LastMeter(), "14");
    // Without a meter: type 0. Only the newer engine is installed: the dialog falls back to it.
    ctx.engines->Withdraw("DAO.DBEngine.35");
    SetLastMeter("30");
    ASSERT_EQ(LoadFaultyMeasurement(ctx).selected, -1);
    ASSERT_TRUE(ConfirmFaultyMeasurement(ctx, "2", "1.2.2010", -1).closed);
    ASSERT_EQ(LedgerRows().size(), 2u);
    EXPECT_EQ(dao::ToLong(LedgerRows()[1].type), 0);
    EXPECT_EQ(LedgerRows()[1].amount, -2);
    EXPECT_EQ(LastMeter(), "-1");
}

TEST_F(EntryDialogsTest, storageFailureKeepsTheDialogsOpenSaysWhyAndKeepsLastMeter) {
    AddThreeStrips();
    SetLastMeter("1");
    const auto form = LoadNewPrescription(ctx);
    const std::string intact = Path("intact.vlt");
    std::filesystem::copy_file(ctx.StripDbPath, intact);
    const struct {
        std::function<void()> apply;
        const char* cause;  // named on the message's second line
    } breakages[] = {{[&] { WriteBytes(ctx.StripDbPath, "no database here"); }, "keine Datenbank"},
                     {[&] {
                          std::filesystem::remove(ctx.StripDbPath);
                          auto db = ctx.engines->Create("DAO.DBEngine.36")
                                        ->CreateDatabase(ctx.StripDbPath, dao::dbLangGeneral,
                                                         dao::dbVersion30);
                          AppendStripsTable(*db);
                          db->Close();
                      },
                      "teststrips"},
                     {[&] {
                          ctx.engines->Withdraw("DAO.DBEngine.35");
                          ctx.engines->Withdraw("DAO.DBEngine.36");
                      },
                      "keine Datenbank-Engine"},
                     // Last: the dialogs must not create the missing file.
                     {[&] { std::filesystem::remove(ctx.StripDbPath); }, "die Datei fehlt"}};
    for (const auto& b : breakages) {
        SCOPED_TRACE(b.cause);
        ctx.engines = std::make_shared<dao::EngineFactory>();
        std::filesystem::copy_file(intact, ctx.StripDbPath,
                                   std::filesystem::copy_options::overwrite_existing);
        b.apply();
        auto expectFailure = [&](const EntryOutcome& outcome, const std::string& headline) {
            EXPECT_FALSE(outcome.closed);
            EXPECT_TRUE(outcome.storageFailure);
            EXPECT_EQ(outcome.focus, EntryFocus::None);
            EXPECT_THAT(outcome.message, AllOf(StartsWith(headline + "\n"), HasSubstr(b.cause)));
        };
        expectFailure(ConfirmNewPrescription(ctx, form, "50", "1.2.2010", 2),
                      kNewPrescriptionStoreFailedMessage);
        expectFailure(ConfirmFaultyMeasurement(ctx, "3", "1.2.2010", 14),
                      kFaultyStoreFailedMessage);
        EXPECT_EQ(LastMeter(), "1");
    }
    EXPECT_FALSE(std::filesystem::exists(ctx.StripDbPath));
}

}  // namespace
}  // namespace stripstock::test
