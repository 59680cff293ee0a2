#include "host/LockedFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <system_error>
#include <utility>

#include "host/AtomicFile.h"
#include "text/TextHelpers.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace stripstock {

namespace fs = std::filesystem;

namespace {

fs::path LockPath(const fs::path& target) {
    fs::path lockPath = target;
    lockPath += ".lock";
    return lockPath;
}

// Temporary copies are named "<file>.tmp-XXXXXX" (six letters or digits). One left behind by a
// writer that was killed is removed by the next writer, which holds the lock, so no writer of
// ours is still using it.
void RemoveStaleTemporaries(const fs::path& target) {
    const std::u8string base = target.filename().u8string() + u8".tmp-";
    std::error_code ec;
    fs::directory_iterator it(target.has_parent_path() ? target.parent_path() : fs::path("."), ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        const std::u8string name = it->path().filename().u8string();
        if (name.size() != base.size() + 6 || name.compare(0, base.size(), base) != 0) {
            continue;
        }
        const bool ours = std::all_of(
            name.begin() + static_cast<std::ptrdiff_t>(base.size()), name.end(), [](char8_t c) {
                return (c >= u8'a' && c <= u8'z') || (c >= u8'A' && c <= u8'Z') ||
                       (c >= u8'0' && c <= u8'9');
            });
        std::error_code removeEc;
        if (ours && it->is_regular_file(removeEc)) {
            fs::remove(it->path(), removeEc);
        }
    }
}

}  // namespace

fs::path WriteTarget(const fs::path& path) {
    std::error_code ec;
    if (fs::is_symlink(path, ec)) {
        fs::path target = fs::canonical(path, ec);
        if (!ec) {
            return target;
        }
    }
    return path;
}

#ifdef _WIN32

LockedFile::LockedFile(const fs::path& path, std::string where)
    : m_target(WriteTarget(path)), m_where(std::move(where)) {
    const HANDLE handle = CreateFileW(LockPath(m_target).c_str(), GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        DebugLog(m_where, "cannot lock " + PathToUtf8(LockPath(m_target)));
        return;
    }
    m_handle = handle;
    OVERLAPPED overlapped{};
    m_locked = LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &overlapped) != 0;
    if (!m_locked) {
        DebugLog(m_where, "cannot lock " + PathToUtf8(LockPath(m_target)));
    }
}

LockedFile::~LockedFile() {
    if (m_handle == nullptr) {
        return;
    }
    const HANDLE handle = static_cast<HANDLE>(m_handle);
    if (m_locked) {
        OVERLAPPED overlapped{};
        UnlockFileEx(handle, 0, MAXDWORD, MAXDWORD, &overlapped);
    }
    CloseHandle(handle);
}

#else

LockedFile::LockedFile(const fs::path& path, std::string where)
    : m_target(WriteTarget(path)), m_where(std::move(where)) {
    m_fd = ::open(LockPath(m_target).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (m_fd >= 0) {
        int rc = 0;
        do {
            rc = ::flock(m_fd, LOCK_EX);
        } while (rc != 0 && errno == EINTR);
        m_locked = rc == 0;
    }
    if (!m_locked) {
        DebugLog(m_where, "cannot lock " + PathToUtf8(LockPath(m_target)));
    }
}

LockedFile::~LockedFile() {
    if (m_fd >= 0) {
        ::close(m_fd);  // releases the lock
    }
}

#endif

bool LockedFile::Replace(std::string_view bytes) const {
    RemoveStaleTemporaries(m_target);
    std::string reason;
    if (!WriteFileAtomically(m_target, bytes, &reason)) {
        DebugLog(m_where, reason);
        return false;
    }
    return true;
}

}  // namespace stripstock
