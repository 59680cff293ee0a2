#pragma once

#include <filesystem>
#include <random>
#include <string>
#include <system_error>

namespace stripstock::test {

// A fresh folder below the system's temporary folder, removed with everything in it.
class TempDir {
  public:
    TempDir() {
        std::random_device seed;
        const auto base = std::filesystem::temp_directory_path();
        for (;;) {
            m_path = base / ("stripstock-test-" + std::to_string(seed()));
            if (std::filesystem::create_directory(m_path)) {
                break;
            }
        }
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    std::string file(const std::string& name) const { return (m_path / name).string(); }
    std::string operator/(const std::string& name) const { return file(name); }

  private:
    std::filesystem::path m_path;
};

}  // namespace stripstock::test
