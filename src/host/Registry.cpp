#include "host/Registry.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "text/TextHelpers.h"

namespace stripstock {

namespace {

// Closes the key on every way out of an operation.
class KeyCloser {
  public:
    KeyCloser(RegistryBackend& backend, RegKey key) : m_backend(backend), m_key(key) {}
    ~KeyCloser() { m_backend.CloseKey(m_key); }
    KeyCloser(const KeyCloser&) = delete;
    KeyCloser& operator=(const KeyCloser&) = delete;

  private:
    RegistryBackend& m_backend;
    RegKey m_key;
};

}  // namespace

std::string vtrim(std::string text) {
    // Registry text is trimmed by the same rule as every other text.
    return trim(std::move(text));
}

Registry::Registry(std::shared_ptr<RegistryBackend> backend) : m_backend(std::move(backend)) {}

bool Registry::RegKeyExists(std::uint32_t hive, const std::string& key) const {
    RegKey handle = 0;
    if (m_backend->OpenKey(hive, key, kAccessRead, handle) != kErrorSuccess) {
        return false;
    }
    m_backend->CloseKey(handle);
    return true;
}

bool Registry::RegReadValue(std::uint32_t hive, const std::string& key, const std::string& name,
                            std::string& value) const {
    RegKey handle = 0;
    if (m_backend->OpenKey(hive, key, kAccessRead, handle) != kErrorSuccess) {
        return false;
    }
    const KeyCloser closer(*m_backend, handle);

    std::uint32_t type = 0;
    std::uint32_t size = 0;
    if (m_backend->QueryValue(handle, name, type, nullptr, size) != kErrorSuccess) {
        return false;
    }

    std::string raw;
    if (type == kRegSz || type == kRegExpandSz) {
        // The data lands in a buffer of size + 1 blanks; the stored NUL (if any) and the
        // extra blank stay part of the raw text and are trimmed below.
        std::string data;
        std::uint32_t got = size;
        if (m_backend->QueryValue(handle, name, type, &data, got) != kErrorSuccess) {
            return false;
        }
        raw.assign(static_cast<std::size_t>(size) + 1, ' ');
        std::memcpy(raw.data(), data.data(), std::min<std::size_t>(data.size(), size));
    } else if (type == kRegDword) {
        std::string data;
        std::uint32_t got = 4;
        if (m_backend->QueryValue(handle, name, type, &data, got) != kErrorSuccess) {
            return false;
        }
        unsigned char bytes[4] = {0, 0, 0, 0};
        std::memcpy(bytes, data.data(), std::min<std::size_t>(data.size(), 4));
        const std::uint32_t bits =
            static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
            static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
        raw = std::to_string(static_cast<std::int32_t>(bits));
    }

    if (!raw.empty() && static_cast<unsigned char>(raw.back()) < 20) {
        raw.pop_back();
    }
    raw = vtrim(std::move(raw));
    if (!raw.empty()) {
        value = std::move(raw);
    }
    return true;
}

bool Registry::RegAddKey(std::uint32_t hive, const std::string& key, const std::string& className) {
    RegKey handle = 0;
    std::uint32_t disposition = 0;
    if (m_backend->CreateKey(hive, key, className, kAccessAll, handle, disposition) !=
        kErrorSuccess) {
        return false;
    }
    m_backend->FlushKey(handle);
    m_backend->CloseKey(handle);
    return disposition == kRegCreatedNewKey;
}

bool Registry::RegWriteString(std::uint32_t hive, const std::string& key, const std::string& name,
                              const std::string& value) {
    if (!RegKeyExists(hive, key)) {
        RegAddKey(hive, key, "string");
    }
    RegKey handle = 0;
    if (m_backend->OpenKey(hive, key, kAccessAll, handle) != kErrorSuccess) {
        return false;
    }
    const KeyCloser closer(*m_backend, handle);
    // An empty text is stored as one blank, which reads back as empty after trimming.
    std::string data = value.empty() ? std::string(" ") : value;
    data.push_back('\0');
    return m_backend->SetValue(handle, name, kRegSz, data) == kErrorSuccess;
}

bool Registry::RegWriteString(std::uint32_t hive, const std::string& key, const std::string& name,
                              int value) {
    return RegWriteString(hive, key, name, std::to_string(value));
}

void Registry::GetAllKeys(std::uint32_t hive, const std::string& path,
                          std::vector<std::string>& names) const {
    if (hive == 0) {
        return;
    }
    RegKey handle = 0;
    if (m_backend->OpenKey(hive, path, kAccessKeyRead, handle) != kErrorSuccess) {
        return;
    }
    const KeyCloser closer(*m_backend, handle);

    std::uint32_t subKeys = 0;
    std::uint32_t maxSubKeyLen = 0;
    std::uint32_t maxClassLen = 0;
    if (m_backend->QueryInfoKey(handle, subKeys, maxSubKeyLen, maxClassLen) != kErrorSuccess) {
        return;
    }
    for (std::uint32_t i = 0; i < subKeys; ++i) {
        std::string name;
        if (m_backend->EnumKey(handle, i, name) == kErrorSuccess) {
            // Resizing to i + 1 keeps earlier entries; an index that failed before stays "".
            names.resize(static_cast<std::size_t>(i) + 1);
            names[i] = std::move(name);
        }
    }
}

}  // namespace stripstock
