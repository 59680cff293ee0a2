#include "host/FileRegistryBackend.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <system_error>
#include <utility>

#include "host/LockedFile.h"
#include "text/TextHelpers.h"
#include "text/UserText.h"

#ifndef _WIN32
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace stripstock {

namespace fs = std::filesystem;

namespace {

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

// A non-empty store must start with the registry editor's header; anything else was not
// written as a registry export and is neither read nor rewritten.
bool HasRegistryHeader(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        text.remove_prefix(3);
    }
    const std::size_t firstText = text.find_first_not_of(" \t\r\n");
    if (firstText == std::string_view::npos) {
        return true;  // empty: no keys yet
    }
    std::string_view line = text.substr(firstText, text.find('\n', firstText) - firstText);
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) {
        line.remove_suffix(1);
    }
    return line == RegDocument::kHeader || line == "REGEDIT4";
}

}  // namespace

FileRegistryBackend::FileRegistryBackend(std::string path) : m_path(std::move(path)) {}

long FileRegistryBackend::Read(RegDocument& doc) const {
    Encoding encoding = Encoding::Utf8;
    return Read(doc, encoding, nullptr);
}

long FileRegistryBackend::Read(RegDocument& doc, Encoding& encoding, std::string* problem) const {
    auto fail = [&](long rc, const std::string& why) {
        DebugLog("FileRegistryBackend", m_path + ": " + why);
        if (problem != nullptr) {
            *problem = why;
        }
        return rc;
    };
    const fs::path path = Utf8Path(m_path);
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (status.type() == fs::file_type::not_found) {
        doc = RegDocument();
        return kErrorSuccess;
    }
    if (status.type() != fs::file_type::regular) {
        return fail(ec ? kErrorReadFault : kErrorAccessDenied, "keine lesbare Datei");
    }
    std::ifstream in(path, std::ios::binary);
    std::string content;
    if (in.is_open()) {
        // Straight into one buffer of the file's size: a store may hold tens of megabytes.
        in.seekg(0, std::ios::end);
        const std::streamoff size = in.tellg();
        in.seekg(0, std::ios::beg);
        if (size > 0) {
            content.resize(static_cast<std::size_t>(size));
            in.read(content.data(), size);
            content.resize(static_cast<std::size_t>(in.gcount()));
            // Whatever the file grew by since the size was taken.
            if (in) {
                std::ostringstream rest;
                rest << in.rdbuf();
                content += std::move(rest).str();
            }
        }
    }
    if (!in.is_open() || in.bad()) {
        return fail(kErrorAccessDenied, "die Datei kann nicht gelesen werden");
    }
    // The registry editor writes UTF-16 with a byte-order mark; such a store is read and
    // written back in the same form.
    encoding = Encoding::Utf8;
    if (content.size() >= 2 && ((content[0] == '\xFF' && content[1] == '\xFE') ||
                                (content[0] == '\xFE' && content[1] == '\xFF'))) {
        const bool bigEndian = content[0] == '\xFE';
        auto decoded = Utf16BytesToUtf8(std::string_view(content).substr(2), bigEndian);
        if (!decoded) {
            return fail(kErrorInvalidData, "fehlerhafter UTF-16-Text");
        }
        content = std::move(*decoded);
        encoding = bigEndian ? Encoding::Utf16Be : Encoding::Utf16Le;
    }
    if (!HasRegistryHeader(content)) {
        return fail(kErrorInvalidData,
                    "die Datei ist kein Registrierungsexport (die erste Zeile muss \"" +
                        std::string(RegDocument::kHeader) + "\" lauten)");
    }
    doc = RegDocument::ParseBuffer(std::move(content));
    return kErrorSuccess;
}

long FileRegistryBackend::Snapshot(std::shared_ptr<const RegDocument>& doc) const {
    // Taken before the file is read: a change while it is read shows at the next call.
    std::optional<FileIdentity> identity;
#ifdef _WIN32
    std::error_code ec;
    const fs::path path = Utf8Path(m_path);
    const auto size = fs::file_size(path, ec);
    const auto modified = ec ? fs::file_time_type{} : fs::last_write_time(path, ec);
    if (!ec) {
        identity = FileIdentity{
            size,
            // On the system clock's epoch, as the settling check below compares with it.
            std::chrono::duration_cast<std::chrono::nanoseconds>(
                std::chrono::file_clock::to_sys(modified).time_since_epoch())
                .count(),
            0, 0};
    }
#else
    struct stat st {};
    if (::stat(Utf8Path(m_path).c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
        identity = FileIdentity{
            static_cast<std::uintmax_t>(st.st_size),
            static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
            static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
    }
#endif
    {
        const std::lock_guard<std::mutex> guard(m_cacheMutex);
        if (identity && m_cached && *identity == m_cachedIdentity) {
            doc = m_cached;
            return kErrorSuccess;
        }
    }
    auto fresh = std::make_shared<RegDocument>();
    if (const long rc = Read(*fresh); rc != kErrorSuccess) {
        return rc;
    }
    doc = fresh;
    // A file changed within the last moments may change again within the same tick of the
    // file system's clock, with the same size and a reused inode; only an older one is kept.
    const auto sinceChange = std::chrono::system_clock::now().time_since_epoch() -
                             std::chrono::nanoseconds(identity ? identity->modified : 0);
    const bool settled = sinceChange > std::chrono::seconds(2);
    const std::lock_guard<std::mutex> guard(m_cacheMutex);
    if (identity && settled) {
        m_cached = std::move(fresh);
        m_cachedIdentity = *identity;
    } else {
        m_cached.reset();
    }
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
    const LockedFile file(target, "FileRegistryBackend");
    if (!file.locked()) {
        return kErrorAccessDenied;
    }
    // A store that cannot be read or parsed is never rewritten.
    RegDocument doc;
    Encoding encoding = Encoding::Utf8;
    if (const long rc = Read(doc, encoding, nullptr); rc != kErrorSuccess) {
        return rc;
    }
    bool changed = false;
    if (const long rc = edit(doc, changed); rc != kErrorSuccess || !changed) {
        return rc;
    }
    std::string text = doc.Render();
    if (encoding != Encoding::Utf8) {
        const bool bigEndian = encoding == Encoding::Utf16Be;
        text = (bigEndian ? std::string("\xFE\xFF") : std::string("\xFF\xFE")) +
               Utf8ToUtf16Bytes(text, bigEndian);
    }
    const long rc = file.Replace(text) ? kErrorSuccess : kErrorWriteFault;
    // The next read parses what was written (the identity may not tell within one tick).
    const std::lock_guard<std::mutex> guard(m_cacheMutex);
    m_cached.reset();
    return rc;
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
                                      std::shared_ptr<const RegDocument>& doc) const {
    if (const long rc = Lookup(key, neededAccess, handle); rc != kErrorSuccess) {
        return rc;
    }
    if (const long rc = Snapshot(doc); rc != kErrorSuccess) {
        return rc;
    }
    // The host may have deleted the key since it was opened.
    return doc->KeyExists(handle.hive, handle.path) ? kErrorSuccess : kErrorKeyDeleted;
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
    std::shared_ptr<const RegDocument> doc;
    if (const long rc = Snapshot(doc); rc != kErrorSuccess) {
        return rc;
    }
    if (!doc->KeyExists(hive, *normalized)) {
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
    std::shared_ptr<const RegDocument> doc;
    if (const long rc = ReadOpenKey(key, kKeyQueryValue, handle, doc); rc != kErrorSuccess) {
        return rc;
    }
    const auto value = doc->FindValue(handle.hive, handle.path, name);
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
    std::shared_ptr<const RegDocument> doc;
    if (const long rc = ReadOpenKey(key, kKeyQueryValue, handle, doc); rc != kErrorSuccess) {
        return rc;
    }
    const auto names = doc->SubKeys(handle.hive, handle.path);
    std::size_t longestName = 0;
    std::size_t longestClass = 0;
    for (const auto& name : names) {
        longestName = std::max(longestName, Utf8Length(name));
        const std::string child = handle.path.empty() ? name : handle.path + "\\" + name;
        longestClass =
            std::max(longestClass, Utf8Length(doc->KeyClass(handle.hive, child).value_or("")));
    }
    subKeys = static_cast<std::uint32_t>(names.size());
    maxSubKeyLen = static_cast<std::uint32_t>(longestName);
    maxClassLen = static_cast<std::uint32_t>(longestClass);
    return kErrorSuccess;
}

long FileRegistryBackend::EnumKey(RegKey key, std::uint32_t index, std::string& name) {
    Handle handle;
    std::shared_ptr<const RegDocument> doc;
    if (const long rc = ReadOpenKey(key, kKeyEnumerateSubKeys, handle, doc); rc != kErrorSuccess) {
        return rc;
    }
    const auto* names = doc->SubKeyList(handle.hive, handle.path);
    if (names == nullptr || index >= names->size()) {
        return kErrorNoMoreItems;
    }
    name = (*names)[index];
    return kErrorSuccess;
}

long FileRegistryBackend::QueryKeyClass(RegKey key, std::string& className) {
    Handle handle;
    if (const long rc = Lookup(key, kKeyQueryValue, handle); rc != kErrorSuccess) {
        return rc;
    }
    std::shared_ptr<const RegDocument> doc;
    if (const long rc = Snapshot(doc); rc != kErrorSuccess) {
        return rc;
    }
    const auto found = doc->KeyClass(handle.hive, handle.path);
    if (!found) {
        return kErrorKeyDeleted;
    }
    className = *found;
    return kErrorSuccess;
}

std::string FileRegistryBackend::StoreProblem() const {
    // A store that reads is parsed once for this check and the reads that follow.
    std::shared_ptr<const RegDocument> snapshot;
    if (Snapshot(snapshot) == kErrorSuccess) {
        return {};
    }
    RegDocument doc;
    Encoding encoding = Encoding::Utf8;
    std::string problem;
    if (Read(doc, encoding, &problem) == kErrorSuccess) {
        return {};
    }
    return "Die Registrierungsdatei " + m_path + " ist nicht verwendbar: " + problem;
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
            return PathToUtf8(Utf8Path(env("APPDATA")) / "stripstock" / "registry.reg");
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
    return PathToUtf8(config / "stripstock" / "registry.reg");
}

}  // namespace stripstock
