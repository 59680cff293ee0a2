#include <gtest/gtest.h>
#include <unistd.h>

#include <cstddef>
#include <filesystem>
#include <iterator>

#include "host/AtomicFile.h"
#include "support/Files.h"
#include "support/TempDir.h"

namespace stripstock::test {
namespace {

namespace fs = std::filesystem;

std::ptrdiff_t Entries(const fs::path& folder) {
    return std::distance(fs::directory_iterator(folder), fs::directory_iterator{});
}

TEST(AtomicFileTest, replacesTheContentKeepingPermissionsAndSymlinks) {
    const TempDir dir;
    const std::string file = dir / "bericht.pdf";
    ASSERT_TRUE(WriteFileAtomically(file, "alt"));
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    const std::string link = dir / "link.pdf";
    fs::create_symlink(file, link);
    ASSERT_TRUE(WriteFileAtomically(link, std::string("neu\0mit Null", 12)));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadBytes(file), std::string("neu\0mit Null", 12));
    EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(Entries(dir.path()), 2);
}

TEST(AtomicFileTest, aFailedWriteLeavesTheOldFileAndNoTemporaryAndSaysWhyInGerman) {
    const TempDir dir;
    const std::string folder = dir / "Ordner";
    fs::create_directory(folder);
    std::string reason;
    EXPECT_FALSE(WriteFileAtomically(folder, "x", &reason));
    EXPECT_EQ(reason, folder + ": dort ist ein Ordner");
    EXPECT_EQ(Entries(dir.path()), 1);
    EXPECT_FALSE(WriteFileAtomically(dir / "fehlt/x.csv", "x", &reason));
    EXPECT_EQ(reason, dir / "fehlt/x.csv" + ": der Ordner existiert nicht");
    // A read-only folder stops everyone but the superuser.
    if (::geteuid() != 0) {
        fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
        EXPECT_FALSE(WriteFileAtomically(folder + "/x.pdf", "x", &reason));
        EXPECT_EQ(reason, folder + "/x.pdf: keine Berechtigung, dort zu schreiben");
        EXPECT_EQ(Entries(folder), 0);
        fs::permissions(folder, fs::perms::owner_all);
    }
}

}  // namespace
}  // namespace stripstock::test
