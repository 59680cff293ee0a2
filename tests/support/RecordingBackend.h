#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "host/RegistryBackend.h"

namespace stripstock::test {

// Passes every call on to a real backend and keeps count of the calls, of open keys and of the
// access masks asked for, so tests can see whether the registry was looked at and that every
// key is opened as intended and closed.
class RecordingBackend final : public RegistryBackend {
  public:
    explicit RecordingBackend(std::shared_ptr<RegistryBackend> inner) : m_inner(std::move(inner)) {}

    long OpenKey(std::uint32_t hive, const std::string& path, std::uint32_t access,
                 RegKey& key) override {
        ++calls;
        m_accesses.push_back(access);
        const long rc = m_inner->OpenKey(hive, path, access, key);
        m_open += rc == kErrorSuccess ? 1 : 0;
        return rc;
    }
    long CreateKey(std::uint32_t hive, const std::string& path, const std::string& className,
                   std::uint32_t access, RegKey& key, std::uint32_t& disposition) override {
        ++calls;
        m_accesses.push_back(access);
        const long rc = m_inner->CreateKey(hive, path, className, access, key, disposition);
        m_open += rc == kErrorSuccess ? 1 : 0;
        return rc;
    }
    long QueryValue(RegKey key, const std::string& name, std::uint32_t& type, std::string* data,
                    std::uint32_t& size) override {
        ++calls;
        return m_inner->QueryValue(key, name, type, data, size);
    }
    long SetValue(RegKey key, const std::string& name, std::uint32_t type,
                  const std::string& data) override {
        ++calls;
        return m_inner->SetValue(key, name, type, data);
    }
    long DeleteValue(RegKey key, const std::string& name) override {
        ++calls;
        return m_inner->DeleteValue(key, name);
    }
    long FlushKey(RegKey key) override { return m_inner->FlushKey(key); }
    long CloseKey(RegKey key) override {
        const long rc = m_inner->CloseKey(key);
        m_open -= rc == kErrorSuccess ? 1 : 0;
        return rc;
    }
    long QueryInfoKey(RegKey key, std::uint32_t& subKeys, std::uint32_t& maxSubKeyLen,
                      std::uint32_t& maxClassLen) override {
        ++calls;
        return m_inner->QueryInfoKey(key, subKeys, maxSubKeyLen, maxClassLen);
    }
    long EnumKey(RegKey key, std::uint32_t index, std::string& name) override {
        ++calls;
        return m_inner->EnumKey(key, index, name);
    }
    long QueryKeyClass(RegKey key, std::string& className) override {
        ++calls;
        return m_inner->QueryKeyClass(key, className);
    }

    int calls = 0;  // every call but FlushKey and CloseKey
    int openKeys() const { return m_open; }
    // Access masks of the opens and creates since the last call.
    std::vector<std::uint32_t> takeAccesses() { return std::exchange(m_accesses, {}); }

  private:
    std::shared_ptr<RegistryBackend> m_inner;
    int m_open = 0;
    std::vector<std::uint32_t> m_accesses;
};

}  // namespace stripstock::test
