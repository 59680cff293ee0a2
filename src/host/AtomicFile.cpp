#include "host/AtomicFile.h"

#include <cerrno>
#include <cstring>
#include <system_error>

#include "host/LockedFile.h"
#include "text/TextHelpers.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <cstdio>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace stripstock {

namespace fs = std::filesystem;

std::string DescribeFileError(int error) {
    switch (error) {
        case EACCES:
        case EPERM:
            return "keine Berechtigung, dort zu schreiben";
        case EROFS:
            return "der Datenträger ist schreibgeschützt";
        case ENOENT:
        case ENOTDIR:
            return "der Ordner existiert nicht";
        case ENOSPC:
#ifdef EDQUOT
        case EDQUOT:
#endif
            return "kein Platz mehr auf dem Datenträger";
        case EISDIR:
            return "dort ist ein Ordner";
        case ENAMETOOLONG:
            return "der Dateiname ist zu lang";
        default:
            return "Fehler " + std::to_string(error) + " (" + std::strerror(error) + ")";
    }
}

namespace {

bool Fail(const fs::path& target, int error, std::string* reason) {
    if (reason) *reason = PathToUtf8(target) + ": " + DescribeFileError(error);
    return false;
}

}  // namespace

#ifdef _WIN32

bool WriteFileAtomically(const fs::path& path, std::string_view bytes, std::string* reason) {
    const fs::path target = WriteTarget(path);
    // "<file>.tmp-XXXXXX" as on other systems; a name that exists already is passed over.
    static unsigned counter = 0;
    fs::path temp;
    int fd = -1;
    while (fd < 0) {
        wchar_t suffix[12];
        std::swprintf(suffix, 12, L".tmp-%06X",
                      (GetCurrentProcessId() * 7919u + GetTickCount() + ++counter) & 0xFFFFFFu);
        temp = target;
        temp += suffix;
        fd = _wopen(temp.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) return Fail(target, errno, reason);
    bool ok = true;
    int error = 0;
    std::size_t done = 0;
    while (ok && done < bytes.size()) {
        const int n = _write(fd, bytes.data() + done, static_cast<unsigned>(bytes.size() - done));
        ok = n > 0;
        done += ok ? static_cast<std::size_t>(n) : 0;
    }
    ok = ok && _commit(fd) == 0;
    if (!ok) error = errno;
    ok = _close(fd) == 0 && ok;
    if (ok) {
        // A reader that has the file open can make the replacement fail for a moment.
        ok = false;
        for (int attempt = 0; attempt < 50 && !ok; ++attempt) {
            ok = MoveFileExW(temp.c_str(), target.c_str(),
                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
            if (!ok) Sleep(20);
        }
        if (!ok) error = EACCES;
    }
    if (!ok) {
        _wunlink(temp.c_str());
        return Fail(target, error != 0 ? error : EIO, reason);
    }
    return true;
}

#else

bool WriteFileAtomically(const fs::path& path, std::string_view bytes, std::string* reason) {
    const fs::path target = WriteTarget(path);
    std::string temp = target.string() + ".tmp-XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) return Fail(target, errno, reason);
    struct stat st {};
    const mode_t mode = ::stat(target.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0644;
    bool ok = ::fchmod(fd, mode) == 0;
    int error = ok ? 0 : errno;
    std::size_t done = 0;
    while (ok && done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
        if (!ok) error = n < 0 ? errno : ENOSPC;
        done += ok ? static_cast<std::size_t>(n) : 0;
    }
    if (ok && ::fsync(fd) != 0) {
        ok = false;
        error = errno;
    }
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok && ::rename(temp.c_str(), target.c_str()) != 0) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        ::unlink(temp.c_str());
        return Fail(target, error, reason);
    }
    // Make the rename itself durable.
    const int dir = ::open(target.parent_path().empty() ? "." : target.parent_path().c_str(),
                           O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

#endif

}  // namespace stripstock
