// The Windows registry through the ANSI functions of advapi32. The registry's 8-bit text is
// Windows-1252; the program's strings are UTF-8, converted here and nowhere else. Every call
// hands its key handle back to the caller or closes it before returning.

#include <memory>
#include <string>
#include <utility>
#include <vector>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "host/RegistryBackend.h"
#include "text/Cp1252.h"

namespace stripstock {

namespace {

// Enough for any key name (at most 255 characters) and its NUL.
constexpr DWORD kKeyNameBuffer = 256;
constexpr DWORD kMaxClassBuffer = 32768;
// A value that keeps growing between the size query and the read is given up on.
constexpr int kReadAttempts = 8;

bool IsStringType(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// The program uses these two hives only, and the text store knows no others.
bool IsKnownHive(std::uint32_t hive) {
    return hive == kHkeyLocalMachine || hive == kHkeyCurrentUser;
}

// Predefined hives are 32-bit values that HKEY carries sign-extended.
HKEY HiveHandle(std::uint32_t hive) {
    const auto value = static_cast<LONG>(hive);
    return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG_PTR>(value)));
}

HKEY KeyHandle(RegKey key) { return reinterpret_cast<HKEY>(key); }

RegKey FromHandle(HKEY key) { return reinterpret_cast<RegKey>(key); }

class Win32RegistryBackend final : public RegistryBackend {
  public:
    long OpenKey(std::uint32_t hive, const std::string& path, std::uint32_t access,
                 RegKey& key) override {
        if (!IsKnownHive(hive)) {
            return ERROR_INVALID_HANDLE;
        }
        HKEY opened = nullptr;
        const std::string ansiPath = Utf8ToCp1252(path);
        const LONG rc = RegOpenKeyExA(HiveHandle(hive), ansiPath.c_str(), 0, access, &opened);
        if (rc == ERROR_SUCCESS) {
            key = FromHandle(opened);
        }
        return rc;
    }

    long CreateKey(std::uint32_t hive, const std::string& path, const std::string& className,
                   std::uint32_t access, RegKey& key, std::uint32_t& disposition) override {
        if (!IsKnownHive(hive)) {
            return ERROR_INVALID_HANDLE;
        }
        const std::string ansiPath = Utf8ToCp1252(path);
        // An existing key keeps its class. Wine 8 lets RegCreateKeyExA overwrite it, so an
        // existing key is opened instead; on Windows the outcome is the same either way.
        HKEY existing = nullptr;
        if (RegOpenKeyExA(HiveHandle(hive), ansiPath.c_str(), 0, access, &existing) ==
            ERROR_SUCCESS) {
            key = FromHandle(existing);
            disposition = REG_OPENED_EXISTING_KEY;
            return ERROR_SUCCESS;
        }
        HKEY created = nullptr;
        DWORD result = 0;
        std::string ansiClass = Utf8ToCp1252(className);
        const LONG rc =
            RegCreateKeyExA(HiveHandle(hive), ansiPath.c_str(), 0, ansiClass.data(),
                            REG_OPTION_NON_VOLATILE, access, nullptr, &created, &result);
        if (rc == ERROR_SUCCESS) {
            key = FromHandle(created);
            disposition = result;
        }
        return rc;
    }

    long QueryValue(RegKey key, const std::string& name, std::uint32_t& type, std::string* data,
                    std::uint32_t& size) override {
        const std::string ansiName = Utf8ToCp1252(name);
        DWORD storedType = REG_NONE;
        DWORD needed = 0;
        LONG rc = RegQueryValueExA(KeyHandle(key), ansiName.c_str(), nullptr, &storedType, nullptr,
                                   &needed);
        if (rc != ERROR_SUCCESS) {
            return rc;
        }
        // The whole value is read even for a size query: its size in UTF-8 is only known
        // after conversion.
        std::vector<BYTE> buffer(static_cast<std::size_t>(needed) + 1);
        DWORD got = 0;
        rc = ERROR_MORE_DATA;
        for (int attempt = 0; attempt < kReadAttempts && rc == ERROR_MORE_DATA; ++attempt) {
            got = static_cast<DWORD>(buffer.size());
            rc = RegQueryValueExA(KeyHandle(key), ansiName.c_str(), nullptr, &storedType,
                                  buffer.data(), &got);
            if (rc == ERROR_MORE_DATA) {
                buffer.resize(static_cast<std::size_t>(got) + 1);
            }
        }
        if (rc != ERROR_SUCCESS) {
            return rc;
        }
        const std::string raw(reinterpret_cast<const char*>(buffer.data()), got);
        std::string value = IsStringType(storedType) ? Cp1252ToUtf8(raw) : raw;

        type = storedType;
        const auto stored = static_cast<std::uint32_t>(value.size());
        if (data != nullptr && stored > size) {
            size = stored;
            return ERROR_MORE_DATA;
        }
        size = stored;
        if (data != nullptr) {
            *data = std::move(value);
        }
        return ERROR_SUCCESS;
    }

    long SetValue(RegKey key, const std::string& name, std::uint32_t type,
                  const std::string& data) override {
        const std::string ansiName = Utf8ToCp1252(name);
        const std::string bytes = IsStringType(type) ? Utf8ToCp1252(data) : data;
        return RegSetValueExA(KeyHandle(key), ansiName.c_str(), 0, type,
                              reinterpret_cast<const BYTE*>(bytes.data()),
                              static_cast<DWORD>(bytes.size()));
    }

    long DeleteValue(RegKey key, const std::string& name) override {
        const std::string ansiName = Utf8ToCp1252(name);
        return RegDeleteValueA(KeyHandle(key), ansiName.c_str());
    }

    long FlushKey(RegKey key) override { return RegFlushKey(KeyHandle(key)); }

    long CloseKey(RegKey key) override { return RegCloseKey(KeyHandle(key)); }

    long QueryInfoKey(RegKey key, std::uint32_t& subKeys, std::uint32_t& maxSubKeyLen,
                      std::uint32_t& maxClassLen) override {
        DWORD count = 0;
        DWORD longestName = 0;
        DWORD longestClass = 0;
        const LONG rc =
            RegQueryInfoKeyA(KeyHandle(key), nullptr, nullptr, nullptr, &count, &longestName,
                             &longestClass, nullptr, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_SUCCESS) {
            subKeys = count;
            maxSubKeyLen = longestName;
            maxClassLen = longestClass;
        }
        return rc;
    }

    long EnumKey(RegKey key, std::uint32_t index, std::string& name) override {
        std::vector<char> buffer(kKeyNameBuffer);
        DWORD length = 0;
        LONG rc = ERROR_MORE_DATA;
        for (int attempt = 0; attempt < 4 && rc == ERROR_MORE_DATA; ++attempt) {
            length = static_cast<DWORD>(buffer.size());
            rc = RegEnumKeyExA(KeyHandle(key), index, buffer.data(), &length, nullptr, nullptr,
                               nullptr, nullptr);
            if (rc == ERROR_MORE_DATA) {
                buffer.resize(buffer.size() * 4);
            }
        }
        if (rc == ERROR_SUCCESS) {
            name = Cp1252ToUtf8(std::string(buffer.data(), length));
        }
        return rc;
    }

    long QueryKeyClass(RegKey key, std::string& className) override {
        std::vector<char> buffer(kKeyNameBuffer);
        DWORD length = 0;
        LONG rc = ERROR_MORE_DATA;
        while (rc == ERROR_MORE_DATA && buffer.size() <= kMaxClassBuffer) {
            length = static_cast<DWORD>(buffer.size());
            rc = RegQueryInfoKeyA(KeyHandle(key), buffer.data(), &length, nullptr, nullptr, nullptr,
                                  nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
            if (rc == ERROR_MORE_DATA) {
                buffer.resize(buffer.size() * 2);
            }
        }
        if (rc == ERROR_SUCCESS) {
            className = Cp1252ToUtf8(std::string(buffer.data(), length));
        }
        return rc;
    }
};

}  // namespace

std::shared_ptr<RegistryBackend> MakeWin32RegistryBackend() {
    return std::make_shared<Win32RegistryBackend>();
}

}  // namespace stripstock
