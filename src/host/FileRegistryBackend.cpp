#include "host/FileRegistryBackend.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
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
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace stripstock {

namespace fs = std::filesystem;

namespace {

std::string FromFsPath(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

// A key path read as advapi32 reads it: the names between separators, so that repeated and
// trailing separators count for nothing, while a leading one makes the path invalid.
std::optional<std::string> ApiKeyPath(const std::string& path) {
    if (!path.empty() && path.front() == '\\') {
        return std::nullopt;
    }
    std::string collapsed;
    collapsed.reserve(path.size());
    for (const char c : path) {
        if (c != '\\' || (!collapsed.empty() && collapsed.back() != '\\')) {
            collapsed += c;
        }
    }
    if (!collapsed.empty() && collapsed.back() == '\\') {
        collapsed.pop_back();
    }
    return RegDocument::NormalizePath(collapsed);
}

bool IsStringType(std::uint32_t type) {
    return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz;
}

bool IsKnownHive(std::uint32_t hive) {
    return hive == kHkeyLocalMachine || hive == kHkeyCurrentUser;
}

// The file that is really replaced: a symlinked store keeps its link.
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

// Exclusive lock on a side file, held until destruction; other writers wait for it.
class FileLock {
  public:
    explicit FileLock(const fs::path& lockPath) {
        m_handle = CreateFileW(lockPath.c_str(), GENERIC_READ | GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (m_handle == INVALID_HANDLE_VALUE) {
            return;
        }
        OVERLAPPED overlapped{};
        m_locked =
            LockFileEx(m_handle, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &overlapped) != 0;
    }
    ~FileLock() {
        if (m_handle == INVALID_HANDLE_VALUE) {
            return;
        }
        if (m_locked) {
            OVERLAPPED overlapped{};
            UnlockFileEx(m_handle, 0, MAXDWORD, MAXDWORD, &overlapped);
        }
        CloseHandle(m_handle);
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    bool locked() const { return m_locked; }

  private:
    HANDLE m_handle = INVALID_HANDLE_VALUE;
    bool m_locked = false;
};

long ReplaceWith(const fs::path& target, const std::string& text) {
    static unsigned counter = 0;
    fs::path temp = target;
    temp += L".tmp" + std::to_wstring(GetCurrentProcessId()) + L"." + std::to_wstring(++counter);
    const int fd =
        _wopen(temp.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (fd < 0) {
        DebugLog("FileRegistryBackend", "cannot create " + FromFsPath(temp));
        return kErrorWriteFault;
    }
    bool ok = true;
    std::size_t done = 0;
    while (ok && done < text.size()) {
        const int n = _write(fd, text.data() + done, static_cast<unsigned>(text.size() - done));
        ok = n > 0;
        done += ok ? static_cast<std::size_t>(n) : 0;
    }
    ok = ok && _commit(fd) == 0;
    ok = _close(fd) == 0 && ok;
    if (ok) {
        // A reader that has the file open can make the replacement fail for a moment.
        ok = false;
        for (int attempt = 0; attempt < 50 && !ok; ++attempt) {
            ok = MoveFileExW(temp.c_str(), target.c_str(),
                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
            if (!ok) {
                Sleep(20);
            }
        }
    }
    if (!ok) {
        DebugLog("FileRegistryBackend", "cannot replace " + FromFsPath(target));
        _wunlink(temp.c_str());
        return kErrorWriteFault;
    }
    return kErrorSuccess;
}

#else

class FileLock {
  public:
    explicit FileLock(const fs::path& lockPath) {
        m_fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (m_fd < 0) {
            return;
        }
        int rc = 0;
        do {
            rc = ::flock(m_fd, LOCK_EX);
        } while (rc != 0 && errno == EINTR);
        m_locked = rc == 0;
    }
    ~FileLock() {
        if (m_fd >= 0) {
            ::close(m_fd);  // releases the lock
        }
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    bool locked() const { return m_locked; }

  private:
    int m_fd = -1;
    bool m_locked = false;
};

long ReplaceWith(const fs::path& target, const std::string& text) {
    std::string temp = target.string() + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        DebugLog("FileRegistryBackend", "cannot create " + temp + ": " + std::strerror(errno));
        return kErrorWriteFault;
    }
    struct stat st {};
    const mode_t mode = ::stat(target.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0644;
    bool ok = ::fchmod(fd, mode) == 0;
    std::size_t done = 0;
    while (ok && done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        ok = n > 0;
        done += ok ? static_cast<std::size_t>(n) : 0;
    }
    ok = ok && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) {
        DebugLog("FileRegistryBackend",
                 "cannot write " + target.string() + ": " + std::strerror(errno));
        ::unlink(temp.c_str());
        return kErrorWriteFault;
    }
    // Make the rename itself durable.
    const int dir = ::open(target.parent_path().empty() ? "." : target.parent_path().c_str(),
                           O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return kErrorSuccess;
}

#endif

}  // namespace

FileRegistryBackend::FileRegistryBackend(std::string path) : m_path(std::move(path)) {}

long FileRegistryBackend::Read(RegDocument& doc) const {
    const fs::path path = Utf8Path(m_path);
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (status.type() == fs::file_type::not_found) {
        doc = RegDocument();
        return kErrorSuccess;
    }
    if (status.type() != fs::file_type::regular) {
        DebugLog("FileRegistryBackend", m_path + " is not a readable file");
        return ec ? kErrorReadFault : kErrorAccessDenied;
    }
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    if (in.is_open()) {
        text << in.rdbuf();
    }
    if (!in.is_open() || in.bad()) {
        DebugLog("FileRegistryBackend", "cannot read " + m_path);
        return kErrorAccessDenied;
    }
    const std::string content = std::move(text).str();
    if (content.size() >= 2 && ((content[0] == '\xFF' && content[1] == '\xFE') ||
                                (content[0] == '\xFE' && content[1] == '\xFF'))) {
        DebugLog("FileRegistryBackend", m_path + " is UTF-16; only UTF-8 stores are used");
        return kErrorInvalidData;
    }
    doc = RegDocument::Parse(content);
    return kErrorSuccess;
}

template <typename Edit>
long FileRegistryBackend::Modify(Edit&& edit) {
    const fs::path target = WriteTarget(Utf8Path(m_path));
    std::error_code ec;
    if (target.has_parent_path()) {
        fs::create_directories(target.parent_path(), ec);
        if (ec) {
            DebugLog("FileRegistryBackend",
                     "cannot create folder of " + m_path + ": " + ec.message());
            return kErrorPathNotFound;
        }
    }
    fs::path lockPath = target;
    lockPath += ".lock";
    const FileLock lock(lockPath);
    if (!lock.locked()) {
        DebugLog("FileRegistryBackend", "cannot lock " + FromFsPath(lockPath));
        return kErrorAccessDenied;
    }
    RegDocument doc;
    if (const long rc = Read(doc); rc != kErrorSuccess) {
        return rc;
    }
    bool changed = false;
    if (const long rc = edit(doc, changed); rc != kErrorSuccess || !changed) {
        return rc;
    }
    return ReplaceWith(target, doc.Render());
}

long FileRegistryBackend::Lookup(RegKey key, std::uint32_t neededAccess, Handle& out) const {
    const std::lock_guard<std::mutex> guard(m_mutex);
    const auto it = m_handles.find(key);
    if (it == m_handles.end()) {
        return kErrorInvalidHandle;
    }
    if ((it->second.access & neededAccess) != neededAccess) {
        return kErrorAccessDenied;
    }
    out = it->second;
    return kErrorSuccess;
}

long FileRegistryBackend::ReadOpenKey(RegKey key, std::uint32_t neededAccess, Handle& handle,
                                      RegDocument& doc) const {
    if (const long rc = Lookup(key, neededAccess, handle); rc != kErrorSuccess) {
        return rc;
    }
    if (const long rc = Read(doc); rc != kErrorSuccess) {
        return rc;
    }
    // The host may have deleted the key since it was opened.
    return doc.KeyExists(handle.hive, handle.path) ? kErrorSuccess : kErrorKeyDeleted;
}

RegKey FileRegistryBackend::AddHandle(Handle handle) {
    const std::lock_guard<std::mutex> guard(m_mutex);
    const RegKey key = m_nextKey++;
    m_handles.emplace(key, std::move(handle));
    return key;
}

long FileRegistryBackend::OpenKey(std::uint32_t hive, const std::string& path, std::uint32_t access,
                                  RegKey& key) {
    if (!IsKnownHive(hive)) {
        return kErrorInvalidHandle;
    }
    const auto normalized = ApiKeyPath(path);
    if (!normalized) {
        return kErrorBadPathname;
    }
    RegDocument doc;
    if (const long rc = Read(doc); rc != kErrorSuccess) {
        return rc;
    }
    if (!doc.KeyExists(hive, *normalized)) {
        return kErrorFileNotFound;
    }
    key = AddHandle({hive, *normalized, access});
    return kErrorSuccess;
}

long FileRegistryBackend::CreateKey(std::uint32_t hive, const std::string& path,
                                    const std::string& className, std::uint32_t access, RegKey& key,
                                    std::uint32_t& disposition) {
    if (!IsKnownHive(hive)) {
        return kErrorInvalidHandle;
    }
    const auto normalized = ApiKeyPath(path);
    if (!normalized) {
        return kErrorBadPathname;
    }
    std::uint32_t result = kRegOpenedExistingKey;
    const long rc = Modify([&](RegDocument& doc, bool& changed) {
        // RegCreateKeyExA gives the class to every key it creates on the way, too.
        if (!className.empty()) {
            for (std::size_t slash = normalized->find('\\'); slash != std::string::npos;
                 slash = normalized->find('\\', slash + 1)) {
                changed = doc.CreateKey(hive, normalized->substr(0, slash), className) || changed;
            }
        }
        const bool created = doc.CreateKey(hive, *normalized, className);
        changed = created || changed;
        result = created ? kRegCreatedNewKey : kRegOpenedExistingKey;
        return kErrorSuccess;
    });
    if (rc != kErrorSuccess) {
        return rc;
    }
    disposition = result;
    key = AddHandle({hive, *normalized, access});
    return kErrorSuccess;
}

long FileRegistryBackend::QueryValue(RegKey key, const std::string& name, std::uint32_t& type,
                                     std::string* data, std::uint32_t& size) {
    Handle handle;
    RegDocument doc;
    if (const long rc = ReadOpenKey(key, kKeyQueryValue, handle, doc); rc != kErrorSuccess) {
        return rc;
    }
    const auto value = doc.FindValue(handle.hive, handle.path, name);
    if (!value) {
        return kErrorFileNotFound;
    }
    type = value->type;
    const auto stored = static_cast<std::uint32_t>(value->data.size());
    if (data != nullptr && stored > size) {
        size = stored;
        return kErrorMoreData;
    }
    size = stored;
    if (data != nullptr) {
        *data = value->data;
    }
    return kErrorSuccess;
}

long FileRegistryBackend::SetValue(RegKey key, const std::string& name, std::uint32_t type,
                                   const std::string& data) {
    Handle handle;
    if (const long rc = Lookup(key, kKeySetValue, handle); rc != kErrorSuccess) {
        return rc;
    }
    RegDocument::Value value{type, data};
    // As RegSetValueExA does: a string whose closing NUL was not counted is stored with it.
    if (IsStringType(type) && !value.data.empty() && value.data.back() != '\0') {
        value.data.push_back('\0');
    }
    return Modify([&](RegDocument& doc, bool& changed) {
        if (!doc.KeyExists(handle.hive, handle.path)) {
            return kErrorKeyDeleted;
        }
        // Writing what is already there leaves the file untouched.
        if (doc.FindValue(handle.hive, handle.path, name) != value) {
            doc.SetValue(handle.hive, handle.path, name, value);
            changed = true;
        }
        return kErrorSuccess;
    });
}

long FileRegistryBackend::DeleteValue(RegKey key, const std::string& name) {
    Handle handle;
    if (const long rc = Lookup(key, kKeySetValue, handle); rc != kErrorSuccess) {
        return rc;
    }
    return Modify([&](RegDocument& doc, bool& changed) {
        if (!doc.KeyExists(handle.hive, handle.path)) {
            return kErrorKeyDeleted;
        }
        changed = doc.DeleteValue(handle.hive, handle.path, name);
        return changed ? kErrorSuccess : kErrorFileNotFound;
    });
}

long FileRegistryBackend::FlushKey(RegKey key) {
    // Every change is already synced to disk before its call returns.
    Handle handle;
    return Lookup(key, 0, handle);
}

long FileRegistryBackend::CloseKey(RegKey key) {
    const std::lock_guard<std::mutex> guard(m_mutex);
    return m_handles.erase(key) == 1 ? kErrorSuccess : kErrorInvalidHandle;
}

long FileRegistryBackend::QueryInfoKey(RegKey key, std::uint32_t& subKeys,
                                       std::uint32_t& maxSubKeyLen, std::uint32_t& maxClassLen) {
    Handle handle;
    RegDocument doc;
    if (const long rc = ReadOpenKey(key, kKeyQueryValue, handle, doc); rc != kErrorSuccess) {
        return rc;
    }
    const auto names = doc.SubKeys(handle.hive, handle.path);
    std::size_t longestName = 0;
    std::size_t longestClass = 0;
    for (const auto& name : names) {
        longestName = std::max(longestName, Utf8Length(name));
        const std::string child = handle.path.empty() ? name : handle.path + "\\" + name;
        longestClass =
            std::max(longestClass, Utf8Length(doc.KeyClass(handle.hive, child).value_or("")));
    }
    subKeys = static_cast<std::uint32_t>(names.size());
    maxSubKeyLen = static_cast<std::uint32_t>(longestName);
    maxClassLen = static_cast<std::uint32_t>(longestClass);
    return kErrorSuccess;
}

long FileRegistryBackend::EnumKey(RegKey key, std::uint32_t index, std::string& name) {
    Handle handle;
    RegDocument doc;
    if (const long rc = ReadOpenKey(key, kKeyEnumerateSubKeys, handle, doc); rc != kErrorSuccess) {
        return rc;
    }
    const auto names = doc.SubKeys(handle.hive, handle.path);
    if (index >= names.size()) {
        return kErrorNoMoreItems;
    }
    name = names[index];
    return kErrorSuccess;
}

long FileRegistryBackend::QueryKeyClass(RegKey key, std::string& className) {
    Handle handle;
    if (const long rc = Lookup(key, kKeyQueryValue, handle); rc != kErrorSuccess) {
        return rc;
    }
    RegDocument doc;
    if (const long rc = Read(doc); rc != kErrorSuccess) {
        return rc;
    }
    const auto found = doc.KeyClass(handle.hive, handle.path);
    if (!found) {
        return kErrorKeyDeleted;
    }
    className = *found;
    return kErrorSuccess;
}

std::shared_ptr<RegistryBackend> MakeFileRegistryBackend(const std::string& path) {
    return std::make_shared<FileRegistryBackend>(path);
}

std::string DefaultRegistryPath() {
    const auto env = [](const char* name) -> std::string {
        const char* value = std::getenv(name);
        return value == nullptr ? std::string{} : std::string(value);
    };
    if (std::string explicitPath = env("STRIPSTOCK_REGISTRY"); !explicitPath.empty()) {
        return explicitPath;
    }
    fs::path config;
    // A relative XDG_CONFIG_HOME is invalid and ignored.
    if (const std::string xdg = env("XDG_CONFIG_HOME");
        !xdg.empty() && Utf8Path(xdg).is_absolute()) {
        config = Utf8Path(xdg);
    } else {
        std::string home = env("HOME");
#ifdef _WIN32
        if (home.empty() && !env("APPDATA").empty()) {
            return FromFsPath(Utf8Path(env("APPDATA")) / "stripstock" / "registry.reg");
        }
#else
        if (home.empty()) {
            if (const passwd* pw = ::getpwuid(::getuid()); pw != nullptr && pw->pw_dir != nullptr) {
                home = pw->pw_dir;
            }
        }
#endif
        config = Utf8Path(home) / ".config";
    }
    return FromFsPath(config / "stripstock" / "registry.reg");
}

}  // namespace stripstock
