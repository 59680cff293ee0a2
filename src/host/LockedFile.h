#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace stripstock {

// A file that several writers, in this process or others, read, change and replace whole
// (the registry store, the host's import.ini). A writer holds the file's lock from its read
// to its replacement, so no writer's change is lost; the replacement goes through a synced
// temporary file of a name of its own, so a reader sees the old text or the new one, never a
// part.
// The file a write to path really replaces: a symlink's target, so that the link stays.
std::filesystem::path WriteTarget(const std::filesystem::path& path);

class LockedFile {
  public:
    // Takes the exclusive lock on "<file>.lock" beside the file that is really written (a
    // symlinked file keeps its link), waiting for other writers; where names the caller in
    // the debug log.
    LockedFile(const std::filesystem::path& path, std::string where);
    ~LockedFile();
    LockedFile(const LockedFile&) = delete;
    LockedFile& operator=(const LockedFile&) = delete;

    // False when the lock file could not be made or locked; then nothing may be written.
    bool locked() const { return m_locked; }
    const std::filesystem::path& target() const { return m_target; }

    // Replaces the file's content with bytes (keeping its permissions) and syncs it; false,
    // logged, when it could not, and the file is as it was.
    bool Replace(std::string_view bytes) const;

  private:
    std::filesystem::path m_target;
    std::string m_where;
#ifdef _WIN32
    void* m_handle = nullptr;
#else
    int m_fd = -1;
#endif
    bool m_locked = false;
};

}  // namespace stripstock
