#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace stripstock {

inline constexpr std::uint32_t kHkeyCurrentUser = 0x80000001u;
inline constexpr std::uint32_t kHkeyLocalMachine = 0x80000002u;

inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;
inline constexpr std::uint32_t kRegMultiSz = 7;

inline constexpr std::uint32_t kAccessRead = 0x19;        // query value, enumerate, notify
inline constexpr std::uint32_t kAccessAll = 0x3F;         // all key rights, no standard rights
inline constexpr std::uint32_t kAccessKeyRead = 0x20019;  // KEY_READ
inline constexpr std::uint32_t kKeyQueryValue = 0x1;
inline constexpr std::uint32_t kKeySetValue = 0x2;
inline constexpr std::uint32_t kKeyEnumerateSubKeys = 0x8;

inline constexpr long kErrorSuccess = 0;
inline constexpr long kErrorInvalidFunction = 1;
inline constexpr long kErrorFileNotFound = 2;
inline constexpr long kErrorPathNotFound = 3;
inline constexpr long kErrorAccessDenied = 5;
inline constexpr long kErrorInvalidHandle = 6;
inline constexpr long kErrorInvalidData = 13;
inline constexpr long kErrorWriteFault = 29;
inline constexpr long kErrorReadFault = 30;
inline constexpr long kErrorInvalidParameter = 87;
inline constexpr long kErrorBadPathname = 161;
inline constexpr long kErrorMoreData = 234;
inline constexpr long kErrorNoMoreItems = 259;
inline constexpr long kErrorKeyDeleted = 1018;

inline constexpr std::uint32_t kRegCreatedNewKey = 1;
inline constexpr std::uint32_t kRegOpenedExistingKey = 2;

using RegKey = std::uintptr_t;

// The registry's primitive calls, shaped after advapi32 so that the same semantics sit on
// top of the Win32 registry and of the text store. Every call returns a Win32 error code.
// Names and string data are the program's UTF-8 text; a backend converts at its edge.
class RegistryBackend {
  public:
    virtual ~RegistryBackend() = default;

    virtual long OpenKey(std::uint32_t hive, const std::string& path, std::uint32_t access,
                         RegKey& key) = 0;
    // disposition: kRegCreatedNewKey or kRegOpenedExistingKey. The class name is stored only
    // when the key is created.
    virtual long CreateKey(std::uint32_t hive, const std::string& path,
                           const std::string& className, std::uint32_t access, RegKey& key,
                           std::uint32_t& disposition) = 0;
    // Reads a value's type and raw data (for strings: the stored bytes, with the terminating
    // NUL only if it was stored with one). data == nullptr asks for the type and size only.
    // With data, size is in/out as in RegQueryValueExA: on entry the room the caller has; data
    // larger than that gives kErrorMoreData, the size needed and data untouched.
    virtual long QueryValue(RegKey key, const std::string& name, std::uint32_t& type,
                            std::string* data, std::uint32_t& size) = 0;
    virtual long SetValue(RegKey key, const std::string& name, std::uint32_t type,
                          const std::string& data) = 0;
    virtual long DeleteValue(RegKey key, const std::string& name) = 0;
    virtual long FlushKey(RegKey key) = 0;
    virtual long CloseKey(RegKey key) = 0;
    // Subkey count, longest subkey name and longest class name, in characters without NUL.
    virtual long QueryInfoKey(RegKey key, std::uint32_t& subKeys, std::uint32_t& maxSubKeyLen,
                              std::uint32_t& maxClassLen) = 0;
    // kErrorNoMoreItems past the last subkey. Subkeys come sorted case-insensitively.
    virtual long EnumKey(RegKey key, std::uint32_t index, std::string& name) = 0;
    // The class name given when the key was created ("" when none).
    virtual long QueryKeyClass(RegKey /*key*/, std::string& /*className*/) {
        return kErrorInvalidFunction;
    }
    // Why the store as a whole cannot be used, in a sentence for the user; "" when it can.
    virtual std::string StoreProblem() const { return {}; }
};

// The text store in the registry editor's export format.
std::shared_ptr<RegistryBackend> MakeFileRegistryBackend(const std::string& path);

// $STRIPSTOCK_REGISTRY, else $XDG_CONFIG_HOME/stripstock/registry.reg, else
// ~/.config/stripstock/registry.reg.
std::string DefaultRegistryPath();

#ifdef _WIN32
std::shared_ptr<RegistryBackend> MakeWin32RegistryBackend();
#endif

// The backend the program uses: Win32 on Windows, the text store elsewhere.
std::shared_ptr<RegistryBackend> MakeDefaultRegistryBackend();

}  // namespace stripstock
