#include "host/LockedFile.h"

#include <cerrno>
#include <cstring>
#include <system_error>
#include <utility>

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

bool LockedFile::Replace(std::string_view bytes) const {
    static unsigned counter = 0;
    fs::path temp = m_target;
    temp += L".tmp" + std::to_wstring(GetCurrentProcessId()) + L"." + std::to_wstring(++counter);
    const int fd =
        _wopen(temp.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (fd < 0) {
        DebugLog(m_where, "cannot create " + PathToUtf8(temp));
        return false;
    }
    bool ok = true;
    std::size_t done = 0;
    while (ok && done < bytes.size()) {
        const int n = _write(fd, bytes.data() + done, static_cast<unsigned>(bytes.size() - done));
        ok = n > 0;
        done += ok ? static_cast<std::size_t>(n) : 0;
    }
    ok = ok && _commit(fd) == 0;
    ok = _close(fd) == 0 && ok;
    if (ok) {
        // A reader that has the file open can make the replacement fail for a moment.
        ok = false;
        for (int attempt = 0; attempt < 50 && !ok; ++attempt) {
            ok = MoveFileExW(temp.c_str(), m_target.c_str(),
                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
            if (!ok) {
                Sleep(20);
            }
        }
    }
    if (!ok) {
        DebugLog(m_where, "cannot replace " + PathToUtf8(m_target));
        _wunlink(temp.c_str());
        return false;
    }
    return true;
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

bool LockedFile::Replace(std::string_view bytes) const {
    std::string temp = m_target.string() + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        DebugLog(m_where, "cannot create " + temp + ": " + std::strerror(errno));
        return false;
    }
    struct stat st {};
    const mode_t mode = ::stat(m_target.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0644;
    bool ok = ::fchmod(fd, mode) == 0;
    std::size_t done = 0;
    while (ok && done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        ok = n > 0;
        done += ok ? static_cast<std::size_t>(n) : 0;
    }
    ok = ok && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(temp.c_str(), m_target.c_str()) == 0;
    if (!ok) {
        DebugLog(m_where, "cannot write " + m_target.string() + ": " + std::strerror(errno));
        ::unlink(temp.c_str());
        return false;
    }
    // Make the rename itself durable.
    const int dir = ::open(m_target.parent_path().empty() ? "." : m_target.parent_path().c_str(),
                           O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

#endif

}  // namespace stripstock
