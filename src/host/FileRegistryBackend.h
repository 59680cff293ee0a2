#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "host/RegDocument.h"
#include "host/RegistryBackend.h"

namespace stripstock {

// The registry kept in one .reg text file (format in RegDocument.h) that the host may change
// while the program runs. Reads parse the file once and again only when its size, modification
// time or identity (device and inode) changed, so a long-running window still sees the host's
// changes while a command that reads a large store many times parses it once. A change takes
// an exclusive lock on "<file>.lock", reads again, edits only the lines concerned and replaces
// the file through a synced temporary file. A missing file is an empty registry; the first
// write creates it and its folder.
//
// Only HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER exist: another hive gives kErrorInvalidHandle.
// Key paths are read as advapi32 reads them: repeated and trailing "\" count for nothing, a
// leading "\" gives kErrorBadPathname; so does a line break, which a key line cannot hold. A file
// in UTF-16 with a byte-order mark (as the registry editor writes by default) is read and
// written back as UTF-16. A non-empty file without the registry editor's header is not a
// store: every call gives kErrorInvalidData and the file is never rewritten.
class FileRegistryBackend final : public RegistryBackend {
  public:
    explicit FileRegistryBackend(std::string path);

    const std::string& path() const { return m_path; }

    long OpenKey(std::uint32_t hive, const std::string& path, std::uint32_t access,
                 RegKey& key) override;
    long CreateKey(std::uint32_t hive, const std::string& path, const std::string& className,
                   std::uint32_t access, RegKey& key, std::uint32_t& disposition) override;
    long QueryValue(RegKey key, const std::string& name, std::uint32_t& type, std::string* data,
                    std::uint32_t& size) override;
    long SetValue(RegKey key, const std::string& name, std::uint32_t type,
                  const std::string& data) override;
    long DeleteValue(RegKey key, const std::string& name) override;
    long FlushKey(RegKey key) override;
    long CloseKey(RegKey key) override;
    long QueryInfoKey(RegKey key, std::uint32_t& subKeys, std::uint32_t& maxSubKeyLen,
                      std::uint32_t& maxClassLen) override;
    long EnumKey(RegKey key, std::uint32_t index, std::string& name) override;
    long QueryKeyClass(RegKey key, std::string& className) override;
    std::string StoreProblem() const override;

  private:
    struct Handle {
        std::uint32_t hive = 0;
        std::string path;
        std::uint32_t access = 0;
    };

    // What tells a changed file from the one parsed last.
    struct FileIdentity {
        std::uintmax_t size = 0;
        std::int64_t modified = 0;  // nanoseconds
        std::uint64_t device = 0;
        std::uint64_t inode = 0;
        bool operator==(const FileIdentity&) const = default;
    };

    enum class Encoding { Utf8, Utf16Le, Utf16Be };
    // The file as it is now, parsed afresh (writes start from this, under their lock).
    long Read(RegDocument& doc) const;
    // problem, when given, receives why the file cannot be used (German, for the user).
    long Read(RegDocument& doc, Encoding& encoding, std::string* problem) const;
    // The file as it is now, from the last parse when the file has not changed since.
    long Snapshot(std::shared_ptr<const RegDocument>& doc) const;
    // Runs edit on the current text under the lock and writes the text back if it changed.
    template <typename Edit>
    long Modify(Edit&& edit);
    long Lookup(RegKey key, std::uint32_t neededAccess, Handle& out) const;
    // Lookup, then the current file, then a check that the key still exists.
    long ReadOpenKey(RegKey key, std::uint32_t neededAccess, Handle& handle,
                     std::shared_ptr<const RegDocument>& doc) const;
    RegKey AddHandle(Handle handle);

    std::string m_path;
    mutable std::mutex m_mutex;
    std::map<RegKey, Handle> m_handles;
    RegKey m_nextKey = 1;

    mutable std::mutex m_cacheMutex;
    mutable std::shared_ptr<const RegDocument> m_cached;
    mutable FileIdentity m_cachedIdentity;
};

}  // namespace stripstock
