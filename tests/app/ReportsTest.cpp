#include <gtest/gtest.h>

#include "app/Reports.h"
#include "support/Files.h"

using namespace stripstock;
using stripstock::test::Day;

// The proposed file name must be safe on every file system and never read as an option.
TEST(ReportsTest, proposesAFileSafeNameWithTheOwnerAndTheDay) {
    const double today = Day(2026, 3, 5);
    EXPECT_EQ(ReportFileName("Erika Müller", today, "pdf"),
              "Teststreifen-Nachweis-Erika-Müller-2026-03-05.pdf");
    EXPECT_EQ(ReportFileName("- .Anna/Lena: B.", today, "csv"),
              "Teststreifen-Nachweis-AnnaLena-B-2026-03-05.csv");
    EXPECT_EQ(ReportFileName("..--", today, "pdf"), "Teststreifen-Nachweis-2026-03-05.pdf");
}
