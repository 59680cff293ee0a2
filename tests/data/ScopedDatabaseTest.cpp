#include "data/ScopedDatabase.h"

#include <gtest/gtest.h>

#include "DataFixtures.h"
#include "data/Schema.h"
#include "data/Session.h"

namespace stripstock {
namespace {

class ScopedDatabaseTest : public test::HostFixture {
  protected:
    void SetUp() override {
        test::MakeDiary(diaryPath, {{{{"name", dao::Value{std::string("Meier")}}}}}, {}, "quomba");
        ctx.StripDbPath = companionPath;
        CreateCompanion();
    }
    std::int32_t LedgerRows() {
        auto db = OpenCompanion();
        return dao::ToLong(test::FirstValue(*db, "SELECT count(*) AS n FROM teststrips", "n"));
    }

    std::string diaryPath = Path("Tagebuch.VLD");
    std::string companionPath = Path("TAGEBUCH.VLT");
};

TEST_F(ScopedDatabaseTest, sessionWayFillsTheSharedObjectsAndClosesThemAtScopeEnd) {
    std::shared_ptr<dao::Recordset> kept;
    {
        auto scoped = ScopedDatabase::ThroughSession(ctx, diaryPath, true, "test");
        ASSERT_TRUE(scoped.IsOpen());
        EXPECT_EQ(scoped.status(), 0);
        kept = scoped.OpenRecordset("SELECT * FROM patdat", dao::dbOpenSnapshot);
        ASSERT_NE(kept, nullptr);
        EXPECT_EQ(kept, ctx.session.Rs);
        EXPECT_EQ(dao::ToText(kept->GetField("name")), "Meier");
    }
    ASSERT_NE(ctx.session.Db, nullptr);
    EXPECT_FALSE(ctx.session.Db->IsOpen());
    EXPECT_EQ(test::ErrorOf([&] { kept->GetField("name"); }), dao::kErrObjectClosed);

    SessionObjects own;
    {
        auto scoped = ScopedDatabase::ThroughSession(ctx, own, diaryPath, true, "test");
        EXPECT_TRUE(scoped.IsOpen());
        EXPECT_NE(own.Db, nullptr);
    }
    EXPECT_FALSE(own.Db->IsOpen());
}

TEST_F(ScopedDatabaseTest, ownEngineWayLeavesTheSessionAloneAndClosesOnEveryExit) {
    std::shared_ptr<dao::Recordset> kept;
    auto read = [&] {
        auto companion = ScopedDatabase::WithOwnEngine(ctx, companionPath, true, "test");
        kept = companion.OpenRecordset("teststrips", dao::dbOpenDynaset);
        throw dao::JetError(dao::kErrEngine, "the operation fails half-way");
    };
    EXPECT_EQ(test::ErrorOf(read), dao::kErrEngine);
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(test::ErrorOf([&] { kept->MoveFirst(); }), dao::kErrObjectClosed);
    EXPECT_EQ(ctx.session.Db, nullptr);
}

TEST_F(ScopedDatabaseTest, aDatabaseThatCannotBeOpenedSaysWhy) {
    auto missing = ScopedDatabase::WithOwnEngine(ctx, Path("fehlt.VLT"), true, "test");
    EXPECT_FALSE(missing);
    EXPECT_EQ(missing.status(), dao::kErrFileNotFound);
    EXPECT_FALSE(missing.error().empty());
    EXPECT_EQ(missing.OpenRecordset("teststrips", dao::dbOpenDynaset), nullptr);
    EXPECT_NE(missing.lastError(), 0);

    auto noPassword = ScopedDatabase::WithOwnEngine(ctx, diaryPath, true, "test");
    EXPECT_EQ(noPassword.status(), dao::kErrNotValidPassword);
    auto noFile = ScopedDatabase::ThroughSession(ctx, "", true, "test");
    EXPECT_EQ(noFile.status(), kStatusEmptyPath);

    ctx.engines.reset();
    EXPECT_EQ(ScopedDatabase::WithOwnEngine(ctx, companionPath, true, "test").status(),
              dao::kErrCannotCreateObject);
}

TEST_F(ScopedDatabaseTest, changesInATransactionCountOnlyWhenCommitted) {
    {
        auto companion = ScopedDatabase::WithOwnEngine(ctx, companionPath, false, "test");
        companion->BeginTrans();
        test::AddLedgerRow(companion.database(), test::Day(2024, 3, 1), 1, 50);
        EXPECT_EQ(test::ErrorOf([&] { companion->BeginTrans(); }), dao::kErrInvalidOperation);
    }
    EXPECT_EQ(LedgerRows(), 0);
    {
        auto companion = ScopedDatabase::WithOwnEngine(ctx, companionPath, false, "test");
        companion->BeginTrans();
        test::AddLedgerRow(companion.database(), test::Day(2024, 3, 1), 1, 50);
        test::AddLedgerRow(companion.database(), test::Day(2024, 3, 2), 1, 60);
        companion->CommitTrans();
    }
    EXPECT_EQ(LedgerRows(), 2);
}

}  // namespace
}  // namespace stripstock
