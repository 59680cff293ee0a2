#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <ostream>

#include "LedgerFixture.h"
#include "prescriptions/FaultyMeasurement.h"
#include "prescriptions/NewPrescription.h"

namespace stripstock::test {
namespace {

class EntryDialogsTest : public LedgerFixture {
  protected:
    // Three definitions, so that the positions 0..2 exist in the strip list.
    void AddThreeStrips() { m_ids = {AddStrip("Alpha"), AddStrip("Beta"), AddStrip("Gamma")}; }
    std::vector<std::int32_t> m_ids;
};

// --- refused input: both dialogs, nothing written --------------------------------------------

struct RefusedCase {
    const char* date;
    const char* count;
    EntryFocus focus;
};

void PrintTo(const RefusedCase& c, std::ostream* os) {
    *os << "date \"" << c.date << "\", count \"" << c.count << "\"";
}

class RefusedEntryTest : public EntryDialogsTest,
                         public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(RefusedEntryTest, staysOpenWithMessageAndWritesNothing) {
    AddThreeStrips();
    SetLastMeter("2");
    const auto& c = GetParam();
    const bool dateRefused = c.focus == EntryFocus::Date;
    const auto form = LoadNewPrescription(ctx);
    const EntryOutcome prescription = ConfirmNewPrescription(ctx, form, c.count, c.date, 1);
    EXPECT_FALSE(prescription.closed);
    EXPECT_FALSE(prescription.storageFailure);
    EXPECT_EQ(prescription.focus, c.focus);
    EXPECT_EQ(prescription.message,
              dateRefused ? kInvalidDateMessage : kNewPrescriptionAmountMessage);
    const EntryOutcome faulty = ConfirmFaultyMeasurement(ctx, c.count, c.date, 1);
    EXPECT_FALSE(faulty.closed);
    EXPECT_FALSE(faulty.storageFailure);
    EXPECT_EQ(faulty.focus, c.focus);
    EXPECT_EQ(faulty.message, dateRefused ? kInvalidDateMessage : kFaultyCountMessage);
    EXPECT_TRUE(LedgerRows().empty());
    EXPECT_EQ(LastMeter(), "2");
}

INSTANTIATE_TEST_SUITE_P(Inputs, RefusedEntryTest,
                         ::testing::Values(RefusedCase{"30.12.1899", "5", EntryFocus::Date},
                                           RefusedCase{"abc", "5", EntryFocus::Date},
                                           RefusedCase{"", "5", EntryFocus::Date},
                                           // the date is checked before the count
                                           RefusedCase{"abc", "abc", EntryFocus::Date},
                                           RefusedCase{"1.2.2010", "0", EntryFocus::Amount},
                                           RefusedCase{"1.2.2010", "-3", EntryFocus::Amount},
                                           RefusedCase{"1.2.2010", "abc", EntryFocus::Amount},
                                           RefusedCase{"1.2.2010", "", EntryFocus::Amount},
                                           RefusedCase{"1.2.2010", "32768", EntryFocus::Amount}));

// --- new prescription ---------------------------------------------------------------------------

struct AmountCase {
    const char* text;
    std::int32_t stored;
};

void PrintTo(const AmountCase& c, std::ostream* os) { *os << "\"" << c.text << "\""; }

class AcceptedAmountTest : public EntryDialogsTest,
                           public ::testing::WithParamInterface<AmountCase> {};

TEST_P(AcceptedAmountTest, storesRoundedAmount) {
    AddThreeStrips();
    const auto form = LoadNewPrescription(ctx);
    const EntryOutcome outcome = ConfirmNewPrescription(ctx, form, GetParam().text, "1.2.2010", 0);
    ASSERT_TRUE(outcome.closed) << outcome.message;
    const auto rows = LedgerRows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].amount, GetParam().stored);
}

INSTANTIATE_TEST_SUITE_P(Amounts, AcceptedAmountTest,
                         ::testing::Values(AmountCase{"50", 50}, AmountCase{"2,5", 2},
                                           AmountCase{"3,5", 4}, AmountCase{"32767", 32767}));

TEST_F(EntryDialogsTest, newPrescriptionStoresRowAndRemembersPosition) {
    AddThreeStrips();
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
}

TEST_F(EntryDialogsTest, emptyCatalogueStoresTypeZeroAndMinusOne) {
    const auto form = LoadNewPrescription(ctx);
    EXPECT_TRUE(form.strips.empty());
    EXPECT_EQ(form.selected, -1);
    ASSERT_TRUE(ConfirmNewPrescription(ctx, form, "10", "1.2.2010", form.selected).closed);
    const auto rows = LedgerRows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(dao::ToLong(rows[0].type), 0);
    EXPECT_EQ(LastMeter(), "-1");
}

// A strip ID the 16-bit Type field cannot hold must not be stored as some other type.
TEST_F(EntryDialogsTest, stripIdBeyondTypeFieldIsNotStored) {
    NewPrescriptionForm form;
    form.strips = {{"Huge", 40000}};
    form.selected = 0;
    SetLastMeter("1");
    const EntryOutcome outcome = ConfirmNewPrescription(ctx, form, "5", "1.2.2010", 0);
    EXPECT_FALSE(outcome.closed);
    EXPECT_TRUE(outcome.storageFailure);
    EXPECT_TRUE(LedgerRows().empty());
    EXPECT_EQ(LastMeter(), "1");
}

// --- remembered position ------------------------------------------------------------------------

struct LastMeterCase {
    const char* stored;  // nullptr: never written
    int stripPosition;   // in a list of three strip definitions
    int meterPosition;   // in the 23 meters of the faulty measurement dialog
};

void PrintTo(const LastMeterCase& c, std::ostream* os) {
    *os << "LastMeter " << (c.stored ? c.stored : "<none>");
}

class LastMeterTest : public EntryDialogsTest,
                      public ::testing::WithParamInterface<LastMeterCase> {};

TEST_P(LastMeterTest, appliesPositionOnlyWhenTheListHasIt) {
    AddThreeStrips();
    if (GetParam().stored) SetLastMeter(GetParam().stored);
    EXPECT_EQ(LoadNewPrescription(ctx).selected, GetParam().stripPosition);
    const auto faulty = LoadFaultyMeasurement(ctx);
    EXPECT_EQ(faulty.meters.size(), 23u);
    EXPECT_EQ(faulty.selected, GetParam().meterPosition);
}

INSTANTIATE_TEST_SUITE_P(Values, LastMeterTest,
                         ::testing::Values(LastMeterCase{nullptr, 0, 0}, LastMeterCase{"1", 1, 1},
                                           LastMeterCase{" 2 ", 2, 2}, LastMeterCase{"14", 0, 14},
                                           LastMeterCase{"22", 0, 22}, LastMeterCase{"23", 0, -1},
                                           LastMeterCase{"-1", 0, -1}, LastMeterCase{"x", 0, -1}));

// --- faulty measurements ------------------------------------------------------------------------

TEST_F(EntryDialogsTest, faultyMeasurementStoresNegatedCountAndMeterCode) {
    const auto form = LoadFaultyMeasurement(ctx);
    ASSERT_EQ(form.meters.at(14), "Accu-Chek Compact");
    const EntryOutcome outcome = ConfirmFaultyMeasurement(ctx, "3", "1.2.2010", 14);
    EXPECT_TRUE(outcome.closed);
    const auto rows = LedgerRows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_DOUBLE_EQ(rows[0].date, Day(2010, 2, 1));
    EXPECT_EQ(dao::ToLong(rows[0].type), 24);
    EXPECT_EQ(rows[0].amount, -3);
    EXPECT_EQ(LastMeter(), "14");
}

TEST_F(EntryDialogsTest, faultyMeasurementWithoutMeterStoresTypeZero) {
    SetLastMeter("30");
    const auto form = LoadFaultyMeasurement(ctx);
    ASSERT_EQ(form.selected, -1);
    ASSERT_TRUE(ConfirmFaultyMeasurement(ctx, "2", "1.2.2010", form.selected).closed);
    const auto rows = LedgerRows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(dao::ToLong(rows[0].type), 0);
    EXPECT_EQ(rows[0].amount, -2);
    EXPECT_EQ(LastMeter(), "-1");
}

// --- storage failures: the dialog stays open and says so ----------------------------------------

struct Breakage {
    const char* name;
    std::function<void(LedgerFixture&, Context&)> apply;
    const char* cause;  // named on the message's second line
};

void PrintTo(const Breakage& b, std::ostream* os) { *os << b.name; }

class StorageFailureTest : public EntryDialogsTest,
                           public ::testing::WithParamInterface<Breakage> {};

TEST_P(StorageFailureTest, reportsFailureAndKeepsLastMeter) {
    AddThreeStrips();
    SetLastMeter("1");
    const auto form = LoadNewPrescription(ctx);
    GetParam().apply(*this, ctx);
    const EntryOutcome prescription = ConfirmNewPrescription(ctx, form, "50", "1.2.2010", 2);
    EXPECT_FALSE(prescription.closed);
    EXPECT_TRUE(prescription.storageFailure);
    EXPECT_EQ(prescription.focus, EntryFocus::None);
    EXPECT_THAT(prescription.message,
                ::testing::StartsWith(std::string(kNewPrescriptionStoreFailedMessage) + "\n"));
    EXPECT_THAT(prescription.message, ::testing::HasSubstr(GetParam().cause));
    const EntryOutcome faulty = ConfirmFaultyMeasurement(ctx, "3", "1.2.2010", 14);
    EXPECT_FALSE(faulty.closed);
    EXPECT_TRUE(faulty.storageFailure);
    EXPECT_THAT(faulty.message,
                ::testing::StartsWith(std::string(kFaultyStoreFailedMessage) + "\n"));
    EXPECT_THAT(faulty.message, ::testing::HasSubstr(GetParam().cause));
    EXPECT_EQ(LastMeter(), "1");
}

INSTANTIATE_TEST_SUITE_P(
    Breakages, StorageFailureTest,
    ::testing::Values(Breakage{"missingCompanion",
                               [](LedgerFixture&, Context& c) {
                                   std::filesystem::remove(c.StripDbPath);
                               },
                               "die Datei fehlt"},
                      Breakage{"notADatabase",
                               [](LedgerFixture&, Context& c) {
                                   std::ofstream(c.StripDbPath, std::ios::trunc)
                                       << "no database here";
                               },
                               "keine Datenbank"},
                      Breakage{"noLedgerTable",
                               [](LedgerFixture&, Context& c) {
                                   std::filesystem::remove(c.StripDbPath);
                                   auto engine = c.engines->Create("DAO.DBEngine.36");
                                   auto db = engine->CreateDatabase(
                                       c.StripDbPath, dao::dbLangGeneral, dao::dbVersion30);
                                   AppendStripsTable(*db);
                                   db->Close();
                               },
                               "teststrips"},
                      Breakage{"noEngine",
                               [](LedgerFixture&, Context& c) {
                                   c.engines->Withdraw("DAO.DBEngine.35");
                                   c.engines->Withdraw("DAO.DBEngine.36");
                               },
                               "keine Datenbank-Engine"}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(EntryDialogsTest, missingCompanionIsNotCreatedByTheDialogs) {
    std::filesystem::remove(ctx.StripDbPath);
    ConfirmNewPrescription(ctx, NewPrescriptionForm{}, "5", "1.2.2010", -1);
    ConfirmFaultyMeasurement(ctx, "5", "1.2.2010", 0);
    EXPECT_FALSE(std::filesystem::exists(ctx.StripDbPath));
}

TEST_F(EntryDialogsTest, olderEngineMissingFallsBackToNewer) {
    ctx.engines->Withdraw("DAO.DBEngine.35");
    EXPECT_TRUE(ConfirmFaultyMeasurement(ctx, "1", "1.2.2010", 0).closed);
    EXPECT_EQ(LedgerRows().size(), 1u);
}

}  // namespace
}  // namespace stripstock::test
